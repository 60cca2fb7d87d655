// SPDX-License-Identifier: GPL-2.0-or-later
// Disc names through the whole program: a generated disc image, the local
// CDDB server and recording fakes, driven through the windows by name.
#include "akrip32_testing.h"
#include "platform/hiddenlog.h"
#include "app/mainwindow.h"
#include "cd/tracklist.h"
#include "app/trackmillapp.h"
#include "cd/cddrives.h"
#include "cddbserver.h"
#include "discimage.h"
#include "fakedesktopshell.h"
#include "metadata/cdplayerdatabase.h"
#include "metadata/cdplayernames.h"
#include "metadata/discnames.h"
#include "metadata/freedbwindow.h"
#include "platform/inifile.h"
#include "programfolders.h"
#include "recordingmessageboxes.h"
#include "recordingsystemservices.h"
#include "settings/settings.h"
#include "settings/settingswindow.h"
#include "tags/tageditorwindow.h"
#include "tags/tagfields.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace trackmill;

namespace {

using Server = test::CddbServer;

class DiscNamesTest : public ::testing::Test
{
protected:
    DiscNamesTest()
    {
        // Where the library stores names under option 8, too (this process's isolated configuration).
        paths.configDir = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Trackmill");
        QFile::remove(paths.cdPlayerIni());
        AkripTestResetCddb();
        AkripTestSetCddbTimeouts(500, 1500);
        // Looked up by the window's Connect only; the other switches stay on.
        IniFile(paths.settingsFile()).writeString("MAIN", "AUTO_CONNECT_FREEDB", "0");
    }
    ~DiscNamesTest() override
    {
        app.reset();
        AkripTestResetCddb();
        QFile::remove(paths.cdPlayerIni());
    }

    void start(uint16_t port = 0)
    {
        app = std::make_unique<TrackmillApp>(TrackmillApp::Services{
            boxes, system, shell, paths, false, false, {"127.0.0.1", port ? port : server.port()}});
        LanguageTexts& texts = app->languageTexts();
        texts.noDisc = QStringLiteral("No disc");
        texts.freedbFound = QStringLiteral("Found");
        texts.freedbNotFound = QStringLiteral("Not found");
        texts.lookupChoose = QStringLiteral("Choose");
    }
    // The entry the server reads out for the disc id.
    void serve(const std::string& category, const std::string& id, const std::string& dtitle,
               const std::vector<std::string>& titles)
    {
        std::vector<std::string> lines = {"# xmcd", "DISCID=" + id, "DTITLE=" + dtitle, "DYEAR=1999"};
        for (size_t i = 0; i < titles.size(); ++i)
            lines.push_back("TTITLE" + std::to_string(i) + "=" + titles[i]);
        server.setReadAnswer(category, id, Server::entry(category, id, lines));
    }

    void connect() { app->form7().findChild<QPushButton*>(QStringLiteral("BtnConnect"))->click(); }
    QString status() { return app->form7().status(); }
    QStringList gridNames()
    {
        QStringList names;
        for (int r = 1; r < app->tracks().RowCount(); ++r)
            names.append(app->tracks().trackName(r));
        return names;
    }
    QString tagField(const char* name) { return app->form4().findChild<QLineEdit*>(QLatin1String(name))->text(); }
    QString edit(const char* name) { return app->form2().findChild<QLineEdit*>(QLatin1String(name))->text(); }
    QStringList trackList()
    {
        QStringList names;
        const auto* list = app->form2().findChild<QListWidget*>(QStringLiteral("Tracks"));
        for (int i = 0; i < list->count(); ++i)
            names.append(list->item(i)->text());
        return names;
    }
    QString discId() { return *CdPlayerNames::GetCD_ID_Audio(app->drives()); }

