// SPDX-License-Identifier: GPL-2.0-or-later
// The WAV command through the whole program: the composition root over the
// recording fakes and a generated disc image, the toolbar button pressed by
// name, files and boxes checked as the user would find them.
#include "app/mainwindow.h"
#include "cd/cddrives.h"
#include "app/tracklist.h"
#include "app/trackmillapp.h"
#include "rip/progresswindow.h"
#include "rip/ripbatch.h"
#include "rip/wavheader.h"
#include "settings/settings.h"

#include "akrip32.h"
#include "akrip32_testing.h"
#include "discimage.h"
#include "programfolders.h"
#include "fakedesktopshell.h"
#include "recordingmessageboxes.h"
#include "recordingsystemservices.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>

using namespace trackmill;
using namespace trackmill::test;
using Kind = RecordingMessageBoxes::Kind;

namespace {

constexpr qint64 kSector = 2352;
// Nothing here may reach a freedb server: a closed local port.
const FreedbServer kNoServer{"127.0.0.1", 9};

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray pcm(const discimage::DiscSpec& discSpec, int track)
{
    const std::vector<uint8_t> bytes = discimage::trackPcm(discSpec, track);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

class WavRunTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folders.root.isValid());
        // Sector multiples, so the files hold exactly the PCM; lengths that
        // are no multiple of 26 sectors, so the last read is short.
        discSpec.trackBytes = {(26 * 2 + 3) * kSector, (26 * 3 + 5) * kSector, 40 * kSector,
                           30 * kSector,           (26 * 4 + 1) * kSector, 20 * kSector};
        layout = discimage::writeDisc(QDir(paths.discsDir()).filePath("disc").toStdString(), discSpec);
    }

    void TearDown() override
    {
        app.reset();
        AkripTestReset();
        AkripTestUsePhysicalDrives(0);
    }

    // The program over the fakes, the disc read, settings as a user would
    // have them, tracks 2 and 5 selected.
    void start()
    {
        app = std::make_unique<TrackmillApp>(
            TrackmillApp::Services{boxes, system, shell, paths, /*listPhysicalDrives*/ false, /*watchMedia*/ false, kNoServer});
        ASSERT_TRUE(app->tracks().CD());
        Settings& s = app->settings();
        s.directoryMp3 = output + "/";
        s.preventScreensaver = true;
        s.afterExecute = 0;
        s.ejectCdAudio = false;
        s.fileName = 1;  // <number> - <title>
        s.split = false;
        s.replaceSpaces = false;
        s.artistAsDirectory = true;
        s.albumAsDirectory = true;
        s.artistAndAlbumAsDirectory = false;
        s.artistAlbumYearAsDirectory = false;
        app->form1().setArtist("The Band");
        app->form1().setAlbum("Live: Side A");
        TrackList& tracks = app->tracks();
        for (int n = 1; n < tracks.RowCount(); ++n) {
            tracks.setCell(1, n, QString("Song %1").arg(n));
            tracks.setSelection(n, n == 2 || n == 5);
        }
        tracks.setCell(5, 5, "Info 5");
        // Names from a disc or freedb may hold anything.
        tracks.setCell(1, 5, "../../Up / Out?");

        RipBatch& batch = app->ripBatch();
        LanguageTexts texts;
        texts.noDisc = "No audio CD";
        texts.grabbingTrack = "Grabbing track";
        texts.file = "File";
        texts.of = "of";
        texts.finishGrabbing = "Grabbing finished";
        texts.abortGrabbing = "Grabbing aborted";
        texts.aspiError = "ASPI error";
        texts.noTrackSelected = "No track selected";
        texts.errorPathFilename = "Error in the path or file name";
        batch.sources().texts = [texts] { return texts; };
        // Everything observable goes into one ordered list.
        batch.sources().makeBlinking = [this](int ms) { system.calls << QString("blink:%1").arg(ms); };
        batch.sources().progressWindowActive = [this] { return progressActive; };
        batch.sources().eject = [this](const QString& path) { system.calls << "eject:" + path; };
        batch.sources().setTitle = [this](const QString& title) {
            const QString state = app->form3().State->text();
            if (states.isEmpty() || states.last() != state)
                states << state;
            titles << title;
            if (onRead)
                onRead();
        };
        boxes.onMessage = [this](const RecordingMessageBoxes::Message& m) {
            system.calls << "box:" + m.text;
        };
    }

    void pressWav()
    {
        auto* wav = app->form1().findChild<QToolButton*>("WAV");
        ASSERT_NE(wav, nullptr);
        ASSERT_TRUE(wav->isEnabled());
        wav->click();
    }

    QString albumDir() const { return output + "/The Band/Live_ Side A/"; }
    QString track2() const { return albumDir() + "02 - Song 2.wav"; }
    QString track5() const { return albumDir() + "05 - .._.._Up _ Out_.wav"; }

    // The WAV file holds a valid header for exactly the audio behind it.
    static void expectWav(const QString& path, const QByteArray& audio)
    {
        const QByteArray file = readFile(path);
        ASSERT_EQ(file.size(), 44 + audio.size()) << path.toStdString();
        EXPECT_EQ(file.left(44), WavHeader::build(std::uint32_t(audio.size())));
        EXPECT_TRUE(file.mid(44) == audio) << path.toStdString();
    }

    // The program is back in the user's hands.
    void expectIdle()
    {
        EXPECT_TRUE(app->form1().isEnabled());
        EXPECT_FALSE(app->form1().GetProcess());
        EXPECT_FALSE(app->form3().isVisible());
        EXPECT_FALSE(app->ripBatch().running());
        EXPECT_EQ(app->settings().directoryMp3, output + "/");
        EXPECT_EQ(titles.value(titles.size() - 1), "Trackmill");
    }

    test::ProgramFolders folders;
    AppPaths& paths = folders.paths;
    QString& output = folders.output;
    discimage::DiscSpec discSpec;
    discimage::DiscLayout layout;
    RecordingMessageBoxes boxes;
    RecordingSystemServices system;
    FakeDesktopShell shell;
    std::unique_ptr<TrackmillApp> app;

    bool progressActive = true;
    QStringList states, titles;
    std::function<void()> onRead;
};

