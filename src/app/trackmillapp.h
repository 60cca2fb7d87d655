// SPDX-License-Identifier: GPL-2.0-or-later
// The program as a whole: every collaborator and the six windows, made in
// the designed order and wired together. main() makes one over the real
// services; whole-flow tests make one over recording fakes.
#pragma once

#include "lang/languagetexts.h"
#include "metadata/freedblookup.h"
#include "platform/apppaths.h"
#include "rip/namingsettings.h"

#include <QString>
#include <functional>
#include <memory>

namespace trackmill {

class AkripLibrary;
class CdPlayerNames;
class CdDrives;
class DesktopShell;
class DiscNames;
class DriveList;
class DriveTray;
class FreedbConnection;
class GenreList;
class HiddenLog;
class MediaWatcher;
class MessageBoxes;
class NamingSource;
class RipRun;
class RunPersistence;
class RunView;
class Settings;
class SystemServices;
class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm7;
class LanguageApplier;
class TGogoTea;
class TagFields;
class TrackEncoder;
class TrackList;
class TrackNameFields;

class TrackmillApp
{
public:
    struct Services
    {
        MessageBoxes& messageBoxes;
        SystemServices& system;
        DesktopShell& shell;
        AppPaths paths;
        bool listPhysicalDrives = true;  // tests: false, no real drive is touched
        bool watchMedia = true;          // udev and the Discs folder
        FreedbServer freedbServer{};     // tests: the local CDDB server
        // Where trays are opened after a run; null: the drives themselves
        // (tests record the request instead).
        DriveTray* tray = nullptr;
    };

    explicit TrackmillApp(Services services);
    ~TrackmillApp();

    TrackmillApp(const TrackmillApp&) = delete;
    TrackmillApp& operator=(const TrackmillApp&) = delete;

    // Shows the main window centred on its screen (after the freedb window
    // when AutoConnectFREEDB is ticked).
    void show();

    TForm1& form1() { return *m_form1; }
    TForm2& form2() { return *m_form2; }
    TForm3& form3() { return *m_form3; }
    TForm4& form4() { return *m_form4; }
    TForm7& form7() { return *m_form7; }
    Settings& settings() { return *m_settings; }
    HiddenLog& log() { return *m_log; }
    TrackList& tracks() { return *m_tracks; }
    CdDrives& drives() { return *m_drives; }
    DiscNames& discNames() { return *m_discNames; }
    TagFields& tagFields() { return *m_tagFields; }
    // The WAV and MP3 commands; tests put a recording view in front of the windows.
    RipRun& ripRun() { return *m_ripRun; }
    // Null when the encoder library could not be loaded (MP3 stays disabled).
    TrackEncoder* encoder() { return m_encoder.get(); }
    // The output naming as the Settings and the settings window's edits
    // hold it now.
    NamingSettings namingSettings() const;
    const Services& services() const { return m_services; }
    // The current language's program-wide texts; applying a language replaces them.
    LanguageTexts& languageTexts() { return m_languageTexts; }

    // Stores the disc's names (the settings window's TrackName page) in
    // CDPLAYER.INI when an audio disc is present: on closing the main
    // window after the settings are saved, and before an after-run action.
    // A file that cannot be written is named in an error box.
    void storeDiscNames();
    // The end of start-up: shows the freedb window modally when the
    // AutoConnectFREEDB box is ticked, before the main window is shown.
    void autoConnectFreedb();

private:
    // One file of src/app/wiring/ per subsystem's place in the program,
    // called in this order by the constructor (wiring/trackmillapp.cpp).
    void wireTagEditor();
    void wireSettings();
    void wireRipping();
    void wireDiscNames();
    void wireLanguages();
    void wireAbout();
    // Start-up, after the language: the disc's names from CDPLAYER.INI.
    void readDiscNamesAtStartUp();
    // The end of start-up and the main window's closing (src/app/startupwiring.cpp).
    void wireStartUp();
    void saveOnClose();

    Services m_services;
    std::unique_ptr<HiddenLog> m_log;
    std::unique_ptr<DriveList> m_driveList;
    std::unique_ptr<AkripLibrary> m_library;
    std::unique_ptr<CdDrives> m_drives;
    std::unique_ptr<TrackList> m_tracks;
    std::unique_ptr<MediaWatcher> m_watcher;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<GenreList> m_genres;
    // The disc's names and the tag fields: the windows show them, the runs read them.
    std::unique_ptr<DiscNames> m_discNames;
    std::unique_ptr<TagFields> m_tagFields;

    // The settings window's edit Character (the split separator, "/" when
    // the window is made); wireSettings points this at the edit.
    std::function<QString()> m_splitCharacter = [] { return QStringLiteral("/"); };

    std::unique_ptr<TForm1> m_form1;
    std::unique_ptr<TForm4> m_form4;
    std::unique_ptr<TForm2> m_form2;
    std::unique_ptr<TForm3> m_form3;

    // The current language's program-wide texts (empty until one is applied).
    LanguageTexts m_languageTexts;
    // Disc names: the TrackName page's values, the database, the freedb window.
    std::unique_ptr<TrackNameFields> m_trackNameFields;
    std::unique_ptr<CdPlayerNames> m_cdPlayerNames;
    std::unique_ptr<FreedbConnection> m_freedb;
    std::unique_ptr<TForm7> m_form7;
    // The encoder component GogoTea1 and the run's encoder over it (null
    // when the encoder library could not be loaded), the run controller of
    // the WAV and MP3 commands and what it needs from the program
    // (wireRipping).
    std::unique_ptr<TGogoTea> m_gogoTea1;
    std::unique_ptr<TrackEncoder> m_encoder;
    std::unique_ptr<RunView> m_runView;
    std::unique_ptr<NamingSource> m_naming;
    std::unique_ptr<RunPersistence> m_persistence;
    std::unique_ptr<RipRun> m_ripRun;
    // Puts a language file's texts into all windows (wireLanguages).
    std::unique_ptr<LanguageApplier> m_languageApplier;
};

}