    test::ProgramFolders folders;
    AppPaths& paths = folders.paths;
    test::RecordingMessageBoxes boxes;
    test::RecordingSystemServices system;
    test::FakeDesktopShell shell;
    Server server;
    std::unique_ptr<TrackmillApp> app;
};

TEST_F(DiscNamesTest, LookupNamesTheDiscInEveryWindow)
{
    folders.writeDisc("disc", {3, 4, 5});
    // The server answers in windows-1252, as old entries are; an inexact
    // list is the user's to choose from, and the chosen entry names the disc.
    server.setQueryAnswer(Server::matchList(211, {"misc 3b000103 Second / Two", "rock 1f00b203 The B\xE4nd / The Album"}));
    serve("rock", "1f00b203", "The B\xE4nd / The Album", {"One", "Two", "Three"});
    serve("misc", "3b000103", "Second / Two", {"B1", "B2", "B3"});
    start();
    app->settings().autoStoreCdPlayerIni = false;
    connect();

    const QString band = QString::fromUtf8("The B\xC3\xA4nd");
    EXPECT_EQ(status(), "Choose");
    EXPECT_EQ(gridNames(), (QStringList{"AudioTrack 01", "AudioTrack 02", "AudioTrack 03"}));
    auto* list = app->form7().findChild<QTreeWidget*>(QStringLiteral("Candidates"));
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_TRUE(list->isVisibleTo(&app->form7()));
    EXPECT_EQ(list->topLevelItem(1)->text(0) + "|" + list->topLevelItem(1)->text(1) + "|" + list->topLevelItem(1)->text(3),
              band + "|The Album|rock");
    EXPECT_EQ(server.requestCount(), 1) << "no entry fetched before the choice";
    list->setCurrentItem(list->topLevelItem(1));
    app->form7().findChild<QPushButton*>(QStringLiteral("BtnUseCandidate"))->click();

    EXPECT_EQ(status(), "Found");
    EXPECT_EQ(server.requestCount(), 2);
    EXPECT_EQ(gridNames(), (QStringList{"One", "Two", "Three"}));
    EXPECT_EQ(QStringList({app->form1().artist(), tagField("Artist"), tagField("Artist2"), edit("Edt_Artist")}),
              QStringList(4, band));
    EXPECT_EQ(QStringList({app->form1().album(), tagField("Album2"), edit("Edt_Album")}), QStringList(3, "The Album"));
    EXPECT_EQ(edit("CurrentTrack"), "One");
    EXPECT_EQ(trackList(), (QStringList{"One", "Two", "Three"}));
    EXPECT_TRUE(app->log().lines().contains("1: rock 1f00b203 " + band + " / The Album"));
    EXPECT_EQ(app->tagFields().fields().year2, "1999") << "DYEAR into the tag editor";
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(boxes.messages.isEmpty());
    // Option 8 off: the library stored nothing.
    EXPECT_FALSE(CdPlayerDatabase(paths.cdPlayerIni()).isKnown(discId()));
}

TEST_F(DiscNamesTest, StoredByTheLibraryAndShownByTheNextStart)
{
    folders.writeDisc("disc", {3, 4, 5, 6}, true);
    server.setQueryAnswer(Server::exactMatch("jazz", "2a00c404", "Quartet / Live"));
    serve("jazz", "2a00c404", "Quartet / Live", {"Intro", "Theme", "Solo", "Coda"});
    start();
    connect();
    ASSERT_EQ(status(), "Found");
    // The data track has no entry in the settings window's list.
    EXPECT_EQ(trackList(), (QStringList{"Intro", "Theme", "Solo", "Coda"}));
    // A new program over the same folders shows the stored names (no lookup at start).
    app.reset();
    start();
    EXPECT_EQ(gridNames(), (QStringList{"Intro", "Theme", "Solo", "Coda", "DataTrack"}));
    EXPECT_EQ(tagField("Year2") + edit("Edt_Year"), "19991999");
}

TEST_F(DiscNamesTest, NothingFoundChangesNoName)
{
    // Broken answers of every kind are the CDDB client's tests; here the three users meet most.
    const std::pair<const char*, std::function<void(Server&)>> cases[] = {
        {"no match", [](Server& s) { s.setQueryAnswer("202 No match found.\r\n"); }},
        {"silent server", [](Server& s) { s.setBehaviour(Server::Behaviour::Silent); }},
        {"server down", nullptr},
    };
    for (const auto& [name, setUp] : cases) {
        SCOPED_TRACE(name);
        folders.writeDisc("disc", {3, 4, 5});
        Server local;
        if (setUp)
            setUp(local);
        start(setUp ? local.port() : std::make_unique<Server>()->port());  // down: nothing listens there any more
        app->form1().setArtist(QStringLiteral("Kept"));
        const QStringList before = gridNames();
        QElapsedTimer timer;
        timer.start();
        connect();
        // Connect limit 500 ms, whole exchange 1500 ms.
        EXPECT_LT(timer.elapsed(), 4000);
        EXPECT_EQ(status(), "Not found");
        EXPECT_EQ(gridNames(), before);
        EXPECT_EQ(tagField("Artist"), "Kept");
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_TRUE(boxes.messages.isEmpty());
        app.reset();
    }
}

TEST_F(DiscNamesTest, WindowsKeepWorkingDuringASlowAnswer)
{
    folders.writeDisc("disc", {3, 4});
    server.setQueryAnswer(Server::exactMatch("rock", "1f00b202", "Slow / Answer"));
    serve("rock", "1f00b202", "Slow / Answer", {"S1", "S2"});
    server.setBehaviour(Server::Behaviour::Slow, 3);  // ms per byte
    AkripTestSetCddbTimeouts(1000, 10000);
    start();
    int ticks = 0, waitCursorTicks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        waitCursorTicks += QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
    });
    timer.start(20);
    QElapsedTimer elapsed;
    elapsed.start();
    connect();
    timer.stop();
    ASSERT_EQ(status(), "Found");
    EXPECT_GT(elapsed.elapsed(), 300);
    // Timers fired all the way through, under the hourglass.
    EXPECT_GE(ticks, int(elapsed.elapsed() / 20 / 3));
    EXPECT_GE(waitCursorTicks, ticks - 2);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(DiscNamesTest, CloseCancelsALookupThatWaitsForTheServer)
{
    folders.writeDisc("disc", {3, 4});
    server.setBehaviour(Server::Behaviour::Silent);
    // Left alone, the server's silence would keep the lookup for 20 s.
    AkripTestSetCddbTimeouts(1000, 20000);
    start();
    app->form1().setArtist(QStringLiteral("Kept"));
    const QStringList before = gridNames();
    TForm7& window = app->form7();
    window.show();
    auto* close = window.findChild<QPushButton*>(QStringLiteral("BtnClose"));
    bool closeWasOn = false;
    QTimer::singleShot(300, [&] {
        closeWasOn = close->isEnabled();
        QTest::mouseClick(close, Qt::LeftButton);
        // A second lookup cannot start while the first one ends.
        connect();
    });
    QElapsedTimer timer;
    timer.start();
    connect();
    EXPECT_LT(timer.elapsed(), 2500);
    EXPECT_TRUE(closeWasOn);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(server.requestCount(), 1);
    EXPECT_EQ(gridNames(), before);
    EXPECT_EQ(app->form1().artist(), "Kept");
    EXPECT_EQ(tagField("Artist"), "Kept");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(boxes.messages.isEmpty());

    // The next lookup is not cancelled by the last one.
    server.setBehaviour(Server::Behaviour::Normal);
    server.setQueryAnswer(Server::exactMatch("rock", "1f00b202", "Found / Later"));
    serve("rock", "1f00b202", "Found / Later", {"L1", "L2"});
    connect();
    EXPECT_EQ(status(), "Found");
    EXPECT_EQ(gridNames(), (QStringList{"L1", "L2"}));
}