TEST_F(WavRunTest, TwoSelectedTracksBecomeTwoWavFiles)
{
    start();
    pressWav();

    expectWav(track2(), pcm(discSpec, 2));
    expectWav(track5(), pcm(discSpec, 5));
    EXPECT_EQ(QDir(albumDir()).entryList(QDir::Files).size(), 2);
    // Nothing escaped the output folder.
    EXPECT_EQ(QDir(output).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"The Band"});

    EXPECT_EQ(states, (QStringList{"Grabbing track: 2  (File 1 of 2)  [2, 5]",
                                   "Grabbing track: 5  (File 2 of 2)  [2, 5]"}));
    EXPECT_EQ(app->form3().Output->text(), "05 - .._.._Up _ Out_.wav");
    EXPECT_EQ(app->form3().Directory->text(), albumDir());
    EXPECT_EQ(app->form3().TotalSector->text(), QString::number(26 * 4 + 1));

    // Screen saver kept off for the whole run, one finish box after the
    // last track, with the total grab time.
    ASSERT_EQ(system.calls.size(), 3);
    EXPECT_EQ(system.calls[0], "screensaver:off");
    EXPECT_EQ(system.calls[1], "screensaver:on");
    EXPECT_TRUE(system.calls[2].startsWith("box:  Grabbing finished.  \n\n    Grabbing: 00:00:"))
        << system.calls[2].toStdString();
    ASSERT_EQ(boxes.messages.size(), 1);
    EXPECT_EQ(boxes.messages[0].kind, Kind::Information);

    EXPECT_TRUE(app->tracks().cell(5, 2).startsWith(" OK 00:00:"));
    EXPECT_TRUE(app->tracks().cell(5, 5).startsWith(" OK 00:00:"));
    EXPECT_EQ(app->form1().artist(), "The Band");
    EXPECT_EQ(app->form1().album(), "Live_ Side A");
    expectIdle();

    // A second run writes the same files again into the same folders.
    system.calls.clear();
    pressWav();
    expectWav(track2(), pcm(discSpec, 2));
    EXPECT_FALSE(QDir(albumDir() + "The Band").exists());
    EXPECT_EQ(boxes.messages.size(), 2);
}

