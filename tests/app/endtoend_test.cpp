// SPDX-License-Identifier: GPL-2.0-or-later
// The program as a whole over recording fakes and a generated disc image:
// what start-up shows, what closing the main window saves, and the guard
// against a second copy.
#include "akrip32_testing.h"
#include "app/tracklist.h"
#include "cddbserver.h"
#include "app/mainwindow.h"
#include "app/trackmillapp.h"
#include "discimage.h"
#include "fakedesktopshell.h"
#include "metadata/cdplayerdatabase.h"
#include "metadata/cdplayernames.h"
#include "metadata/freedbwindow.h"
#include "platform/inifile.h"
#include "platform/singleinstanceguard.h"
#include "platform/windowsversion.h"
#include "recordingmessageboxes.h"
#include "recordingsystemservices.h"
#include "settings/settings.h"
#include "ui/tstatusbarpro.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

using namespace trackmill;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace {

class EndToEndTest : public ::testing::Test
{
protected:
    EndToEndTest()
    {
        paths.programDir = root.path();
        paths.configDir = root.path() + QStringLiteral("/config");
        QDir().mkpath(paths.discsDir());
        QDir().mkpath(paths.configDir);
        AkripTestUsePhysicalDrives(0);
        AkripTestSetDiscsDir(QFile::encodeName(paths.discsDir()).constData());
        AkripTestResetCddb();
        AkripTestSetCddbTimeouts(500, 1500);
        IniFile settings(paths.settingsFile());
        settings.writeString("MAIN", "SELECTALL", "1");
        settings.writeString("MAIN", "AUTO_CONNECT_FREEDB", "0");
    }
    ~EndToEndTest() override
    {
        app.reset();
        AkripTestResetCddb();
        AkripTestReset();
    }

    void writeDisc(int tracks)
    {
        discimage::DiscSpec disc;
        for (int i = 0; i < tracks; ++i)
            disc.trackBytes.push_back(uint64_t(3 + i) * discimage::kBytesPerSecond);
        discimage::writeDisc((paths.discsDir() + QStringLiteral("/disc")).toStdString(), disc);
    }

    // Without a port: port 9 of the loopback, where nothing answers.
    void start(uint16_t port = 9)
    {
        app = std::make_unique<TrackmillApp>(
            TrackmillApp::Services{boxes, system, shell, paths, false, false, {"127.0.0.1", port}});
    }

    QStringList gridNames()
    {
        QStringList names;
        for (int r = 1; r < app->tracks().RowCount(); ++r)
            names.append(app->tracks().trackName(r));
        return names;
    }

    QString panelText(int index)
    {
        return app->form1().findChild<TStatusBarPro*>(QStringLiteral("StatusBarPro1"))->panel(index)->text();
    }

    QTemporaryDir root;
    AppPaths paths;
    test::RecordingMessageBoxes boxes;
    test::RecordingSystemServices system;
    test::FakeDesktopShell shell;
    std::unique_ptr<TrackmillApp> app;
};

TEST_F(EndToEndTest, ClosingSavesTheSettingsAndTheDiscNames)
{
    writeDisc(3);
    start();
    EXPECT_EQ(panelText(5), systemVersionName());
    EXPECT_FALSE(panelText(5).isEmpty());

    app->settings().selectAll = false;
    app->form1().setArtist(QStringLiteral("Closing Artist"));
    app->form1().setAlbum(QStringLiteral("Closing Album"));
    app->show();
    EXPECT_TRUE(app->form1().close());

    EXPECT_EQ(IniFile(paths.settingsFile()).readString("MAIN", "SELECTALL", "?"), "0");
    const QString id = *CdPlayerNames::GetCD_ID_Audio(app->drives());
    const TrackNameTabNames stored = CdPlayerDatabase(paths.cdPlayerIni()).namesForTrackNameTab(id, 3, false);
    EXPECT_TRUE(stored.known);
    EXPECT_EQ(stored.artist, "Closing Artist");
    EXPECT_EQ(stored.album, "Closing Album");
    EXPECT_TRUE(boxes.messages.isEmpty()) << boxes.texts().join('\n').toStdString();

    // The next start finds the names without a lookup.
    app.reset();
    start();
    EXPECT_EQ(app->form1().artist(), "Closing Artist");
    EXPECT_EQ(app->form1().album(), "Closing Album");
}

TEST_F(EndToEndTest, WithoutADiscOnlyTheSettingsAreSaved)
{
    start();
    app->settings().selectAll = false;
    app->form1().close();
    EXPECT_EQ(IniFile(paths.settingsFile()).readString("MAIN", "SELECTALL", "?"), "0");
    EXPECT_FALSE(QFileInfo::exists(paths.cdPlayerIni()));
    EXPECT_TRUE(boxes.messages.isEmpty());
}

TEST_F(EndToEndTest, SaveErrorsAtClosingReachTheUser)
{
    writeDisc(2);
    start();
    // Folders in the place of both files: neither can be written, whoever runs the test.
    ASSERT_TRUE(QFile::remove(paths.settingsFile()));
    ASSERT_TRUE(QDir().mkpath(paths.settingsFile()));
    QFile::remove(paths.cdPlayerIni());
    ASSERT_TRUE(QDir().mkpath(paths.cdPlayerIni()));
    app->form1().close();

    using Kind = test::RecordingMessageBoxes::Kind;
    EXPECT_EQ(boxes.messages,
              (QList<test::RecordingMessageBoxes::Message>{
                  {Kind::Error, QStringLiteral("Unable to write to %1").arg(QFileInfo(paths.settingsFile()).absoluteFilePath())},
                  {Kind::Error, QStringLiteral("Unable to write to %1").arg(QFileInfo(paths.cdPlayerIni()).absoluteFilePath())}}));
}

TEST_F(EndToEndTest, AutoConnectShowsTheFreedbWindowBeforeTheMainWindow)
{
    for (const bool ticked : {true, false}) {
        IniFile(paths.settingsFile()).writeString("MAIN", "AUTO_CONNECT_FREEDB", ticked ? "1" : "0");
        start();  // making the program never blocks
        EXPECT_FALSE(app->form7().isVisible());
        bool freedbShown = false;
        bool mainShownMeanwhile = true;
        QTimer::singleShot(0, &app->form7(), [&] {
            freedbShown = app->form7().isVisible();
            mainShownMeanwhile = app->form1().isVisible();
            app->form7().reject();
        });
        app->show();
        EXPECT_TRUE(app->form1().isVisible());
        if (ticked) {
            EXPECT_TRUE(freedbShown);
            EXPECT_FALSE(mainShownMeanwhile);
        } else {
            QCoreApplication::processEvents();
            EXPECT_FALSE(freedbShown);
        }
        app.reset();
    }
}

TEST_F(EndToEndTest, NamesLookedUpAtStartUpAreThereAtTheNextStart)
{
    using Server = test::CddbServer;
    Server server;
    IniFile settings(paths.settingsFile());
    settings.writeString("MAIN", "AUTO_CONNECT_FREEDB", "1");
    settings.writeString("MAIN", "AUTO_STORE_CDPLAYER_INI", "0");  // closing stores them
    settings.writeString("MAIN", "USECDPLAYERINI", "1");
    writeDisc(3);
    start(server.port());
    const std::string id = "1f00b203";  // the freedb id of three tracks of 3, 4 and 5 seconds
    server.setQueryAnswer(Server::exactMatch("rock", id, "The Band / The Album"));
    server.setReadAnswer("rock", id,
                         Server::entry("rock", id,
                                       {"# xmcd", "DISCID=" + id, "DTITLE=The Band / The Album", "DYEAR=1999",
                                        "TTITLE0=One", "TTITLE1=Two", "TTITLE2=Three", "EXTD="}));
    // The user presses Connect in the freedb window, then closes it.
    QTimer::singleShot(0, &app->form7(), [this] {
        app->form7().findChild<QPushButton*>(QStringLiteral("BtnConnect"))->click();
        app->form7().reject();
    });
    app->show();
    EXPECT_EQ(app->form1().artist(), "The Band");
    EXPECT_EQ(gridNames(), (QStringList{"One", "Two", "Three"}));
    app->form1().close();
    EXPECT_TRUE(boxes.messages.isEmpty()) << boxes.texts().join('\n').toStdString();

    app.reset();
    start();  // no server: the names come from CDPLAYER.INI
    EXPECT_EQ(app->form1().artist(), "The Band");
    EXPECT_EQ(app->form1().album(), "The Album");
    EXPECT_EQ(gridNames(), (QStringList{"One", "Two", "Three"}));
}

TEST(SingleCopyTest, ASecondCopyIsRefusedUntilTheFirstEnds)
{
    QTemporaryDir runtime;
    auto first = std::make_unique<SingleInstanceGuard>(QStringLiteral("Trackmill Freeware 2001"), runtime.path());
    ASSERT_TRUE(first->tryAcquire());
    SingleInstanceGuard second(QStringLiteral("Trackmill Freeware 2001"), runtime.path());
    EXPECT_FALSE(second.tryAcquire());
    first.reset();
    EXPECT_TRUE(second.tryAcquire());
}

}
