// SPDX-License-Identifier: GPL-2.0-or-later
// The program as a whole over recording fakes, a generated disc image, the
// local CDDB server, the shipped language files and the real encoder library.
#include "app/mainwindow.h"
#include "cd/tracklist.h"
#include "app/trackmillapp.h"
#include "encoder/trackencoder.h"
#include "rip/riprun.h"
#include "metadata/freedbwindow.h"
#include "platform/inifile.h"
#include "platform/singleinstanceguard.h"
#include "rip/progresswindow.h"
#include "settings/settings.h"
#include "settings/settingswindow.h"
#include "tags/tageditorwindow.h"

#include "akrip32_testing.h"
#include "cddbserver.h"
#include "discimage.h"
#include "fakedesktopshell.h"
#include "mp3framereader.h"
#include "programfolders.h"
#include "recordingmessageboxes.h"
#include "recordingsystemservices.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMutex>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <id3v1tag.h>
#include <id3v2tag.h>
#include <mpegfile.h>

#include <memory>

using namespace trackmill;
using Kind = test::RecordingMessageBoxes::Kind;

namespace {

// Every warning Qt or the program prints while it lives, from any thread
// (the encoder's too); the offscreen platform's notes aside.
class OutputWatch
{
public:
    OutputWatch() { m_previous = qInstallMessageHandler(&OutputWatch::record); }
    ~OutputWatch()
    {
        qInstallMessageHandler(m_previous);
        QMutexLocker lock(&s_mutex);
        s_lines.clear();
    }
    QString text() const
    {
        QMutexLocker lock(&s_mutex);
        return s_lines.join('\n');
    }

private:
    static void record(QtMsgType type, const QMessageLogContext&, const QString& text)
    {
        if (type == QtDebugMsg || type == QtInfoMsg || text.startsWith(QLatin1String("This plugin does not support")))
            return;
        QMutexLocker lock(&s_mutex);
        s_lines << text;
    }
    static inline QMutex s_mutex;
    static inline QStringList s_lines;
    QtMessageHandler m_previous = nullptr;
};

class EndToEndTest : public ::testing::Test
{
protected:
    EndToEndTest()
    {
        AkripTestResetCddb();
        AkripTestSetCddbTimeouts(500, 1500);
        // The shipped language files and a new user's settings, as the build lays them out.
        folders.copyLanguages(QStringLiteral(TRACKMILL_BIN_DIR "/Languages"));
        QFile::copy(QStringLiteral(TRACKMILL_DEFAULT_INI), paths.settingsFile());
        QFile(paths.settingsFile()).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        IniFile settings(paths.settingsFile());
        settings.writeString("MAIN", "AUTO_CONNECT_FREEDB", "0");
        settings.writeString("MAIN", "DIRECTORYMP3", QFile::encodeName(folders.output + '/'));
    }
    ~EndToEndTest() override
    {
        app.reset();
        AkripTestResetCddb();
    }

    // Without a port: port 9 of the loopback, where nothing answers.
    void start(uint16_t port = 9)
    {
        app = std::make_unique<TrackmillApp>(
            TrackmillApp::Services{boxes, system, shell, paths, false, false, {"127.0.0.1", port}});
    }

    // Runs `inside` once the modal window the click opens is up, then
    // closes whatever modal window is still open (with Esc, as a user
    // would, when `escape`; a window that ignores it fails the test and is
    // closed anyway, so the test never hangs).
    void whileOpen(const QString& button, std::function<void(QWidget*)> inside, bool escape = false)
    {
        QTimer::singleShot(0, [inside = std::move(inside), escape] {
            QWidget* modal = QApplication::activeModalWidget();
            inside(modal);
            if (escape && modal) {
                QWidget* focus = modal->focusWidget() ? modal->focusWidget() : modal;
                QTest::keyClick(focus, Qt::Key_Escape);
                EXPECT_FALSE(modal->isVisible()) << "Esc left " << modal->objectName().toStdString() << " open";
            }
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->reject();
        });
        auto* b = app->form1().findChild<QToolButton*>(button);
        ASSERT_TRUE(b && b->isEnabled()) << button.toStdString();
        b->click();
    }

    // Presses MP3 or WAV and waits until the run has given the program back.
    void run(const QString& button)
    {
        app->form1().findChild<QToolButton*>(button)->click();
        EXPECT_TRUE(QTest::qWaitFor([this] {
            return !app->ripRun().running() && !app->encoder()->isEncoding();
        }, 60000));
    }

    QStringList gridNames()
    {
        QStringList names;
        for (int r = 1; r < app->tracks().RowCount(); ++r)
            names.append(app->tracks().trackName(r));
        return names;
    }