TEST_F(WavRunTest, AbortDuringTheSecondTrackKeepsAValidShorterFile)
{
    start();
    // The user presses Abort during the third read of track 5 (the title
    // changes just before each read); the read under way still lands.
    int readsOfTrack5 = 0;
    onRead = [&] {
        if (app->form3().State->text().contains("File 2 of 2") && ++readsOfTrack5 == 3)
            app->form3().Abort->click();
    };
    pressWav();

    expectWav(track2(), pcm(discSpec, 2));
    expectWav(track5(), pcm(discSpec, 5).left(3 * 26 * kSector));
    EXPECT_EQ(app->tracks().cell(5, 5), "Grabbing aborted");
    EXPECT_TRUE(app->tracks().cell(5, 2).startsWith(" OK "));
    EXPECT_EQ(system.calls, (QStringList{"screensaver:off", "screensaver:on", "box:  Grabbing aborted.  "}));
    EXPECT_EQ(boxes.messages[0].kind, Kind::Warning);
    expectIdle();
}

TEST_F(WavRunTest, ClosingTheProgressWindowAbortsLikeTheButton)
{
    start();
    onRead = [&] { app->form3().close(); };
    pressWav();

    expectWav(track2(), pcm(discSpec, 2).left(26 * kSector));
    EXPECT_FALSE(QFile::exists(track5()));
    EXPECT_EQ(app->tracks().cell(5, 2), "Grabbing aborted");
    EXPECT_EQ(system.calls, (QStringList{"screensaver:off", "screensaver:on", "box:  Grabbing aborted.  "}));
    expectIdle();
}

TEST_F(WavRunTest, ReadErrorStopsTheBatchWithTheLibrarysText)
{
    struct Case
    {
        DWORD status;
        QString box;
        QString column5; // empty: left as it was
    };
    const Case cases[] = {
        {SS_ERR, "An error was returned by the ASPI manager\nAKRIP32.DLL ASPI error: 4", "ASPI error: 4"},
        {SS_ABORTED,
         "Could not load ASPI function GetASPI32SupportInfo. Only occurs when an ASPI manager (WNASPI32.DLL)\n"
         "is found, but cannot be correctly loaded by the system. Most often indicates that ASPI is improperly "
         "installed.\nAKRIP32.DLL Error code = 2",
         ""},
        {7, "AKRIP32.DLL Error code = 7", ""},
    };
    start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        system.calls.clear();
        boxes.messages.clear();
        titles.clear();
        app->tracks().setCell(5, 2, "before");
        // Fails from the 30th sector of track 2 on: one good read of 26.
        AkripTestFailReads(layout.trackStart[1] + 30, c.status);
        pressWav();
        AkripTestFailReads(0, 0);

        expectWav(track2(), pcm(discSpec, 2).left(26 * kSector));
        EXPECT_FALSE(QFile::exists(track5()));
        EXPECT_EQ(system.calls, (QStringList{"screensaver:off", "box:" + c.box, "screensaver:on"}));
        EXPECT_EQ(boxes.messages.value(0).kind, Kind::Error);
        EXPECT_EQ(app->tracks().cell(5, 2), c.column5.isEmpty() ? QString("before") : c.column5);
        EXPECT_EQ(app->tracks().cell(5, 5), "Info 5");
        expectIdle();
    }
}

