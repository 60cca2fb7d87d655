// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/hiddenlog.h"
#include "app/mainwindow.h"
#include "app/mediawatcher.h"
#include "cd/tracklist.h"
#include "cd/akriplibrary.h"
#include "cd/cddrives.h"
#include "cd/drivelist.h"
#include "discimage.h"
#include "platform/inifile.h"
#include "programfolders.h"
#include "metadata/discnames.h"
#include "recordingmessageboxes.h"
#include "recordingwindowsteps.h"
#include "ui/tstatusbarpro.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <gtest/gtest.h>

#include <memory>

using namespace trackmill;

namespace {

class MainWindowTest : public ::testing::Test
{
protected:
    void start()
    {
        drives = std::make_unique<CdDrives>(library, log, driveList, CdDrives::Options{paths.discsDir(), false});
        tracks = std::make_unique<TrackList>(*drives, log);
        tracks->setDecimalPoint(QLatin1Char('.'));
        watcher = std::make_unique<MediaWatcher>(MediaWatcher::Options{paths.discsDir(), false, 100});
        form = std::make_unique<TForm1>(
            TForm1::Collaborators{*drives, driveList, *tracks, log, boxes, paths, names, steps, watcher.get()});
        form->show();
        grid = form->findChild<QTableView*>("TracksGrid");
        bar = form->findChild<TStatusBarPro*>("StatusBarPro1");
        ASSERT_TRUE(grid && bar);
    }

    QString cell(int column, int row) const { return tracks->cell(column, row); }
    QString panel(int index) const { return bar->panel(index)->text(); }
    QRect cellRect(int column, int row) const { return grid->visualRect(tracks->index(row - 1, column)); }
    void clickCell(int column, int row) { QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellRect(column, row).center()); }
    void clickPanel(int index) { QTest::mouseClick(bar, Qt::LeftButton, {}, bar->panelRect(index).center()); }
    void setCurrent(int column, int row)
    {
        grid->setFocus();
        grid->setCurrentIndex(tracks->index(row - 1, column));
    }

    test::ProgramFolders folders;
    AppPaths& paths = folders.paths;
    AkripLibrary library;
    HiddenLog log;
    DriveList driveList;
    test::RecordingMessageBoxes boxes;
    std::unique_ptr<CdDrives> drives;
    std::unique_ptr<TrackList> tracks;
    std::unique_ptr<MediaWatcher> watcher;
    DiscNames names;
    test::RecordingMainWindowSteps steps;
    std::unique_ptr<TForm1> form;
    QTableView* grid = nullptr;
    TStatusBarPro* bar = nullptr;
};

TEST_F(MainWindowTest, ShowsTheTracksOfTheImageAndTogglesThemByPanelSpaceAndF2)
{
    folders.writeDisc("Demo", {65, 125, 3 * 60 + 1, 10});
    start();
    EXPECT_EQ(cell(1, 1) + '|' + cell(3, 2) + '|' + cell(4, 1), "AudioTrack 01|   02:05|     10.93 MB");
    EXPECT_EQ(panel(2), "4 Tracks, Playtime 6:21");
    EXPECT_EQ(panel(3), "IMAGE Demo");
    EXPECT_EQ(tracks->MySelectedTracks(), "1, 2, 3, 4");  // SELECTALL unless the settings say otherwise
    clickPanel(1);
    EXPECT_EQ(tracks->MySelectedTracks(), "");
    clickPanel(0);
    EXPECT_EQ(tracks->MySelectedTracks(), "1, 2, 3, 4");
    clickPanel(1);

    // Space toggles in the name column only; a ticked and an empty check cell differ.
    setCurrent(1, 2);
    QTest::keyClick(grid, Qt::Key_Space);
    setCurrent(3, 3);
    QTest::keyClick(grid, Qt::Key_Space);
    EXPECT_EQ(tracks->MySelectedTracks(), "2");
    EXPECT_NE(grid->viewport()->grab(cellRect(0, 2)).toImage(), grid->viewport()->grab(cellRect(0, 3)).toImage());
    clickCell(1, 2);
    EXPECT_TRUE(form->inPlaceEditing());
    clickCell(3, 2);
    EXPECT_FALSE(form->inPlaceEditing());

    setCurrent(1, 1);
    QSignalSpy edited(form.get(), &TForm1::trackNameEdited);
    QTest::keyClick(grid, Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(tracks->index(0, 1)));
    ASSERT_TRUE(editor);
    editor->selectAll();
    QTest::keyClicks(editor, "Intro");
    // Every keystroke reaches the Track list and the settings window's list.
    EXPECT_EQ(cell(1, 1), "Intro");
    ASSERT_FALSE(edited.isEmpty());
    EXPECT_EQ(edited.last(), (QList<QVariant>{1, "Intro"}));
}

