// SPDX-License-Identifier: GPL-2.0-or-later
// TForm2: the settings window.
#pragma once

#include "platform/apppaths.h"
#include "rip/namingsettings.h"
#include "settingswindowsteps.h"

#include <QDialog>
#include <QLocale>
#include <QString>
#include <vector>

class QCheckBox;
class QComboBox;
class QPixmap;
class QPushButton;
class QTabWidget;

namespace trackmill {

class CdDrives;
class CdRomPage;
class DesktopShell;
struct EncoderLibraryLines;
struct RipLibraryLines;
class DiscNames;
class EncoderPage;
class FileNamePage;
class FreedbPage;
class LanguagePage;
struct SettingEntry;
class TrackNamePage;
class DriveList;
class MessageBoxes;
class Settings;
class TForm4;
class TrackList;

// The settings window. Its controls are bound to the live Settings object:
// every change of a control is written into it at once, and showSettings()
// puts the object's values back into the controls. So the encoder and the
// ripper, which read the Settings object, always see what the window shows,
// and save() writes exactly that. Cancel restores nothing: a value changed
// and then cancelled stays in effect until the settings file is loaded
// again, which the Settings button does before it shows the window. Code
// that changes the Settings object itself calls showSettings() to show it.
//
// Each tab is a page class of its own (src/settings/pages/); the binding of
// controls to values walks the settings table (settingstable.h), which names
// each value's control by its objectName.
//
// The window is made once, after the main window, and only hidden when it
// closes. What its handlers need of other windows goes through the
// SettingsWindowSteps it is given.
class TForm2 : public QDialog
{
    Q_OBJECT
public:
    // All of them outlive the window.
    struct Collaborators
    {
        Settings& settings;
        SettingsWindowSteps& steps;
        DiscNames& names;
        CdDrives& drives;
        DriveList& driveList;
        TrackList& tracks;
        DesktopShell& shell;
        MessageBoxes& messageBoxes;
        AppPaths paths;
        // The tag editor, made before this window. When given, it holds
        // USEID3v1 and USEID3v2.
        TForm4* tagEditor = nullptr;
    };

    explicit TForm2(Collaborators collaborators, QWidget* parent = nullptr);
    ~TForm2() override;

    // The steps it was given (the version lines are refreshed through
    // them before every opening).
    SettingsWindowSteps& steps() { return m_c.steps; }

    // Cmb_Language of the Language page (the About window and a refresh
    // read the language selected there).
    const QComboBox& languageBox() const;
    // The flag of the selected language beside the list (ImageCountry).
    void setLanguageFlag(const QPixmap& flag);
    // Whether the UseCDPlayerINI box is ticked.
    bool useCdPlayerIniTicked() const;

    // The ripping library's lines (once, when the window is made):
    // LibraryRipCDROM and LibraryRipCDDB, and the company and copyright
    // lines of both pages (CompanyRip, CopyrightRip, Label13, Label14)
    // where the library's version information gave them.
    void showRipLibraryLines(const RipLibraryLines& lines);
    // MyCompany, MyLibrary and MyCopyright (before every opening).
    void showEncoderLibraryLines(const EncoderLibraryLines& lines);

    // The Settings button of the main window: refreshes the encoder's
    // version lines, loads the settings file, shows the window modally.
    void SettingsClick();

    // Loads the settings file into the Settings object and the controls.
    void loadSettings();
    // Saves the Settings to the settings file; a failure is reported in an
    // error box ("Unable to write to <path>") and answered false.
    bool saveSettings();
    // Puts the values of the Settings object into the controls.
    void showSettings();

    // Handlers.
    void ApplyClick();
    void CancelClick();
    void CDROMUnitClick(int index);
    void BtnBrowseWAV_MP3Click();
    void PageControl1Change(int index);
    void PageControl2Change(int index);
    void MPEG1Click();
    void MPEG2Click();
    void TrackBarCBR_LowChange();
    void TrackBarCBR_HighChange();
    void TrackBarThresholdChange();
    void TrackBarPowerChange();
    void LabelEmailTranslatorClick();
    void LabelwwwClick();
    void Cmb_LanguageClick(int index);
    void TracksClick();
    void BtnSetNameClick();
    // Answers whether the key was consumed.
    bool CurrentTrackKeyPress(int key);

    // Refills Bitrate and BitrateMax with the table of MPEG version 1 or 2,
    // keeping the selected positions.
    void SetMPEG(int version);
    // "128kbps": the table value of the checked MPEG version (MPEG-2 unless
    // MPEG1 is checked) at index; empty for an index outside the table.
    QString GetBitrate(int index) const;
    // The folder picker, opened at the output folder the window shows: the
    // chosen folder with a trailing "/", or empty when the user cancelled
    // (the Browse button then leaves the output folder as it was).
    QString Browse();

    // Selects the Cmb_Language entry named exactly so; another name leaves
    // the list as it is.
    void selectLanguage(const QString& name);
    // Base texts of the two counting labels (the language file's texts),
    // then rebuilds them: "Available tracks: (12):" and "Track 03:".
    void setCountingLabelTexts(const QString& availableTracks, const QString& track);
    void rebuildCountingLabels();

    // The naming settings as the controls hold them now.
    NamingSettings namingSettings() const;

private:
    // A stored value and the control of this window that shows it.
    struct BoundControl
    {
        const SettingEntry* entry;
        QWidget* control;
    };

    void bindControls();
    // A label of the pages, by its objectName, shows text.
    void setLabel(const char* name, const QString& text);
    void storeListIndexes();
    void showDriveList();
    void applyEnablingRules();
    NamesForTagEditor namesForTagEditor(bool withYear) const;
    QString selectedDrivePath() const;

    Collaborators m_c;
    // Set while showSettings() fills the controls, so that their change
    // signals do not write half-shown values back.
    bool m_showing = false;
    QString m_selectedDriveLetter;

    QTabWidget* m_pages = nullptr;
    QPushButton* m_apply = nullptr;
    QPushButton* m_cancel = nullptr;
    EncoderPage* m_encoder = nullptr;
    CdRomPage* m_cdRom = nullptr;
    FreedbPage* m_freedb = nullptr;
    FileNamePage* m_fileName = nullptr;
    TrackNamePage* m_trackName = nullptr;
    LanguagePage* m_language = nullptr;
    // In load order, as bindControls() found them.
    std::vector<BoundControl> m_bound;
    QCheckBox* m_useCdPlayerIni = nullptr;
};

}