    test::ProgramFolders folders;
    AppPaths& paths = folders.paths;
    discimage::DiscSpec disc;
    test::CddbServer server;
    test::RecordingMessageBoxes boxes;
    test::RecordingSystemServices system;
    test::FakeDesktopShell shell;
    std::unique_ptr<TrackmillApp> app;
};

TEST_F(EndToEndTest, FromTheLookupAtStartUpToTaggedMp3FilesAndBack)
{
    OutputWatch output;
    IniFile settings(paths.settingsFile());
    settings.writeString("MAIN", "AUTO_CONNECT_FREEDB", "1");
    settings.writeString("MAIN", "AUTO_STORE_CDPLAYER_INI", "0");  // closing stores them
    settings.writeString("MAIN", "SELECTALL", "0");
    settings.writeString("MAIN", "ON_THE_FLY_ENCODING", "0");
    disc = folders.writeDisc("disc", {3, 4, 5});
    const std::string id = "1f00b203";  // three tracks of 3, 4 and 5 seconds
    server.setQueryAnswer(test::CddbServer::exactMatch("rock", id, "The Band / The Album"));
    server.setReadAnswer("rock", id,
                         test::CddbServer::entry("rock", id,
                                                 {"# xmcd", "DISCID=" + id, "DTITLE=The Band / The Album", "DYEAR=1999",
                                                  "TTITLE0=One", "TTITLE1=Two", "TTITLE2=Three", "EXTD="}));
    start(server.port());

    // Start-up: the freedb window comes first; the user presses Connect and closes it.
    QTimer::singleShot(0, &app->form7(), [this] {
        EXPECT_FALSE(app->form1().isVisible());
        app->form7().findChild<QPushButton*>(QStringLiteral("BtnConnect"))->click();
        app->form7().reject();
    });
    app->show();
    ASSERT_TRUE(app->form1().isVisible());
    EXPECT_EQ(app->form1().artist() + '/' + app->form1().album(), "The Band/The Album");
    EXPECT_EQ(gridNames(), (QStringList{"One", "Two", "Three"}));

    // Tracks 1 and 3 ticked in the grid, on-the-fly encoding switched on and
    // the multi-processor box off in the settings window (one encoder fed
    // while reading, even from an image), the year typed into both groups
    // of the tag editor.
    auto* grid = app->form1().findChild<QTableView*>(QStringLiteral("TracksGrid"));
    for (int row : {0, 2})
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(app->tracks().index(row, 0)).center());
    EXPECT_EQ(app->tracks().MySelectedTracks(), "1, 3");
    whileOpen(QStringLiteral("Settings"), [this](QWidget* modal) {
        ASSERT_EQ(modal, &app->form2());
        modal->findChild<QCheckBox*>(QStringLiteral("OnTheFly"))->setChecked(true);
        modal->findChild<QCheckBox*>(QStringLiteral("Use_Multi_CPU"))->setChecked(false);
        modal->findChild<QPushButton*>(QStringLiteral("Apply"))->click();
    });
    EXPECT_TRUE(app->settings().onTheFly);
    whileOpen(QStringLiteral("ID3"), [this](QWidget* modal) {
        ASSERT_EQ(modal, &app->form4());
        for (const char* name : {"Year", "Year2"}) {  // one for each tag
            auto* year = modal->findChild<QLineEdit*>(QLatin1String(name));
            year->clear();
            QTest::keyClicks(year, QStringLiteral("1999"));
        }
        modal->findChild<QPushButton*>(QStringLiteral("Save"))->click();
    });

    run(QStringLiteral("MP3"));

    // Exactly the two ticked tracks, named, decodable to their full length and tagged.
    const QString album = folders.output + QStringLiteral("/The Band/The Album/");
    EXPECT_EQ(QDir(album).entryList(QDir::Files, QDir::Name), (QStringList{"01 - One.mp3", "03 - Three.mp3", "The Band - The Album.log"}));
    for (const auto& [track, title] : {std::pair{1, "One"}, std::pair{3, "Three"}}) {
        SCOPED_TRACE(track);
        const QString path = album + QStringLiteral("0%1 - %2.mp3").arg(track).arg(title);
        const test::Mp3Facts facts = test::inspectMp3(path);
        ASSERT_TRUE(facts.ok) << facts.error.toStdString();
        EXPECT_EQ(facts.samples, (long long)(disc.trackBytes[track - 1] / 4));
        TagLib::MPEG::File file(QFile::encodeName(path).constData());
        ASSERT_TRUE(file.ID3v1Tag() && file.ID3v2Tag());
        for (TagLib::Tag* tag : {static_cast<TagLib::Tag*>(file.ID3v1Tag()), static_cast<TagLib::Tag*>(file.ID3v2Tag())}) {
            EXPECT_EQ(tag->title().to8Bit(true), title);
            EXPECT_EQ(tag->artist().to8Bit(true), "The Band");
            EXPECT_EQ(tag->album().to8Bit(true), "The Album");
            EXPECT_EQ(tag->year(), 1999u);
        }
        EXPECT_EQ(file.ID3v1Tag()->track(), unsigned(track));
    }
    ASSERT_EQ(boxes.messages.size(), 1) << boxes.texts().join('\n').toStdString();
    EXPECT_TRUE(boxes.messages[0].text.startsWith("  Grabbing has been completed.")) << boxes.messages[0].text.toStdString();
    EXPECT_EQ(system.calls.first(), "screensaver:off");
    EXPECT_EQ(system.calls.last(), "screensaver:on");