TEST_F(DiscNamesTest, EditedNamesAreWhatIsStored)
{
    folders.writeDisc("disc", {3, 4, 5});
    start();
    app->form1().setArtist(QStringLiteral("Typed Artist"));  // without an artist the disc stays unknown
    // A name typed into the grid (the editor reports it as it changes).
    app->tracks().setCell(1, 2, QStringLiteral("Typed Track"));
    Q_EMIT app->form1().trackNameEdited(2, QStringLiteral("Typed Track"));
    // Apply in the settings window stores the names and the page as they stand.
    app->form2().findChild<QLineEdit*>(QStringLiteral("Edt_Year"))->setText(QStringLiteral("2001"));
    app->form2().findChild<QComboBox*>(QStringLiteral("Cmb_Genre"))->setCurrentIndex(7);
    app->form2().ApplyClick();
    const TrackNameTabNames stored = CdPlayerDatabase(paths.cdPlayerIni()).namesForTrackNameTab(discId(), 4, false);
    EXPECT_EQ(stored.tracks, (QStringList{"AudioTrack 01", "Typed Track", "AudioTrack 03"}));
    EXPECT_EQ(stored.year, "2001");
    EXPECT_EQ(stored.genre, 7);
}

TEST_F(DiscNamesTest, TypedInOneWindowShownInTheOtherTwo)
{
    folders.writeDisc("disc", {3, 4});
    start();
    QWidget* windows[] = {&app->form1(), &app->form2(), &app->form4()};
    struct Field
    {
        int window;  // index into windows
        const char* edit;
    };
    const struct
    {
        int window;
        const char* edit;
        Field others[2];
    } cases[] = {
        {0, "Artist", {{1, "Edt_Artist"}, {2, "Artist"}}},
        {1, "Edt_Artist", {{0, "Artist"}, {2, "Artist2"}}},
        {2, "Artist", {{0, "Artist"}, {1, "Edt_Artist"}}},
        {0, "Album", {{1, "Edt_Album"}, {2, "Album"}}},
        {1, "Edt_Album", {{0, "Album"}, {2, "Album2"}}},
        {2, "Album", {{0, "Album"}, {1, "Edt_Album"}}},
    };
    const auto field = [&](int window, const char* name) {
        auto* edit = windows[window]->findChild<QLineEdit*>(QLatin1String(name));
        EXPECT_TRUE(edit) << name;
        return edit;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.edit + QString::number(c.window).toStdString());
        app->discNames().clear();
        QLineEdit* typed = field(c.window, c.edit);
        QTest::keyClicks(typed, QStringLiteral("Typed"));
        ASSERT_EQ(typed->text(), "Typed");
        for (const Field& other : c.others)
            EXPECT_EQ(field(other.window, other.edit)->text(), "Typed") << other.edit;
        EXPECT_EQ(typed->cursorPosition(), 5);  // the echoes did not move it
    }
}

