// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "cddbservice.h"
#include "freedblookup.h"
#include "lang/languagetexts.h"

#include <QStringList>
#include <functional>
#include <memory>

namespace trackmill {

class CdDrives;
class CdPlayerNames;
class DiscNames;
class FreedbViews;
class HiddenLog;
class MessageBoxes;
class Settings;
class TagFields;
class TrackList;

// The main window's freedb commands: the FreeDB button (TForm1.FreeDBClick)
// and the lookup the connection window starts (TForm1.Connect), which takes
// the names of one match into the disc's names (every window shows them)
// and the tag fields. The status line and the hidden log are its only
// reports.
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
        FreedbServer server;
        // Empty: the library's client, its requests run beside the windows.
        ServiceFactory makeService;
    };

    explicit FreedbConnection(Collaborators collaborators);
    ~FreedbConnection();

    void FreeDBClick();
    // The lookup; the windows keep taking input while it waits for the
    // server. A second Connect meanwhile does nothing.
    void Connect();
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
    // The tag editor's fields from the disc's names (TForm4.ID3Initialization).
    void resetTags();

    Collaborators m_c;
    // The lookup Connect is waiting for, null between lookups.
    FreedbLookup* m_lookup = nullptr;
};

}
