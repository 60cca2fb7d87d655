// SPDX-License-Identifier: GPL-2.0-or-later
// The WAV command through the whole program: the toolbar button pressed by
// name over a generated disc, files and boxes checked as the user finds them.
#include "rip/wavheader.h"
#include "tags/tagfields.h"
#include "settings/settingstable.h"

#include "akrip32.h"
#include "akrip32_testing.h"
#include "programrun.h"

#include <QFile>
#include <QLabel>
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
        // Lengths that are no multiple of 26 sectors, so the last read is short.
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
    // Nothing escaped the output folder; the rip log lies beside the files.
    EXPECT_EQ(QDir(albumDir()).entryList(QDir::Files).size(), 3);
    EXPECT_TRUE(QFile::exists(albumDir() + "The Band - Live_ Side A.log"));
    EXPECT_EQ(QDir(output).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"The Band"});

    EXPECT_EQ(states(), (QStringList{"Grabbing track: 2  (File 1 of 2)  [2, 5]",
                                   "Grabbing track: 5  (File 2 of 2)  [2, 5]"}));

    // Screen saver kept off for the whole run, one finish box after the
    // last track, with the total grab time.
    ASSERT_EQ(system.calls.size(), 3);
    EXPECT_EQ(system.calls.mid(0, 2), (QStringList{"screensaver:off", "screensaver:on"}));
    EXPECT_TRUE(system.calls[2].startsWith("box:  Grabbing finished.  \n\n    Grabbing: 00:00:"))
        << system.calls[2].toStdString();
    EXPECT_EQ(boxes.messages.value(0).kind, Kind::Information);
    EXPECT_TRUE(app->tracks().cell(5, 5).startsWith(" OK 00:00:"));
    // The last track's play time, as the grid shows it without its spaces.
    const QString playTime = app->tracks().cell(3, 5).remove(QLatin1Char(' '));
    EXPECT_NE(playTime, "00:00");
    EXPECT_EQ(app->form3().findChild<QLabel*>("TrackLength")->text(), playTime);
    // Only the folder's name is filtered: the album stays as typed in the
    // window, the tags and the names model.
    EXPECT_EQ(app->form1().album(), "Live: Side A");
    EXPECT_EQ(app->discNames().album(), "Live: Side A");
    EXPECT_EQ(app->tagFields().fields().album2, "Live: Side A");
    expectIdle();

    // A second run writes the same files again into the same folders.
    press("WAV");
    expectWav(track2(), pcm(2));
    EXPECT_FALSE(QDir(albumDir() + "The Band").exists());
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
    EXPECT_EQ(system.calls, (QStringList{"screensaver:off", "screensaver:on", "box:  Grabbing aborted.  ", eject()}));
    EXPECT_EQ(boxes.messages[0].kind, Kind::Warning);
    expectIdle();

    // Closing the window, waiting in the event queue, aborts like the
    // button after the first read of track 2.
    onTitle = nullptr;
    QTimer::singleShot(0, &app->form3(), &QWidget::close);
    press("WAV");
    expectWav(track2(), pcm(2).left(26 * kSector));
    EXPECT_EQ(app->tracks().cell(5, 2), "Grabbing aborted");
}

// A read fault, then a TOC gone by the time the track starts: each an
// error box, nothing more ripped.
TEST_F(WavRunTest, FailuresStopTheBatchWithTheirTexts)
{
    start();
    // Fails from the 30th sector of track 2 on: one good read of 26.
    AkripTestFailReads(layout.trackStart[1] + 30, SS_ERR);
    press("WAV");
    AkripTestFailReads(0, 0);
    expectWav(track2(), pcm(2).left(26 * kSector));
    EXPECT_FALSE(QFile::exists(track5()));
    EXPECT_EQ(system.calls, (QStringList{"screensaver:off",
                                         "box:An error was returned by the ASPI manager\nAKRIP32.DLL ASPI error: 4",
                                         "screensaver:on"}));
    EXPECT_EQ(boxes.messages.value(0).kind, Kind::Error);
    EXPECT_EQ(app->tracks().cell(5, 2), "ASPI error: 4");
    EXPECT_EQ(app->tracks().cell(5, 5), "Info 5");
    expectIdle();

    // The disc is gone by the time the batch reads the TOC again.
    boxes.messages.clear();
    ASSERT_TRUE(QFile::remove(track2()));
    ASSERT_TRUE(QFile::remove(QString::fromStdString(layout.cuePath)));
    press("WAV");
    EXPECT_TRUE(boxes.messages.value(0).text.startsWith("The table of contents of the disc could not be read.\n"
                                                        "AKRIP32.DLL Error code = "));
    EXPECT_EQ(app->tracks().cell(5, 2), "The table of contents of the disc could not be read.");
    EXPECT_FALSE(QFile::exists(track2()));
    expectIdle();
}

TEST_F(WavRunTest, RefusedRunsRipNothingAndLeaveTheScreenSaverAlone)
{
    start();
    for (int n = 1; n < app->tracks().RowCount(); ++n)
        app->tracks().setSelection(n, false);
    press("WAV");
    EXPECT_EQ(system.calls, QStringList{"box:  No track selected.  "});
    EXPECT_EQ(boxes.messages[0].kind, Kind::Warning);

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
    EXPECT_FALSE(app->form3().isVisible());
    EXPECT_TRUE(QDir(output).isEmpty());
}

// A new user's output folder is the music folder, which a fresh account
// may not have: the first rip makes it instead of refusing.
TEST_F(WavRunTest, TheFirstRipMakesANewUsersMusicFolder)
{
    start();
    const QString music = defaultOutputDirectory();
    ASSERT_TRUE(music.startsWith(QDir::homePath())) << music.toStdString();
    QDir(music).removeRecursively();
    app->settings().directoryMp3 = music;
    press("WAV");
    EXPECT_EQ(boxes.messages.value(0).kind, Kind::Information) << boxes.messages.value(0).text.toStdString();
    EXPECT_TRUE(QFile::exists(music + "The Band/Live_ Side A/02 - Song 2.wav"));
    EXPECT_EQ(app->settings().directoryMp3, music);
    QDir(music).removeRecursively();
}

}