TEST_F(DiscNamesTest, AnUnknownDiscEmptiesTheNamesInEveryWindow)
{
    folders.writeDisc("A", {3, 4, 5});
    folders.writeDisc("B", {6, 7});
    start();
    app->form1().setArtist(QStringLiteral("Known Artist"));
    app->form1().setAlbum(QStringLiteral("Known Album"));
    app->form2().ApplyClick();  // disc A is stored under these names

    const auto shown = [&] {
        return QStringList{app->form1().artist(), edit("Edt_Artist"), tagField("Artist"),
                           app->form1().album(),  edit("Edt_Album"),  tagField("Album2")};
    };
    app->form2().CDROMUnitClick(1);
    EXPECT_EQ(shown(), QStringList(6, QString()));
    EXPECT_EQ(trackList(), (QStringList{"AudioTrack 01", "AudioTrack 02"}));
    EXPECT_EQ(edit("CurrentTrack"), "AudioTrack 01");

    app->form2().CDROMUnitClick(0);
    EXPECT_EQ(shown(), (QStringList{"Known Artist", "Known Artist", "Known Artist", "Known Album", "Known Album",
                                    "Known Album"}));
    EXPECT_EQ(trackList(), (QStringList{"AudioTrack 01", "AudioTrack 02", "AudioTrack 03"}));
}

}
