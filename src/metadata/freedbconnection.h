// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "cddbservice.h"
#include "freedblookup.h"
#include "lang/languagetexts.h"
#include "lookupcandidate.h"

#include <QStringList>
#include <functional>
#include <memory>

namespace trackmill {

class CdDrives;
class CdPlayerNames;
class DiscLookup;
class DiscNames;
class FreedbViews;
class HiddenLog;
class MessageBoxes;
class Settings;
class TagFields;
class TrackList;

// The main window's freedb commands: the FreeDB button (TForm1.FreeDBClick)
// and the lookup the connection window starts (TForm1.Connect), at CDDB or
// MusicBrainz as the window chooses, which takes the names of one match
// into the disc's names (every window shows them) and the tag fields;
// several matches are listed for the user to choose from. The status line
// and the hidden log are its only reports.
class FreedbConnection
{
public:
    // The CDDB client for the drive of one open handle.
    using ServiceFactory = std::function<std::unique_ptr<CddbService>(quint32 handle)>;

    struct Collaborators
    {
        FreedbViews& views;
        TrackList& tracks;
        CdDrives& drives;
        HiddenLog& log;
        MessageBoxes& messageBoxes;
        DiscNames& names;
        TagFields& tags;
        CdPlayerNames& cdPlayerNames;
        Settings& settings;
        // The current language's texts, read at the moment of use.
        std::function<const LanguageTexts&()> texts;
        // Tests: the local CDDB server. An empty host: the settings' server.
        FreedbServer server;
        // Empty: the library's client, its requests run beside the windows.
        ServiceFactory makeService;
    };

    explicit FreedbConnection(Collaborators collaborators);
    ~FreedbConnection();

    void FreeDBClick();
    // The lookup; the windows keep taking input while it waits for the
    // server. A second Connect meanwhile does nothing. One match is taken
    // at once (with its cover from MusicBrainz); several are listed.
    void Connect();
    // The match the user chose from the list of the last Connect: a CDDB
    // match's entry is fetched, then its names (and a MusicBrainz release's
    // cover) are taken. Nothing while a lookup runs, for an index outside
    // the list, or when another disc is in the drive now.
    void chooseCandidate(int index);
    const QList<LookupCandidate>& candidates() const { return m_candidates; }
    // The connection window's Close during a lookup: Connect returns within
    // about a second and leaves every name as it was.
    void cancelLookup();
    bool lookupRunning() const { return m_lookup != nullptr; }
    // Count is the grid's RowCount; names[k] names grid row k + 1. Rows
    // without a name keep theirs. The Tracks list gets one entry per audio
    // track row (a final data track has none there, as when read from the
    // database), item 0 selected and in CurrentTrack.
    void GetTrackName(int count, const QStringList& names);

private:
    void warnNoDisc();
    // The candidate's names (stored in the database when asked), then its
    // cover, with the status to say so.
    void take(const LookupCandidate& candidate, DiscLookup& lookup);
    // Runs one step of a lookup under the busy pointer, reachable by
    // cancelLookup() meanwhile; false when the settings name no usable server.
    bool withLookup(int source, const std::function<void(DiscLookup&)>& step);
    // The tag editor's fields from the disc's names (TForm4.ID3Initialization).
    void resetTags();

    Collaborators m_c;
    // The lookup Connect is waiting for, null between lookups.
    DiscLookup* m_lookup = nullptr;
    // The matches of the last Connect that listed several, the source they
    // came from and the disc they are for.
    QList<LookupCandidate> m_candidates;
    int m_candidatesSource = 0;
    QString m_candidatesDisc;
};

}
