// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/hiddenlog.h"
#include "app/mainwindow.h"
#include "app/mediawatcher.h"
#include "app/tracklist.h"
#include "cd/akriplibrary.h"
#include "cd/cddrives.h"
#include "cd/drivelist.h"
#include "discimage.h"
#include "programfolders.h"
#include "recordingmessageboxes.h"
#include "ui/tstatusbarpro.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>

using namespace trackmill;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace {

class MainWindowTest : public ::testing::Test
{
protected:
    ~MainWindowTest() override
    {
        form.reset();
        watcher.reset();
        tracks.reset();
        drives.reset();
    }

    // Writes an image of tracks of the given seconds, into Discs by default.
    void writeImage(const QString& name, const std::vector<uint64_t>& seconds, QString folder = {})
    {
        discimage::DiscSpec disc;
        for (uint64_t s : seconds)
            disc.trackBytes.push_back(s * discimage::kBytesPerSecond);
        discimage::writeDisc(((folder.isEmpty() ? paths.discsDir() : folder) + "/" + name).toStdString(), disc);
    }

    void start()
    {
        drives = std::make_unique<CdDrives>(library, log, driveList, CdDrives::Options{paths.discsDir(), false});
        tracks = std::make_unique<TrackList>(*drives, log);
        tracks->setDecimalPoint(QLatin1Char('.'));
        watcher = std::make_unique<MediaWatcher>(MediaWatcher::Options{paths.discsDir(), false, 100});
        form = std::make_unique<TForm1>(
            TForm1::Collaborators{*drives, driveList, *tracks, log, boxes, paths, watcher.get()});
        form->show();
        grid = form->findChild<QTableView*>("TracksGrid");
        bar = form->findChild<TStatusBarPro*>("StatusBarPro1");
        ASSERT_TRUE(grid && bar);
    }

    QString cell(int column, int row) const { return tracks->cell(column, row); }

    void clickCell(int column, int row)
    {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(tracks->index(row - 1, column)).center());
    }

    void clickPanel(int panel)
    {
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->panelRect(panel).center());
    }

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
    std::unique_ptr<TForm1> form;
    QTableView* grid = nullptr;
    TStatusBarPro* bar = nullptr;
};

TEST_F(MainWindowTest, ShowsTheTracksOfTheImageInTheDrive)
{
    writeImage("Demo", {65, 125, 3 * 60 + 1});
    start();
    EXPECT_EQ(form->windowTitle(), "Trackmill 2.0");
    EXPECT_EQ(grid->model()->rowCount(), 3);
    EXPECT_EQ(cell(1, 1), "AudioTrack 01");
    EXPECT_EQ(cell(2, 3), "    03");
    EXPECT_EQ(cell(3, 1), "   01:05");
    EXPECT_EQ(cell(3, 2), "   02:05");
    EXPECT_EQ(cell(4, 1), "     10.93 MB");
    EXPECT_EQ(bar->panel(2)->text(), "3 Tracks, Playtime 6:11");
    EXPECT_EQ(bar->panel(3)->text(), "IMAGE Demo");
    EXPECT_EQ(bar->panel(4)->text(), "English");
    // SELECTALL is true when the settings file does not say otherwise.
    EXPECT_EQ(tracks->MySelectedTracks(), "1, 2, 3");
}

TEST_F(MainWindowTest, PanelsSelectAllOrNoneAndClicksOnTheCheckCellToggleTheRow)
{
    writeImage("Demo", {10, 10, 10, 10});
    start();
    clickPanel(1);
    EXPECT_EQ(tracks->MySelectedTracks(), "");
    EXPECT_EQ(cell(0, 2), "0");
    clickPanel(0);
    EXPECT_EQ(tracks->MySelectedTracks(), "1, 2, 3, 4");
    clickPanel(1);
    clickCell(0, 3);
    EXPECT_EQ(cell(0, 3), "1");
    EXPECT_TRUE(tracks->isSelected(3));
    clickCell(0, 3);
    clickCell(0, 3);
    EXPECT_EQ(cell(0, 3), "1");
    EXPECT_EQ(tracks->MySelectedTracks(), "3");
    EXPECT_FALSE(form->inPlaceEditing());
    clickCell(1, 2);
    EXPECT_TRUE(form->inPlaceEditing());
    clickCell(3, 2);
    EXPECT_FALSE(form->inPlaceEditing());
}

