// SPDX-License-Identifier: GPL-2.0-or-later
// The WAV command through the whole program: the toolbar button pressed by
// name over a generated disc, files and boxes checked as the user finds them.
#include "app/hiddenlog.h"
#include "cd/cddrives.h"
#include "rip/wavheader.h"

#include "akrip32.h"
#include "akrip32_testing.h"
#include "programrun.h"

#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

using namespace trackmill;
using namespace trackmill::test;
using Kind = RecordingMessageBoxes::Kind;

namespace {

constexpr qint64 kSector = 2352;

class WavRunTest : public ProgramRunTest
{
protected:
    void SetUp() override
    {
        // Sector multiples, so the files hold exactly the PCM; lengths that
        // are no multiple of 26 sectors, so the last read is short.
        insertDisc({(26 * 2 + 3) * kSector, (26 * 3 + 5) * kSector, 40 * kSector, 30 * kSector,
                    (26 * 4 + 1) * kSector, 20 * kSector});
    }

    // Tracks 2 and 5 selected; names from a disc or freedb may hold anything.
    void start()
    {
        ProgramRunTest::start("Live: Side A", {2, 5});
        ASSERT_TRUE(app->tracks().CD());
        app->tracks().setCell(5, 5, "Info 5");
        app->tracks().setCell(1, 5, "../../Up / Out?");
    }

    QString albumDir() const { return output + "/The Band/Live_ Side A/"; }
    QString track2() const { return albumDir() + "02 - Song 2.wav"; }
    QString track5() const { return albumDir() + "05 - .._.._Up _ Out_.wav"; }
    QString eject() const { return "eject:" + QString::fromStdString(layout.cuePath); }

    QByteArray pcm(int track) const
    {
        const std::vector<uint8_t> bytes = discimage::trackPcm(discSpec, track);
        return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    }

    // The WAV file holds a valid header for exactly the audio behind it.
    static void expectWav(const QString& path, const QByteArray& audio)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        const QByteArray file = f.readAll();
        ASSERT_EQ(file.size(), 44 + audio.size()) << path.toStdString();
        EXPECT_EQ(file.left(44), WavHeader::build(std::uint32_t(audio.size())));
        EXPECT_TRUE(file.mid(44) == audio) << path.toStdString();
    }
};

TEST_F(WavRunTest, TwoSelectedTracksBecomeTwoWavFiles)
{
    start();
    press("WAV");

    expectWav(track2(), pcm(2));
    expectWav(track5(), pcm(5));
    EXPECT_EQ(QDir(albumDir()).entryList(QDir::Files).size(), 2);
    // Nothing escaped the output folder.
    EXPECT_EQ(QDir(output).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"The Band"});

    EXPECT_EQ(states, (QStringList{"Grabbing track: 2  (File 1 of 2)  [2, 5]",
                                   "Grabbing track: 5  (File 2 of 2)  [2, 5]"}));
    EXPECT_EQ(app->form3().Output->text(), "05 - .._.._Up _ Out_.wav");
    EXPECT_EQ(app->form3().Directory->text(), albumDir());
    EXPECT_EQ(app->form3().TotalSector->text(), QString::number(26 * 4 + 1));
    EXPECT_EQ(app->form3().ReadingSector->text(), app->form3().TotalSector->text());
    EXPECT_EQ(app->form3().ProgressBar1->value(), 26 * 4 + 1);
    EXPECT_EQ(app->form3().ProgressBar1->maximum(), 26 * 4 + 1);
    EXPECT_EQ(app->log().lines().filter("Track ripped!").size(), 2);

    // Screen saver kept off for the whole run, one finish box after the
    // last track, with the total grab time.
    ASSERT_EQ(system.calls.size(), 3);
    EXPECT_EQ(system.calls.mid(0, 2), (QStringList{"screensaver:off", "screensaver:on"}));
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
    press("WAV");
    expectWav(track2(), pcm(2));
    EXPECT_FALSE(QDir(albumDir() + "The Band").exists());
    EXPECT_EQ(boxes.messages.size(), 2);
}

