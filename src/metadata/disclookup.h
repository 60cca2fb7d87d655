// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "coverart.h"
#include "freedblookup.h"
#include "lookupcandidate.h"

#include <QString>

#include <atomic>
#include <optional>

namespace trackmill {

class CdDrives;
class CddbService;
class DiscNames;
class HiddenLog;
class Settings;
class TagFields;
class TrackList;

// Where a lookup goes and how, from the settings at the moment of use.
struct LookupSettings
{
    enum class Source { Cddb = 0, MusicBrainz = 1 };
    Source source = Source::Cddb;
    FreedbSettings cddb;
    FreedbServer cddbServer;
    QString musicBrainzServer;
    QString coverArtServer;
    bool fetchCover = true;
    QByteArray proxy;  // "host:port" when the proxy is on and both are given
    QString version;   // the program's, for the User-Agent

    // server: the CDDB server tests put in place of the stored one (an
    // empty host takes the stored "host" or "host:port"). Nothing, with the
    // reason, when the stored server's port is no port.
    static std::optional<LookupSettings> fromSettings(const Settings& settings, Source source,
                                                      const FreedbServer& server, QString* why = nullptr);
};

// One lookup of the disc in the drive, at CDDB or MusicBrainz, the same for
// the window program and the command-line ripper. Blocking calls that let
// the calling thread's events through while they wait (the network calls
// run aside); cancel() from those events ends the call in about a second.
// Match lines, entries and failures go to the hidden log.
class DiscLookup
{
public:
    // cddb: the library's client, its calls run aside (BackgroundCddbService).
    DiscLookup(CddbService& cddb, HiddenLog& log, LookupSettings settings);

    // The candidates for the disc: one CDDB match comes back with its entry
    // read (trackNames filled), several unread; MusicBrainz releases whole.
    LookupAnswer find(CdDrives& drives, int rowCount);
    // A candidate the user chose, made whole: a CDDB match's entry is read.
    // Nothing when it does not arrive (or the lookup was cancelled).
    std::optional<LookupCandidate> complete(const LookupCandidate& chosen, int rowCount);
    // The front cover of a MusicBrainz release (when the release says it
    // has one and the settings ask for it).
    std::optional<CoverArt> frontCover(const LookupCandidate& chosen, QString* why = nullptr);

    void cancel();

    // A CDDB match as a candidate (its entry's names when read).
    static LookupCandidate candidateOf(const CddbMatchRecord& match, const FreedbResult* entry = nullptr);

private:
    CddbService& m_cddb;
    HiddenLog& m_log;
    LookupSettings m_settings;
    FreedbLookup m_freedb;
    std::atomic<bool> m_cancelled{false};
};

// Takes a chosen candidate into the disc's names and the tag fields: artist
// and album, the grid's and the track list's names (rows without a name in
// it keep theirs), year and genre when it gives them (the genre as the
// nearest entry of the genre list, none near leaves it), the disc's place
// in a set; the cover is emptied until the candidate's own arrives.
void applyLookupCandidate(const LookupCandidate& candidate, DiscNames& names, TrackList& tracks, TagFields& tags);

// Count is the grid's RowCount; names[k] names grid row k + 1. Rows
// without a name keep theirs. The track list gets one entry per audio
// track row (a final data track has none there, as when read from the
// database).
void takeTrackNames(int count, const QStringList& names, TrackList& tracks, DiscNames& discNames);

}