TEST_F(MainWindowTest, SpaceTogglesOnlyInTheNameColumnAndF2OpensTheEditor)
{
    writeImage("Demo", {10, 10});
    start();
    clickPanel(1);
    setCurrent(1, 2);
    QTest::keyClick(grid, Qt::Key_Space);
    EXPECT_EQ(tracks->MySelectedTracks(), "2");
    QTest::keyClick(grid, Qt::Key_Space);
    EXPECT_EQ(tracks->MySelectedTracks(), "");

    setCurrent(3, 2);
    QTest::keyClick(grid, Qt::Key_Space);
    EXPECT_EQ(tracks->MySelectedTracks(), "");
    EXPECT_FALSE(form->inPlaceEditing());

    setCurrent(1, 1);
    QSignalSpy edited(form.get(), &TForm1::trackNameEdited);
    QTest::keyClick(grid, Qt::Key_F2);
    EXPECT_TRUE(form->inPlaceEditing());
    auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(tracks->index(0, 1)));
    ASSERT_TRUE(editor);
    editor->selectAll();
    QTest::keyClicks(editor, "Intro");
    // Every keystroke reaches the Track list and the settings window's list.
    EXPECT_EQ(cell(1, 1), "Intro");
    ASSERT_FALSE(edited.isEmpty());
    EXPECT_EQ(edited.last().at(0).toInt(), 1);
    EXPECT_EQ(edited.last().at(1).toString(), "Intro");
}

// The check cell of a row as drawn on screen.
QImage checkCell(QTableView* grid, const QModelIndex& index)
{
    return grid->viewport()->grab(grid->visualRect(index)).toImage();
}

bool allWhite(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != QColor(Qt::white))
                return false;
    return true;
}

TEST_F(MainWindowTest, CheckCellsShowTwoDistinctPicturesAndNoText)
{
    writeImage("Demo", {10, 10, 10});
    start();
    tracks->setSelection(2, false);
    const QImage ticked = checkCell(grid, tracks->index(0, 0));
    const QImage empty = checkCell(grid, tracks->index(1, 0));
    EXPECT_EQ(ticked, checkCell(grid, tracks->index(2, 0)));
    EXPECT_NE(ticked, empty);
    EXPECT_FALSE(allWhite(ticked));
    EXPECT_FALSE(allWhite(empty));
}

TEST_F(MainWindowTest, WithoutAnImageTheNoDiscRowIsShownAndLocked)
{
    start();
    EXPECT_FALSE(tracks->CD());
    EXPECT_EQ(grid->model()->rowCount(), 1);
    EXPECT_EQ(cell(1, 1), "Insert CD Audio to CD-ROM drive");
    EXPECT_EQ(bar->panel(2)->text(), "0 Tracks,  Playtime: 00:00");
    EXPECT_TRUE(log.lines().contains("CD-ROM drives not found!"));

    const bool before = tracks->isSelected(1);
    clickPanel(0);
    clickPanel(1);
    EXPECT_EQ(tracks->isSelected(1), before);
    setCurrent(1, 1);
    QTest::keyClick(grid, Qt::Key_F2);
    EXPECT_FALSE(form->inPlaceEditing());
    EXPECT_FALSE(grid->indexWidget(tracks->index(0, 1)));
    // No check picture on the message row.
    tracks->setSelection(1, true);
    grid->viewport()->update();
    EXPECT_TRUE(allWhite(checkCell(grid, tracks->index(0, 0))));
}

TEST_F(MainWindowTest, ImagesArrivingAndLeavingRefreshTheWindow)
{
    start();
    ASSERT_FALSE(tracks->CD());
    form->findChild<QLineEdit*>("Artist")->setText("Someone");

    // Copied in from elsewhere while the window runs.
    QTemporaryDir staging;
    writeImage("New Disc", {20, 30}, staging.path());
    ASSERT_TRUE(QFile::copy(staging.path() + "/New Disc.bin", paths.discsDir() + "/New Disc.bin"));
    ASSERT_TRUE(QFile::copy(staging.path() + "/New Disc.cue", paths.discsDir() + "/New Disc.cue"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return tracks->CD(); }, 1000));
    EXPECT_EQ(grid->model()->rowCount(), 2);
    EXPECT_EQ(cell(1, 2), "AudioTrack 02");
    EXPECT_EQ(bar->panel(3)->text(), "IMAGE New Disc");
    EXPECT_EQ(bar->panel(2)->text(), "2 Tracks, Playtime 0:50");
    EXPECT_EQ(form->findChild<QLineEdit*>("Artist")->text(), "");
    EXPECT_EQ(form->lastArrivalDrive(), paths.discsDir() + "/New Disc.cue");

    QFile::remove(paths.discsDir() + "/New Disc.cue");
    QFile::remove(paths.discsDir() + "/New Disc.bin");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !tracks->CD(); }, 1000));
    EXPECT_EQ(grid->model()->rowCount(), 1);
    EXPECT_EQ(cell(1, 1), "Insert CD Audio to CD-ROM drive");
    EXPECT_EQ(bar->panel(3)->text(), "");
    EXPECT_EQ(form->lastArrivalDrive(), paths.discsDir() + "/New Disc.cue");
}