TEST_F(WavRunTest, AbortKeepsAValidShorterFileAndEjectsOnce)
{
    start();
    app->settings().ejectCdAudio = true;
    // The user presses Abort during the third read of track 5 (the title
    // changes just before each read); the read under way still lands.
    int readsOfTrack5 = 0;
    onTitle = [&](const QString&) {
        if (app->form3().State->text().contains("File 2 of 2") && ++readsOfTrack5 == 3)
            app->form3().Abort->click();
    };
    press("WAV");

    expectWav(track2(), pcm(2));
    expectWav(track5(), pcm(5).left(3 * 26 * kSector));
    EXPECT_EQ(app->tracks().cell(5, 5), "Grabbing aborted");
    EXPECT_TRUE(app->tracks().cell(5, 2).startsWith(" OK "));
    EXPECT_EQ(system.calls, (QStringList{"screensaver:off", "screensaver:on", "box:  Grabbing aborted.  ", eject()}));
    EXPECT_EQ(boxes.messages[0].kind, Kind::Warning);
    expectIdle();

    // A click waiting in the event queue reaches the read loop between two
    // reads: after the first read of track 2.
    system.calls.clear();
    app->settings().ejectCdAudio = false;
    onTitle = nullptr;
    QTimer::singleShot(0, app->form3().Abort, &QPushButton::click);
    press("WAV");
    expectWav(track2(), pcm(2).left(26 * kSector));
    EXPECT_EQ(app->tracks().cell(5, 2), "Grabbing aborted");
    EXPECT_EQ(system.calls, (QStringList{"screensaver:off", "screensaver:on", "box:  Grabbing aborted.  "}));
    expectIdle();
}

TEST_F(WavRunTest, ReadErrorStopsTheBatchWithTheLibrarysText)
{
    const struct
    {
        DWORD status;
        QString box;
        QString column5;  // empty: left as it was
    } cases[] = {
        {SS_ERR, "An error was returned by the ASPI manager\nAKRIP32.DLL ASPI error: 4", "ASPI error: 4"},
        {7, "AKRIP32.DLL Error code = 7", ""},
    };
    start();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        system.calls.clear();
        boxes.messages.clear();
        app->tracks().setCell(5, 2, "before");
        // Fails from the 30th sector of track 2 on: one good read of 26.
        AkripTestFailReads(layout.trackStart[1] + 30, c.status);
        press("WAV");
        AkripTestFailReads(0, 0);

        expectWav(track2(), pcm(2).left(26 * kSector));
        EXPECT_FALSE(QFile::exists(track5()));
        EXPECT_EQ(system.calls, (QStringList{"screensaver:off", "box:" + c.box, "screensaver:on"}));
        EXPECT_EQ(boxes.messages.value(0).kind, Kind::Error);
        EXPECT_EQ(app->tracks().cell(5, 2), c.column5.isEmpty() ? QString("before") : c.column5);
        EXPECT_EQ(app->tracks().cell(5, 5), "Info 5");
        expectIdle();
    }
}

// An output file that cannot be made, a TOC gone by the time the track
// starts, a lost CD handle: each an error box and column 5, nothing ripped.
TEST_F(WavRunTest, FailuresBeforeTheFirstReadStopTheBatch)
{
    start();
    QDir().mkpath(track2());  // a folder where the WAV file should go
    press("WAV");
    ASSERT_EQ(boxes.messages.size(), 1);
    EXPECT_EQ(boxes.messages[0].kind, Kind::Error);
    EXPECT_TRUE(boxes.messages[0].text.startsWith(track2() + ": ")) << boxes.messages[0].text.toStdString();
    EXPECT_EQ(app->tracks().cell(5, 2), boxes.messages[0].text);
    EXPECT_FALSE(QFile::exists(track5()));
    EXPECT_EQ(system.calls, (QStringList{"screensaver:off", "box:" + boxes.messages[0].text, "screensaver:on"}));
    expectIdle();
    ASSERT_TRUE(QDir(track2()).removeRecursively());

    // The disc is gone by the time the batch reads the TOC again.
    system.calls.clear();
    boxes.messages.clear();
    ASSERT_TRUE(QFile::remove(QString::fromStdString(layout.cuePath)));
    press("WAV");
    ASSERT_EQ(boxes.messages.size(), 1);
    EXPECT_EQ(boxes.messages[0].kind, Kind::Error);
    EXPECT_TRUE(boxes.messages[0].text.startsWith("The table of contents of the disc could not be read.\n"
                                                  "AKRIP32.DLL Error code = "))
        << boxes.messages[0].text.toStdString();
    EXPECT_EQ(app->tracks().cell(5, 2), "The table of contents of the disc could not be read.");
    EXPECT_FALSE(QFile::exists(track2()));
    EXPECT_EQ(system.calls, (QStringList{"screensaver:off", "box:" + boxes.messages[0].text, "screensaver:on"}));
    expectIdle();

    // The disc was read, then the drive's handle went away.
    system.calls.clear();
    ASSERT_TRUE(app->drives().FGetCloseHandle());
    press("WAV");
    EXPECT_EQ(system.calls, (QStringList{"screensaver:off", "box:Need valid CD handle first!", "screensaver:on"}));
    EXPECT_EQ(app->tracks().cell(5, 2), "Need valid CD handle first!");
    EXPECT_FALSE(QFile::exists(track2()));
    expectIdle();
}

