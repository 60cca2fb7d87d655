// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "cliarguments.h"

#include "metadata/coverart.h"
#include "metadata/lookupcandidate.h"

#include <cstdio>
#include <optional>

namespace trackmill {
class CdDrives;
class HiddenLog;
class Settings;
class TrackList;
}

namespace trackmill::cli {

struct ConsoleTexts;

// The lookup of the disc in the open drive, as the connection window does
// it, at the source the command line names (else the settings'). Ctrl-C
// ends it within about a second.
class ConsoleLookup
{
public:
    ConsoleLookup(CdDrives& drives, TrackList& tracks, HiddenLog& log, const Settings& settings,
                  Arguments::Source source);

    // The matches; a failed lookup's reason in *why.
    LookupAnswer find(QString* why);
    // Match `index` of find(), whole (a CDDB entry read) with its cover.
    std::optional<LookupCandidate> complete(const LookupCandidate& chosen, QString* why);
    std::optional<CoverArt> cover(const LookupCandidate& chosen);

    // The table "lookup" prints.
    static QString table(const QList<LookupCandidate>& candidates);

private:
    template <typename Step>
    auto run(Step step, QString* why);

    CdDrives& m_drives;
    TrackList& m_tracks;
    HiddenLog& m_log;
    const Settings& m_settings;
    Arguments::Source m_source;
};

}