TEST_F(MainWindowTest, TheSelectedImageStaysSelectedWhenAnotherArrives)
{
    writeImage("B Disc", {10, 10, 10});
    start();
    ASSERT_EQ(grid->model()->rowCount(), 3);
    // An image that sorts in front of the selected one.
    writeImage("A Disc", {10});
    ASSERT_TRUE(QTest::qWaitFor([&] { return driveList.count() == 2; }, 1000));
    EXPECT_EQ(driveList.selectedIndex(), 1);
    EXPECT_EQ(form->selectedDrivePath(), paths.discsDir() + "/B Disc.cue");
    EXPECT_EQ(grid->model()->rowCount(), 3);
    // Once it is gone, the first drive is taken.
    QFile::remove(paths.discsDir() + "/B Disc.cue");
    ASSERT_TRUE(QTest::qWaitFor([&] { return driveList.count() == 1; }, 1000));
    EXPECT_EQ(driveList.selectedIndex(), 0);
    EXPECT_EQ(grid->model()->rowCount(), 1);
    EXPECT_TRUE(tracks->CD());
}

TEST_F(MainWindowTest, RefreshRereadsTheDriveAndRunsTheLaterSteps)
{
    writeImage("Demo", {10, 10});
    start();
    QStringList steps;
    form->hooks().clearOtherWindowsNames = [&] { steps << "clear"; };
    form->hooks().lookUpCdPlayerDatabase = [&](const QString& p) { steps << "lookup " + p; };
    form->hooks().resetTagEditor = [&] { steps << "tags"; };
    form->hooks().reloadLanguage = [&] { steps << "language"; };
    form->hooks().readDiscNames = [&](const QString& p) { steps << "names " + p; };
    form->findChild<QToolButton*>("Refresh")->click();
    const QString path = paths.discsDir() + "/Demo.cue";
    EXPECT_EQ(steps, QStringList({"clear", "lookup " + path, "tags", "language", "names " + path}));
    EXPECT_TRUE(tracks->CD());
    EXPECT_NE(drives->handle(), 0u);
}

TEST_F(MainWindowTest, AloneOnlyRefreshIsLiveAndTheLogStaysHidden)
{
    start();
    for (const char* name : {"Refresh", "WAV", "MP3", "FreeDB", "Settings", "ID3", "About"})
        EXPECT_EQ(form->findChild<QToolButton*>(name)->isEnabled(), QByteArray(name) == "Refresh") << name;
    auto* memo = form->findChild<QPlainTextEdit*>("Memo1");
    ASSERT_TRUE(memo);
    EXPECT_FALSE(memo->isVisible());
    log.add("diagnostic line");
    EXPECT_TRUE(memo->toPlainText().endsWith("diagnostic line"));
}

TEST_F(MainWindowTest, LanguageMenuOfThePanelsAppliesTheChosenFile)
{
    start();
    auto* menu = form->findChild<QMenu*>("PopupMenu1");
    ASSERT_TRUE(menu);
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 30);
    EXPECT_TRUE(actions.at(0)->isChecked());
    EXPECT_EQ(actions.at(5)->objectName(), "Brazilian");
    for (int panel : {1, 4, 5})
        EXPECT_EQ(bar->panel(panel)->popupMenu(), menu) << panel;
    EXPECT_EQ(bar->panel(2)->popupMenu(), nullptr);

    QStringList applied;
    form->hooks().applyLanguageFile = [&](const QString& file) { applied << file; };
    actions.at(5)->trigger();
    EXPECT_EQ(applied, QStringList({"PortugueseBr.LNG"}));
    EXPECT_TRUE(actions.at(5)->isChecked());
    EXPECT_FALSE(actions.at(0)->isChecked());
    EXPECT_EQ(bar->panel(4)->text(), "PortugueseBr");
    form->CheckTextLanguage("Klingon");
    for (QAction* a : actions)
        EXPECT_FALSE(a->isChecked());
}

TEST_F(MainWindowTest, BlinkingStopsWhenTheProgramIsActivated)
{
    start();
    QTimer::singleShot(150, form.get(), [this] { form->AppActivate(); });
    QDeadlineTimer limit(3000);
    form->MakeBlinking(20);
    EXPECT_FALSE(form->isBlinking());
    EXPECT_FALSE(limit.hasExpired());
}

}
