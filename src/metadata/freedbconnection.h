// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "cddbservice.h"
#include "freedblookup.h"
#include "lang/languagetexts.h"
#include "platform/apppaths.h"

#include <QStringList>
#include <functional>
#include <memory>

namespace trackmill {

class CdDrives;
class CdPlayerNames;
class HiddenLog;
class MessageBoxes;
class Settings;
class TForm1;
class TForm4;
class TForm7;
class TrackList;
class TrackNameFields;

// The main window's freedb commands: the FreeDB button (TForm1.FreeDBClick)
// and the lookup the connection window starts (TForm1.Connect), which takes
// the names of one match into the main window, the tag editor and the
// settings window's TrackName page. The status label and the hidden log
// are its only reports.
class FreedbConnection
{
public:
    // The CDDB client for the drive of one open handle.
    using ServiceFactory = std::function<std::unique_ptr<CddbService>(quint32 handle)>;

    struct Collaborators
    {
        TForm1& mainWindow;
        TrackList& tracks;
        CdDrives& drives;
        HiddenLog& log;
        MessageBoxes& messageBoxes;
        TForm4& tagEditor;
        TrackNameFields& trackNames;
        CdPlayerNames& cdPlayerNames;
        Settings& settings;
        AppPaths paths;
        // The current language's texts, read at the moment of use.
        std::function<const LanguageTexts&()> texts;
        FreedbServer server;
        // Empty: the library's client, its requests run beside the windows.
        ServiceFactory makeService;
    };

    explicit FreedbConnection(Collaborators collaborators);
    ~FreedbConnection();

    // The connection window, made after this object.
    void setWindow(TForm7* window) { m_window = window; }

    void FreeDBClick();
    void Connect();
    // Count is the grid's RowCount; names[k] names grid row k + 1. Rows
    // without a name keep theirs. The Tracks list gets one entry per audio
    // track row (a final data track has none there, as when read from the
    // database), item 0 selected and in CurrentTrack.
    void GetTrackName(int count, const QStringList& names);

private:
    void warnNoDisc();
    void setStatus(const QString& text);

    Collaborators m_c;
    TForm7* m_window = nullptr;
};

}