TEST_F(WavRunTest, AnOutputFileThatCannotBeMadeStopsTheBatch)
{
    start();
    // A folder where the WAV file of track 2 should go.
    QDir().mkpath(track2());
    pressWav();

    ASSERT_EQ(boxes.messages.size(), 1);
    EXPECT_EQ(boxes.messages[0].kind, Kind::Error);
    EXPECT_TRUE(boxes.messages[0].text.startsWith(track2() + ": ")) << boxes.messages[0].text.toStdString();
    EXPECT_FALSE(QFile::exists(track5()));
    EXPECT_EQ(app->tracks().cell(5, 2), boxes.messages[0].text);
    EXPECT_EQ(system.calls.first(), "screensaver:off");
    EXPECT_EQ(system.calls.last(), "screensaver:on");
    expectIdle();
}

TEST_F(WavRunTest, LostCdHandleIsAFailureNotASilentStop)
{
    start();
    // The disc was read, then the drive's handle went away.
    ASSERT_TRUE(app->drives().FGetCloseHandle());
    pressWav();

    EXPECT_EQ(system.calls, (QStringList{"screensaver:off", "box:Need valid CD handle first!", "screensaver:on"}));
    EXPECT_EQ(app->tracks().cell(5, 2), "Need valid CD handle first!");
    EXPECT_FALSE(QFile::exists(track2()));
    expectIdle();
}

TEST_F(WavRunTest, UnreadableTocAtTheTrackStartIsAReadFailure)
{
    start();
    // The disc is gone by the time the batch reads the TOC again.
    ASSERT_TRUE(QFile::remove(QString::fromStdString(layout.cuePath)));
    pressWav();

    ASSERT_EQ(boxes.messages.size(), 1);
    EXPECT_EQ(boxes.messages[0].kind, Kind::Error);
    EXPECT_TRUE(boxes.messages[0].text.startsWith("The table of contents of the disc could not be read.\n"
                                                  "AKRIP32.DLL Error code = "))
        << boxes.messages[0].text.toStdString();
    EXPECT_EQ(app->tracks().cell(5, 2), "The table of contents of the disc could not be read.");
    EXPECT_FALSE(QFile::exists(track2()));
    EXPECT_FALSE(QFile::exists(track5()));
    EXPECT_EQ(system.calls.first(), "screensaver:off");
    EXPECT_EQ(system.calls.last(), "screensaver:on");
    expectIdle();
}

TEST_F(WavRunTest, RipForEncodingHandsTheWavFileOnAndKeepsTheRunOpen)
{
    start();
    RipBatch& batch = app->ripBatch();
    QList<RipBatch::EncodeHandOver> handed;
    batch.hooks().Encode = [&](const RipBatch::EncodeHandOver& h) { handed << h; };
    ASSERT_TRUE(batch.CheckSelection());
    ASSERT_TRUE(batch.StartOnDisc(RipBatch::Command::MP3));
    EXPECT_FALSE(app->form1().isEnabled());
    batch.RipTrack(5, true);

    ASSERT_EQ(handed.size(), 1);
    EXPECT_EQ(handed[0].savedDirectory, output + "/");
    EXPECT_EQ(handed[0].outputDirectory, albumDir());
    EXPECT_EQ(handed[0].wavPath, track5());
    EXPECT_EQ(handed[0].baseName, "05 - .._.._Up _ Out_");
    EXPECT_EQ(handed[0].trackName, "../../Up / Out?");
    EXPECT_EQ(handed[0].track, 5);
    EXPECT_EQ(handed[0].selectedCount, 2);
    expectWav(track5(), pcm(discSpec, 5));
    EXPECT_EQ(app->form3().Output->text(), "05 - .._.._Up _ Out_.mp3");
    EXPECT_EQ(titles.last(), "Trackmill 100% / 0%");
    // The encode job ends the run: no box yet, screen saver still off.
    EXPECT_TRUE(boxes.messages.isEmpty());
    EXPECT_EQ(system.calls, QStringList{"screensaver:off"});
    EXPECT_TRUE(app->form3().isVisible());
    EXPECT_EQ(app->settings().directoryMp3, albumDir());
}

