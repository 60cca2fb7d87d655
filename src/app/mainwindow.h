// SPDX-License-Identifier: GPL-2.0-or-later
// TForm1: the main window.
#pragma once

#include "platform/apppaths.h"

#include <QString>
#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QMenu;
class QModelIndex;
class QPlainTextEdit;
class QTableView;
class QToolBar;
class QToolButton;

namespace trackmill {

class CdDrives;
class DriveList;
class HiddenLog;
class MediaWatcher;
class MessageBoxes;
class TStatusBarPro;
class TrackList;

// The main window: the Track list in the owner-drawn grid TracksGrid, the
// toolbar, the artist and album edits, the status bar with the disc summary
// and the language menu. It is a view: drive logic lives in CdDrives, the
// Track list in TrackList; the handlers here call into them.
class TForm1 : public QWidget
{
    Q_OBJECT
public:
    struct Collaborators
    {
        CdDrives& drives;
        DriveList& driveList;
        TrackList& tracks;
        HiddenLog& log;
        MessageBoxes& messageBoxes;
        AppPaths paths;
        MediaWatcher* mediaWatcher = nullptr;  // may be null: no media events
    };

    // The steps of a refresh and of a language change that belong to the
    // windows and subsystems made after this one. Each is empty until the
    // owner of the step installs it; an empty hook is skipped.
    struct Hooks
    {
        // Clears the tag editor's Artist/Album and the settings window's
        // Edt_Artist, Edt_Album, Edt_Year, Tracks and CurrentTrack (refresh step 1).
        std::function<void()> clearOtherWindowsNames;
        // Whether the settings window's UseCDPlayerINI box is ticked.
        std::function<bool()> useCdPlayerIniTicked;
        // Looks the disc up in the CD Player database by drive path and puts
        // the names into the Track list (refresh step 2).
        std::function<void(const QString& drivePath)> lookUpCdPlayerDatabase;
        // Resets the tag editor's fields from the new disc (refresh step 2).
        std::function<void()> resetTagEditor;
        // Applies the language file of the selected Cmb_Language entry (refresh step 5).
        std::function<void()> reloadLanguage;
        // Reads the disc's names from CDPLAYER.INI into the settings window (refresh step 6).
        std::function<void(const QString& drivePath)> readDiscNames;
        // Applies a language file, given its file name ("German.LNG").
        std::function<void(const QString& fileName)> applyLanguageFile;
        // Saves the settings (after a language was picked from the menu).
        std::function<void()> saveSettings;
        // Rebuilds the settings window's counting labels.
        std::function<void()> rebuildCountingLabels;
        // The work of closing the main window (settings and disc names saved).
        std::function<void()> formClose;
    };

    explicit TForm1(Collaborators collaborators, QWidget* parent = nullptr);
    ~TForm1() override;

    Hooks& hooks() { return m_hooks; }

    // Connects a toolbar button (by its design name, "WAV", "ID3", ...) to
    // its command and enables it. Subsystems call this when they wire in.
    void setCommand(const QString& button, std::function<void()> handler);

    QString artist() const;
    QString album() const;
    // Write only when the text differs, so an echo from another window
    // never moves the cursor of an edit the user is typing in.
    void setArtist(const QString& text);
    void setAlbum(const QString& text);

    // Handlers and operations of the window.
    void RefreshClick();
    void MyRefresh();
    void GetCDTOC();
    void ShowInformationStatusBar();
    void CheckOrNotAllTracks(int count, QChar mark);
    void StatusBarPro1Panels0Click();
    void StatusBarPro1Panels1Click();
    void TracksGridClick(const QModelIndex& index);
    void TracksGridMouseDown(const QModelIndex& index);
    void TracksGridMouseUp(const QModelIndex& index);
    // Answers whether the key was consumed (Space toggling a row).
    bool TracksGridKeyDown(int key);
    bool GetUse(const QString& fileName, const QString& key) const;
    void FormEnabled(bool enabled);
    // The close handler: runs the formClose hook; the program ends after it.
    void FormClose();
    // Flashes the task bar entry every periodMs until AppActivate.
    void MakeBlinking(int periodMs);
    void AppActivate();
    bool isBlinking() const { return m_blinking; }
    // The drive part of choosing another drive in the settings window: close
    // the handle (false, and nothing changes, when that is refused), select
    // and open entry index, read the TOC, write the summary, select all or
    // none by SELECTALL and show the drive in panel 3. The settings window
    // adds its own steps around this.
    bool switchToDrive(int index);
    // Reaction to a medium arriving or leaving: rebuild the drive lists,
    // keep the selected drive by its path when it is still there, refresh.
    void mediaChanged(const QString& arrivedDrive = QString());

    // Language menu.
    void SetLanguage(const QString& name);
    void CheckTextLanguage(const QString& name);
    void EnglishClick();
    void PolishClick();
    void GermanClick();
    void FrenchClick();
    void JapaneseClick();
    void BrazilianClick();
    void SpanishClick();
    void CzechClick();
    void SlovakClick();
    void DutchClick();
    void ItalianClick();
    void SwedishClick();
    void HungarianClick();
    void RussianClick();
    void NorwegianClick();
    void CroatianClick();
    void HebrewClick();
    void EstonianClick();
    void TChineseClick();
    void SChineseClick();
    void DanishClick();
    void TurkishClick();
    void GreekClick();
    void RomanianClick();
    void LatvianClick();
    void AlbanianClick();
    void FinnishClick();
    void ChileanClick();
    void CatalanClick();
    void SerbianClick();

    // Whether a click or F2 may open the in-place name editor.
    bool inPlaceEditing() const { return m_editing; }
    QString selectedDrivePath() const { return m_selectedDrivePath; }
    // The drive (device or image path) of the last medium that arrived;
    // empty until one arrives. The disc database lookup of freedb reads it.
    QString lastArrivalDrive() const { return m_lastArrivalDrive; }

Q_SIGNALS:
    // Edits of the names, for the tag editor and the settings window.
    void artistChanged(const QString& text);
    void albumChanged(const QString& text);
    // A track name edited in place: row r is entry r - 1 of the settings
    // window's Tracks list.
    void trackNameEdited(int row, const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildToolbar();
    void buildGrid();
    void buildStatusBar();
    void buildLanguageMenu();
    void FormCreate();
    void setEditing(bool on);
    void fitColumnsToHeaders();
    // Widens the window to what the toolbar and the status bar need (after
    // a language change, a longer disc summary), never beyond the screen.
    void growToFitBars();
    void rememberSelectedDrive();
    void showSelectedDrive();
    int currentRow() const;
    int currentColumn() const;

    Collaborators m_c;
    Hooks m_hooks;
    bool m_blinking = false;
    bool m_editing = false;
    QString m_selectedDrivePath;
    QString m_lastArrivalDrive;

    QToolBar* m_toolBar = nullptr;
    QLineEdit* m_artist = nullptr;
    QLineEdit* m_album = nullptr;
    QTableView* m_grid = nullptr;
    TStatusBarPro* m_statusBar = nullptr;
    QMenu* m_languageMenu = nullptr;
    QPlainTextEdit* m_memo = nullptr;
};

}