    // Closing saves what the user changed and the disc's names.
    const int requests = server.requestCount();
    EXPECT_TRUE(app->form1().close());
    EXPECT_EQ(QString::fromUtf8(IniFile(paths.settingsFile()).readString("MAIN", "ON_THE_FLY_ENCODING", "?")), "1");

    // The next start shows the stored names before anyone presses Connect.
    app.reset();
    start(server.port());
    QTimer::singleShot(0, &app->form7(), [this] { app->form7().reject(); });
    app->show();
    EXPECT_EQ(app->form1().artist(), "The Band");
    EXPECT_EQ(gridNames(), (QStringList{"One", "Two", "Three"}));
    EXPECT_EQ(server.requestCount(), requests);
    EXPECT_EQ(boxes.messages.size(), 1);
    EXPECT_EQ(output.text(), "");
}

TEST_F(EndToEndTest, SaveErrorsAtClosingReachTheUser)
{
    folders.writeDisc("disc", {3, 4});
    start();
    // Folders in the place of both files: neither can be written, whoever runs the test.
    ASSERT_TRUE(QFile::remove(paths.settingsFile()));
    ASSERT_TRUE(QDir().mkpath(paths.settingsFile()));
    QFile::remove(paths.cdPlayerIni());
    ASSERT_TRUE(QDir().mkpath(paths.cdPlayerIni()));
    app->form1().close();

    EXPECT_EQ(boxes.messages,
              (QList<test::RecordingMessageBoxes::Message>{
                  {Kind::Error, QStringLiteral("Unable to write to %1").arg(QFileInfo(paths.settingsFile()).absoluteFilePath())},
                  {Kind::Error, QStringLiteral("Unable to write to %1").arg(QFileInfo(paths.cdPlayerIni()).absoluteFilePath())}}));
}

// Every window opens from the main window and closes again, in English and
// in a language of another script, without a warning on the output.
class EveryWindowTest : public EndToEndTest, public ::testing::WithParamInterface<const char*>
{
};

TEST_P(EveryWindowTest, OpensFromTheMainWindowAndCloses)
{
    OutputWatch output;
    const QString language = QString::fromLatin1(GetParam());
    IniFile(paths.settingsFile()).writeString("MAIN", "LANGUAGE", language.toLatin1());
    folders.writeDisc("disc", {3});
    start();
    app->show();

    // Each window closed with Esc, the next opened after it: a window
    // that leaves the program's modality behind opens nothing next.
    QStringList titles;
    for (const char* button : {"About", "Settings", "ID3", "About", "FreeDB", "About"}) {
        SCOPED_TRACE(button);
        QWidget* opened = nullptr;
        whileOpen(QString::fromLatin1(button), [&](QWidget* modal) {
            opened = modal;
            ASSERT_TRUE(modal && modal->isVisible());
            titles << modal->windowTitle();
        }, true);
        ASSERT_NE(opened, nullptr);
        EXPECT_FALSE(opened->isVisible());
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
    titles.removeDuplicates();

    // The progress window: up while a track is ripped, gone after.
    bool progressShown = false;
    boxes.onMessage = [&](const test::RecordingMessageBoxes::Message&) { progressShown = app->form3().isVisible(); };
    run(QStringLiteral("WAV"));
    EXPECT_TRUE(progressShown);
    EXPECT_FALSE(app->form3().isVisible());
    ASSERT_EQ(boxes.messages.size(), 1) << boxes.texts().join('\n').toStdString();
    if (language == "English") {
        EXPECT_EQ(titles, (QStringList{"About", "Settings", "ID3 Tag Editor", "FreeDB Connection"}));
    } else {
        // Translated: none of the English titles is left.
        for (const char* english : {"Settings", "ID3 Tag Editor", "FreeDB Connection"})
            EXPECT_FALSE(titles.contains(QLatin1String(english))) << english;
        EXPECT_FALSE(boxes.messages[0].text.contains("Grabbing finished"));
    }
    EXPECT_TRUE(app->form1().close());
    EXPECT_EQ(output.text(), "");
}

INSTANTIATE_TEST_SUITE_P(Languages, EveryWindowTest, ::testing::Values("English", "Japanese"));

TEST(SingleCopyTest, ASecondCopyEndsWithoutAWindow)
{
    QTemporaryDir runtime;
    SingleInstanceGuard first(QStringLiteral("Trackmill Freeware 2001"), runtime.path());
    ASSERT_TRUE(first.tryAcquire());

    // The real program, started while this process holds the guard, ends
    // at once with nothing on its output.
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(TRACKMILL_EXE), QStringList{});
    ASSERT_TRUE(program.waitForStarted());
    if (!program.waitForFinished(20000)) {
        program.kill();
        program.waitForFinished();
        FAIL() << "the second copy kept running";
    }
    EXPECT_TRUE(program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0);
    EXPECT_EQ(program.readAllStandardError() + program.readAllStandardOutput(), QByteArray());
}

}