TEST_F(WavRunTest, AfterTheRunTheMachineShutsDownAndTheTrayOpens)
{
    start();
    app->settings().afterExecute = 1;
    app->settings().ejectCdAudio = true;
    pressWav();

    EXPECT_EQ(system.calls, (QStringList{"screensaver:off", "screensaver:on", "power:shutdown",
                                        "eject:" + QString::fromStdString(layout.cuePath)}));
    EXPECT_TRUE(boxes.messages.isEmpty());
    expectIdle();

    // Restart, and the user was elsewhere: no box either way, no blinking.
    system.calls.clear();
    app->settings().afterExecute = 2;
    app->settings().ejectCdAudio = false;
    progressActive = false;
    pressWav();
    EXPECT_EQ(system.calls, (QStringList{"screensaver:off", "screensaver:on", "power:restart"}));
}

TEST_F(WavRunTest, FinishBoxWaitsForTheUserWhenTheProgressWindowIsNotActive)
{
    start();
    progressActive = false;
    app->settings().preventScreensaver = false;
    app->settings().ejectCdAudio = true;
    pressWav();

    ASSERT_EQ(system.calls.size(), 3);
    EXPECT_EQ(system.calls[0], "blink:500");
    EXPECT_TRUE(system.calls[1].startsWith("box:  Grabbing finished."));
    EXPECT_EQ(system.calls[2], "eject:" + QString::fromStdString(layout.cuePath));
}

TEST_F(WavRunTest, AbortedRunEjectsOnceWhenAsked)
{
    start();
    app->settings().ejectCdAudio = true;
    onRead = [&] { app->form3().Abort->click(); };
    pressWav();
    EXPECT_EQ(system.calls, (QStringList{"screensaver:off", "screensaver:on", "box:  Grabbing aborted.  ",
                                        "eject:" + QString::fromStdString(layout.cuePath)}));
}

TEST_F(WavRunTest, RefusedRunsRipNothingAndLeaveTheScreenSaverAlone)
{
    start();
    // No track selected.
    for (int n = 1; n < app->tracks().RowCount(); ++n)
        app->tracks().setSelection(n, false);
    pressWav();
    EXPECT_EQ(system.calls, QStringList{"box:  No track selected.  "});
    EXPECT_EQ(boxes.messages[0].kind, Kind::Warning);
    EXPECT_TRUE(app->form1().isEnabled());
    EXPECT_FALSE(app->form3().isVisible());

    // An output directory that does not exist: refused after the screen
    // saver went off, which comes back on; the box says which folder.
    system.calls.clear();
    app->tracks().setSelection(2, true);
    app->settings().directoryMp3 = output + "/missing/";
    pressWav();
    ASSERT_EQ(system.calls.size(), 3);
    EXPECT_EQ(system.calls[0], "screensaver:off");
    EXPECT_EQ(system.calls[1],
              "box:  Error in the path or file name.   \n\n" + output + "/missing/: No such file or directory");
    EXPECT_EQ(system.calls[2], "screensaver:on");
    EXPECT_EQ(app->settings().directoryMp3, output + "/missing/");
    EXPECT_TRUE(app->form1().isEnabled());
    EXPECT_FALSE(app->form1().GetProcess());
    EXPECT_FALSE(app->form3().isVisible());
    EXPECT_TRUE(QDir(output).isEmpty());
}

TEST_F(WavRunTest, NoDiscIsRefusedEvenWithTracksSelected)
{
    QFile::remove(QString::fromStdString(layout.cuePath));
    app = std::make_unique<TrackmillApp>(
        TrackmillApp::Services{boxes, system, shell, paths, false, false, kNoServer});
    ASSERT_FALSE(app->tracks().CD());
    LanguageTexts texts;
    texts.noDisc = "No audio CD";
    app->ripBatch().sources().texts = [texts] { return texts; };
    app->tracks().setSelection(1, true);
    ASSERT_TRUE(app->tracks().Selected());
    app->settings().directoryMp3 = output + "/";
    pressWav();
    EXPECT_EQ(boxes.texts(), QStringList{"  No audio CD.  "});
    EXPECT_TRUE(system.calls.isEmpty());
    EXPECT_TRUE(QDir(output).isEmpty());
}

}
