// SPDX-License-Identifier: GPL-2.0-or-later
// The program as a whole: every collaborator and the six windows, made in
// the designed order and wired together. main() makes one over the real
// services; whole-flow tests make one over recording fakes.
#pragma once

#include "app/mainwindowsteps.h"
#include "lang/languagetexts.h"
#include "metadata/freedblookup.h"
#include "platform/apppaths.h"
#include "rip/namingsettings.h"
#include "settings/settingswindowsteps.h"

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
class EncoderPool;
class FreedbConnection;
class FreedbViews;
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
class TForm5;
class TForm7;
class LanguageApplier;
class TGogoTea;
class TagFields;
class TrackEncoder;
class TrackList;

// The composition root also carries out the steps the main window and the
// settings window leave to the rest of the program; each wiring file
// defines the steps of its subsystem.
class TrackmillApp final : private MainWindowSteps, private SettingsWindowSteps
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
        // Tests: the local CDDB server; no host: the server of the settings.
        FreedbServer freedbServer{QByteArray(), 80};
        // Where trays are opened after a run; null: the drives themselves
        // (tests record the request instead).
        DriveTray* tray = nullptr;
    };

    explicit TrackmillApp(Services services);
    ~TrackmillApp() override;

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
    // The WAV, MP3 and FLAC commands; tests put a recording view in front of the windows.
    RipRun& ripRun() { return *m_ripRun; }
    // Null when the encoder library could not be loaded (MP3 stays disabled).
    TrackEncoder* encoder() { return m_encoder.get(); }
    TrackEncoder& flacEncoder() { return *m_flacEncoder; }
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
    // The end of start-up and the main window's closing (wiring/startup.cpp).
    void wireStartUp();
    void saveOnClose();

    // The language's marks in the settings window (list entry and flag)
    // and its name in the main window's panel 4.
    void markSettingsWindowLanguage(int index);
    void nameLanguageInStatusBar(const QString& name);

    // MainWindowSteps and SettingsWindowSteps, by the wiring files of
    // their subsystems. The steps both windows have are the same step.
    bool useCdPlayerIniTicked() const override;
    void lookUpCdPlayerDatabase(const QString& drivePath) override;
    void resetTagEditor() override;
    void reloadLanguage() override;
    void readDiscNames(const QString& drivePath) override;
    void applyLanguageFile(const QString& fileName) override;
    void saveSettings() override;
    void rebuildCountingLabels() override;
    void formClose() override;
    bool runInProgress() const override;
    void refreshEncoderVersionLines() override;
    bool switchToDrive(int index) override;
    void rereadDiscToc() override;
    void markLanguage(const QString& name) override;
    void storeDiscNames(const QString& drivePath) override;
    void resetTagEditorGenres() override;
    void copyToTagEditor(const NamesForTagEditor& names) override;
    void languagePicked(int index) override;

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
    // The About window, a child of the main window (wireAbout).
    TForm5* m_form5 = nullptr;
    // Disc names: the database, the freedb commands and their window.
    std::unique_ptr<CdPlayerNames> m_cdPlayerNames;
    std::unique_ptr<TForm7> m_form7;
    std::unique_ptr<FreedbViews> m_freedbViews;
    std::unique_ptr<FreedbConnection> m_freedb;
    // The encoder component GogoTea1 and the run's encoder over it (null
    // when the encoder library could not be loaded), the FLAC encoder, the
    // run controller of the WAV, MP3 and FLAC commands and what it needs from the program
    // (wireRipping).
    std::unique_ptr<TGogoTea> m_gogoTea1;
    std::unique_ptr<TrackEncoder> m_encoder;
    std::unique_ptr<TrackEncoder> m_flacEncoder;
    // The encoders of several jobs at once (first: m_encoder, m_flacEncoder).
    std::unique_ptr<EncoderPool> m_mp3Pool;
    std::unique_ptr<EncoderPool> m_flacPool;
    std::unique_ptr<RunView> m_runView;
    std::unique_ptr<NamingSource> m_naming;
    std::unique_ptr<RunPersistence> m_persistence;
    std::unique_ptr<RipRun> m_ripRun;
    // Puts a language file's texts into all windows (wireLanguages).
    std::unique_ptr<LanguageApplier> m_languageApplier;
};

}
