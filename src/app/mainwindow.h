// SPDX-License-Identifier: GPL-2.0-or-later
// TForm1: the main window.
#pragma once

#include "mainwindowsteps.h"
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
class DiscNames;
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
        // The disc's names: Artist, Album and the grid's typed names show
        // and edit them.
        DiscNames& names;
        MainWindowSteps& steps;
        MediaWatcher* mediaWatcher = nullptr;  // may be null: no media events
    };

    explicit TForm1(Collaborators collaborators, QWidget* parent = nullptr);
    ~TForm1() override;

    // The status bar (panel 4 names the language, panel 5 the system) and
    // the language menu, for the language and start-up wiring.
    TStatusBarPro& statusBar() const { return *m_statusBar; }
    QMenu& languageMenu() const { return *m_languageMenu; }

    // Connects a toolbar button (by its design name, "WAV", "ID3", ...) to
    // its command and enables it. Subsystems call this when they wire in.
    void setCommand(const QString& button, std::function<void()> handler);

    // The disc's artist and album, as the edits show them.
    QString artist() const;
    QString album() const;
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
    // The close handler: runs the formClose step; the program ends after it.
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
    // During a run the event is only remembered (the run holds the drive
    // handle and the Track list it was started with); runEnded() handles it.
    void mediaChanged(const QString& arrivedDrive = QString());
    // A run is over: a media event that came during it is handled now.
    void runEnded();

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
    // A track name edited in place: row r is entry r - 1 of the disc's
    // track names.
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
    void bindNames();
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
    bool m_blinking = false;
    bool m_editing = false;
    QString m_selectedDrivePath;
    QString m_lastArrivalDrive;
    bool m_mediaEventWaiting = false;   // came during a run
    QString m_waitingArrival;          // the medium that arrived meanwhile, if any

    QToolBar* m_toolBar = nullptr;
    QLineEdit* m_artist = nullptr;
    QLineEdit* m_album = nullptr;
    QTableView* m_grid = nullptr;
    TStatusBarPro* m_statusBar = nullptr;
    QMenu* m_languageMenu = nullptr;
    QPlainTextEdit* m_memo = nullptr;
};

}