TEST_F(MainWindowTest, WithoutAnImageTheNoDiscRowIsLockedAndOnlyRefreshIsLive)
{
    start();
    EXPECT_EQ(grid->model()->rowCount(), 1);
    EXPECT_EQ(cell(1, 1), "Insert CD Audio to CD-ROM drive");
    EXPECT_EQ(panel(2), "0 Tracks,  Playtime: 00:00");
    for (const char* name : {"Refresh", "WAV", "MP3", "FLAC", "FreeDB", "Settings", "ID3", "About"})
        EXPECT_EQ(form->findChild<QToolButton*>(name)->isEnabled(), QByteArray(name) == "Refresh") << name;

    const bool before = tracks->isSelected(1);
    clickPanel(0);
    clickPanel(1);
    EXPECT_EQ(tracks->isSelected(1), before);
    setCurrent(1, 1);
    QTest::keyClick(grid, Qt::Key_F2);
    EXPECT_FALSE(form->inPlaceEditing());
    EXPECT_FALSE(grid->indexWidget(tracks->index(0, 1)));
}

TEST_F(MainWindowTest, ImagesArrivingAndLeavingRefreshTheWindowAndKeepTheSelection)
{
    start();
    form->findChild<QLineEdit*>("Artist")->setText("Someone");
    folders.writeDisc("New Disc", {20, 30});
    EXPECT_TRUE(QTest::qWaitFor([&] { return tracks->CD(); }, 1000));
    EXPECT_EQ(cell(1, 2), "AudioTrack 02");
    EXPECT_EQ(panel(3), "IMAGE New Disc");
    EXPECT_EQ(panel(2), "2 Tracks, Playtime 0:50");
    EXPECT_EQ(form->findChild<QLineEdit*>("Artist")->text(), "");

    // An image that sorts in front of the selected one leaves the selection
    // be; only CUE sheets count.
    EXPECT_TRUE(QFile(paths.discsDir() + "/notes.txt").open(QIODevice::WriteOnly));
    folders.writeDisc("A Disc", {10});
    ASSERT_TRUE(QTest::qWaitFor([&] { return driveList.count() == 2; }, 1000));
    EXPECT_EQ(driveList.selectedIndex(), 1);
    EXPECT_EQ(form->selectedDrivePath(), paths.discsDir() + "/New Disc.cue");
    EXPECT_EQ(grid->model()->rowCount(), 2);

    // Once it is gone, the first drive is taken; once all are gone, no disc.
    QFile::remove(paths.discsDir() + "/New Disc.cue");
    ASSERT_TRUE(QTest::qWaitFor([&] { return driveList.count() == 1; }, 1000));
    EXPECT_EQ(driveList.selectedIndex(), 0);
    EXPECT_EQ(grid->model()->rowCount(), 1);
    EXPECT_TRUE(tracks->CD());
    QFile::remove(paths.discsDir() + "/A Disc.cue");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !tracks->CD(); }, 1000));
    EXPECT_EQ(cell(1, 1), "Insert CD Audio to CD-ROM drive");
    EXPECT_EQ(panel(3), "");
}