TEST_F(WavRunTest, AfterTheRunTheMachineGoesDownAndTheTrayOpens)
{
    start();
    app->settings().afterExecute = 1;
    app->settings().ejectCdAudio = true;
    press("WAV");
    EXPECT_EQ(system.calls, (QStringList{"screensaver:off", "screensaver:on", "power:shutdown", eject()}));
    EXPECT_TRUE(boxes.messages.isEmpty());
    expectIdle();

    // Restart, and the user was elsewhere: no box either way, no blinking.
    system.calls.clear();
    app->settings().afterExecute = 2;
    app->settings().ejectCdAudio = false;
    progressActive = false;
    press("WAV");
    EXPECT_EQ(system.calls, (QStringList{"screensaver:off", "screensaver:on", "power:restart"}));

    // Nothing after the run: the finish box waits for the user, then the tray.
    system.calls.clear();
    app->settings().afterExecute = 0;
    app->settings().preventScreensaver = false;
    app->settings().ejectCdAudio = true;
    press("WAV");
    ASSERT_EQ(system.calls.size(), 3);
    EXPECT_EQ(system.calls[0], "blink:500");
    EXPECT_TRUE(system.calls[1].startsWith("box:  Grabbing finished."));
    EXPECT_EQ(system.calls[2], eject());
}

TEST_F(WavRunTest, RefusedRunsRipNothingAndLeaveTheScreenSaverAlone)
{
    start();
    // No track selected.
    for (int n = 1; n < app->tracks().RowCount(); ++n)
        app->tracks().setSelection(n, false);
    press("WAV");
    EXPECT_EQ(system.calls, QStringList{"box:  No track selected.  "});
    EXPECT_EQ(boxes.messages[0].kind, Kind::Warning);
    EXPECT_TRUE(app->form1().isEnabled());
    EXPECT_FALSE(app->form3().isVisible());

    // An output directory that does not exist: refused after the screen
    // saver went off, which comes back on; the box says which folder.
    system.calls.clear();
    app->tracks().setSelection(2, true);
    app->settings().directoryMp3 = output + "/missing/";
    press("WAV");
    EXPECT_EQ(system.calls, (QStringList{"screensaver:off",
                                         "box:  Error in the path or file name.   \n\n" + output
                                             + "/missing/: No such file or directory",
                                         "screensaver:on"}));
    EXPECT_EQ(app->settings().directoryMp3, output + "/missing/");
    EXPECT_TRUE(app->form1().isEnabled());
    EXPECT_FALSE(app->form1().GetProcess());
    EXPECT_FALSE(app->form3().isVisible());
    EXPECT_TRUE(QDir(output).isEmpty());
}

TEST_F(WavRunTest, NoDiscIsRefusedEvenWithTracksSelected)
{
    QFile::remove(QString::fromStdString(layout.cuePath));
    ProgramRunTest::start("Album", {});
    ASSERT_FALSE(app->tracks().CD());
    app->tracks().setSelection(1, true);
    ASSERT_TRUE(app->tracks().Selected());
    press("WAV");
    EXPECT_EQ(system.calls, QStringList{"box:  No audio CD.  "});
    EXPECT_TRUE(QDir(output).isEmpty());
}

}