TEST_F(MainWindowTest, AMediaEventDuringARunWaitsForTheRunsEnd)
{
    folders.writeDisc("Demo", {20, 30});
    start();
    setCurrent(1, 1);
    QTest::keyClick(grid, Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(tracks->index(0, 1)));
    ASSERT_TRUE(editor);
    editor->selectAll();
    QTest::keyClicks(editor, "Intro");
    QTest::keyClick(editor, Qt::Key_Return);
    clickPanel(1);
    setCurrent(1, 2);
    QTest::keyClick(grid, Qt::Key_Space);
    ASSERT_EQ(tracks->MySelectedTracks(), "2");

    // The run's disc leaves and another arrives while the run reads: the
    // run keeps its drive, its tracks, their names and their ticks.
    steps.running = true;
    QFile::remove(paths.discsDir() + "/Demo.cue");
    folders.writeDisc("Other", {10});
    QTest::qWait(800);
    EXPECT_EQ(grid->model()->rowCount(), 2);
    EXPECT_EQ(cell(1, 1), "Intro");
    EXPECT_EQ(tracks->MySelectedTracks(), "2");
    EXPECT_EQ(panel(3), "IMAGE Demo");
    EXPECT_TRUE(log.lines().contains("Media change during a run: handled when the run ends"));

    // Once the run is over, the event is handled as one that comes then.
    steps.running = false;
    form->runEnded();
    EXPECT_EQ(grid->model()->rowCount(), 1);
    EXPECT_EQ(panel(3), "IMAGE Other");
    EXPECT_EQ(form->lastArrivalDrive(), paths.discsDir() + "/Other.cue");
    const QStringList calls = steps.calls;
    form->runEnded();  // nothing more is waiting
    EXPECT_EQ(steps.calls, calls);
}

TEST_F(MainWindowTest, RefreshEmptiesTheNamesAndRunsTheLaterStepsInOrder)
{
    const struct
    {
        const char* name;
        bool disc;
        const char* useCdPlayerIni;  // the stored USECDPLAYERINI
        bool ticked;                 // the settings window's box
        QStringList calls;
    } cases[] = {
        {"database by the file", true, "1", false, {"database Demo.cue", "tags", "reload language", "names Demo.cue"}},
        {"database by the box", true, "0", true, {"database Demo.cue", "tags", "reload language", "names Demo.cue"}},
        {"no database", true, "0", false, {"tags", "reload language", "names Demo.cue"}},
        {"no disc", false, "1", true, {"tags", "reload language"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(paths.discsDir() + "/Demo.cue");
        if (c.disc)
            folders.writeDisc("Demo", {3, 4});
        IniFile(paths.settingsFile()).writeString("MAIN", "USECDPLAYERINI", c.useCdPlayerIni);
        start();
        steps.ticked = c.ticked;
        steps.calls.clear();
        names.setArtist("Old");
        names.setYear("1999");
        names.setTrackNames({"old"});
        form->findChild<QToolButton*>("Refresh")->click();
        EXPECT_EQ(steps.calls, c.calls);
        EXPECT_EQ(form->findChild<QLineEdit*>("Artist")->text(), "");
        EXPECT_EQ(QStringList({names.artist(), names.year()}), QStringList({"", ""}));
        EXPECT_TRUE(names.trackNames().isEmpty());
        form.reset();
        watcher.reset();
    }
}

TEST_F(MainWindowTest, PanelsOfferTheLanguageMenuAndShowTextsCutShortAsToolTips)
{
    start();
    auto* menu = form->findChild<QMenu*>("PopupMenu1");
    ASSERT_TRUE(menu);
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 30);
    EXPECT_EQ(bar->panel(4)->popupMenu(), menu);
    const QStringList& applied = steps.languages;
    actions.at(5)->trigger();  // Brazilian
    EXPECT_EQ(applied, QStringList({"PortugueseBr.LNG"}));
    EXPECT_TRUE(actions.at(5)->isChecked() && !actions.at(0)->isChecked());
    EXPECT_EQ(panel(4), "PortugueseBr");

    // A right click opens the menu of its own panel only.
    QTest::mouseClick(bar, Qt::RightButton, {}, bar->panelRect(2).center());
    EXPECT_FALSE(menu->isVisible());
    QTest::mouseClick(bar, Qt::RightButton, {}, bar->panelRect(4).center());
    EXPECT_TRUE(menu->isVisible());
    menu->hide();

    // Only a text cut short is shown whole as a tool tip.
    const auto hover = [this](int index) {
        const QPoint at = bar->panelRect(index).center();
        QHelpEvent help(QEvent::ToolTip, at, bar->mapToGlobal(at));
        QApplication::sendEvent(bar, &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(hover(2), "");  // the summary fits
    const QString longText(300, QLatin1Char('x'));
    bar->panel(2)->setText(longText);
    EXPECT_EQ(hover(2), longText);
    QToolTip::hideText();
}

}
