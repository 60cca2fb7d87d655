// SPDX-License-Identifier: GPL-2.0-or-later
// The MP3 command through the whole program with the real encoder library;
// MP3 files decoded and their tags read back by independent readers.
#include "app/hiddenlog.h"
#include "encoder/encodejobs.h"
#include "encoder/gogotea.h"
#include "tags/tageditorwindow.h"

#include "gogoteatestsupport.h"
#include "mp3framereader.h"
#include "programrun.h"
#include "wavfixture.h"

#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>

#include <id3v1tag.h>
#include <id3v2tag.h>
#include <mpegfile.h>

#include <sndfile.h>

using namespace trackmill;
using namespace trackmill::test;
using Kind = RecordingMessageBoxes::Kind;

namespace {

constexpr qint64 kSecond = 75 * 2352;

QString qs(const TagLib::String& s)
{
    return QString::fromStdString(s.to8Bit(true));
}

QString frame(TagLib::ID3v2::Tag* tag, const char* id)
{
    const auto& list = tag->frameListMap()[id];
    return list.isEmpty() ? QString() : qs(list.front()->toString());
}

class Mp3RunTest : public ProgramRunTest
{
protected:
    // A disc of four tracks of these seconds, MPEG-1 at 128 kbps, both tags,
    // WAV files deleted, tracks 2 and 4 selected.
    void start(std::vector<int> seconds = {1, 3, 1, 2})
    {
        std::vector<uint64_t> bytes;
        for (int s : seconds)
            bytes.push_back(quint64(s) * kSecond);
        insertDisc(bytes);
        ProgramRunTest::start("Live Set", {2, 4});
        ASSERT_TRUE(app->tracks().CD());
        ASSERT_NE(app->encodeJobs(), nullptr);
        progressActive = false;
        Settings& s = app->settings();
        s.mpegVersion = Settings::MpegVersion::Mpeg1;
        s.bitrate = 8;  // 128 kbps
        s.bitrateMax = 13;
        s.vbrRatio = false;
        s.priority = 3;
        s.onTheFly = false;
        s.encodeWavToMp3 = false;
        s.deleteWav = true;
        app->form4().setUseId3v1(true);
        app->form4().setUseId3v2(true);
        app->form4().setYears("1999");
    }

    // Presses MP3 and waits until the run has given the program back.
    void runMp3()
    {
        press("MP3");
        ASSERT_TRUE(waitUntil([this] {
            return !app->form1().GetProcess() && !app->encodeJobs()->busy() && !app->gogoTea1()->IsEncoding();
        }, 60000));
        // Anything queued behind the end (a next track that must not come).
        processEventsFor(50);
    }

    QString albumDir() const { return output + "/The Band/Live Set/"; }
    QString mp3(int track) const { return albumDir() + QString("0%1 - Song %1.mp3").arg(track); }
    QString wav(int track) const { return albumDir() + QString("0%1 - Song %1.wav").arg(track); }

    // One MP3 file that decodes to the track's length, with both tags
    // naming the disc and the track.
    void expectTaggedMp3(int track)
    {
        const QString path = mp3(track);
        const Mp3Facts facts = inspectMp3(path);
        ASSERT_TRUE(facts.ok) << path.toStdString() << " " << facts.error.toStdString();
        EXPECT_EQ(facts.samples, (long long)(discSpec.trackBytes[track - 1] / 4));
        EXPECT_EQ(facts.rate, 44100);
        EXPECT_EQ(facts.bitrates, (std::set<int>{128}));

        TagLib::MPEG::File file(QFile::encodeName(path).constData());
        ASSERT_TRUE(file.isValid());
        TagLib::ID3v1::Tag* v1 = file.ID3v1Tag();
        ASSERT_NE(v1, nullptr);
        EXPECT_EQ(qs(v1->title()), QString("Song %1").arg(track));
        EXPECT_EQ(qs(v1->artist()), "The Band");
        EXPECT_EQ(qs(v1->album()), "Live Set");
        EXPECT_EQ(v1->track(), unsigned(track));
        EXPECT_EQ(v1->year(), 1999u);
        TagLib::ID3v2::Tag* v2 = file.ID3v2Tag();
        ASSERT_NE(v2, nullptr);
        EXPECT_EQ(frame(v2, "TIT2"), QString("Song %1").arg(track));
        EXPECT_EQ(frame(v2, "TPE1"), "The Band");
        EXPECT_EQ(frame(v2, "TALB"), "Live Set");
        EXPECT_EQ(frame(v2, "TRCK"), QString("%1/4").arg(track));
        EXPECT_EQ(v2->year(), 1999u);
    }

    QStringList filesIn(const QString& dir) const { return QDir(dir).entryList(QDir::Files, QDir::Name); }
};

// ------------------------------------------------------------ from the disc

TEST_F(Mp3RunTest, RipThenEncodeGivesTaggedMp3FilesAndNoWav)
{
    start();
    runMp3();

    expectTaggedMp3(2);
    expectTaggedMp3(4);
    // The WAV files were asked to go; nothing else is left (no temp.mp3).
    EXPECT_EQ(filesIn(albumDir()), (QStringList{"02 - Song 2.mp3", "04 - Song 4.mp3"}));
    // Ripping time / encoding time.
    const QRegularExpression twoTimes("^ OK \\d\\d:\\d\\d:\\d\\d/\\d\\d:\\d\\d:\\d\\d$");
    EXPECT_TRUE(twoTimes.match(app->tracks().cell(5, 2)).hasMatch()) << app->tracks().cell(5, 2).toStdString();
    EXPECT_TRUE(twoTimes.match(app->tracks().cell(5, 4)).hasMatch()) << app->tracks().cell(5, 4).toStdString();

    ASSERT_EQ(boxes.messages.size(), 1);
    EXPECT_EQ(boxes.messages[0].kind, Kind::Information);
    const QRegularExpression finish("^  Grabbing and encoding finished\\.   \n\n    Grabbing: 00:00:\\d\\d\n"
                                    "    Encoding: 00:00:\\d\\d$");
    EXPECT_TRUE(finish.match(boxes.messages[0].text).hasMatch()) << boxes.messages[0].text.toStdString();
    EXPECT_EQ(system.calls,
              (QStringList{"screensaver:off", "blink:400", "box:" + boxes.messages[0].text, "screensaver:on"}));
    EXPECT_TRUE(titles.contains("Trackmill 100% / 0%"));
    expectIdle();
    EXPECT_EQ(app->encodeJobs()->encodingTimes().sum(1, 4), app->encodeJobs()->encodingTimes().sum(2, 4));
}

TEST_F(Mp3RunTest, OnTheFlyGivesTaggedMp3FilesAndNoWav)
{
    start();
    app->settings().onTheFly = true;
    app->settings().deleteWav = false;  // no intermediate file is written at all
    runMp3();

    expectTaggedMp3(2);
    expectTaggedMp3(4);
    EXPECT_EQ(filesIn(albumDir()), (QStringList{"02 - Song 2.mp3", "04 - Song 4.mp3"}));
    EXPECT_TRUE(app->tracks().cell(5, 2).startsWith(" OK 00:00:"));
    ASSERT_EQ(boxes.messages.size(), 1);
    EXPECT_TRUE(boxes.messages[0].text.startsWith("  Grabbing finished.  \n\n    Grabbing: 00:00:"));
    // Both gauges followed the reads: the title shows both percentages.
    EXPECT_FALSE(titles.filter(QRegularExpression("^Trackmill [1-9]\\d?% / [1-9]\\d?%$")).isEmpty());
    EXPECT_EQ(app->form3().ProgressBar2->value(), app->form3().ProgressBar2->maximum());
    expectIdle();
}

TEST_F(Mp3RunTest, AbortWhileEncodingEndsTheBatchAndKeepsTheWav)
{
    start({1, 12, 1, 2});
    onTitle = [this](const QString& title) {
        // The encoder's first progress report on track 2.
        if (title.startsWith("Trackmill 100% / ") && title != "Trackmill 100% / 0%" && app->form3().isVisible())
            app->form3().Abort->click();
    };
    runMp3();

    EXPECT_EQ(app->tracks().cell(5, 2), "Encoding aborted");
    EXPECT_EQ(app->tracks().cell(5, 4), "");
    // The partial MP3 and the WAV file stay; track 4 was never started.
    EXPECT_EQ(filesIn(albumDir()), (QStringList{"02 - Song 2.mp3", "02 - Song 2.wav"}));
    EXPECT_EQ(boxes.messages.value(0).kind, Kind::Warning);
    EXPECT_EQ(system.calls, (QStringList{"screensaver:off", "box:  Encoding aborted.  ", "screensaver:on"}));
    expectIdle();
}

TEST_F(Mp3RunTest, AbortRightAfterAJobEndedStartsNoFurtherTrack)
{
    start();
    // The user presses Abort just as track 2's job has ended, before the
    // next track is ripped.
    QObject::connect(app->gogoTea1(), &TGogoTea::OnFinish, [this](bool) {
        if (app->form3().isVisible())
            app->form3().Abort->click();
    });
    runMp3();

    expectTaggedMp3(2);
    EXPECT_TRUE(app->tracks().cell(5, 2).startsWith(" OK "));
    EXPECT_EQ(app->tracks().cell(5, 4), "");
    EXPECT_FALSE(QFile::exists(wav(4)));
    EXPECT_EQ(boxes.texts(), QStringList{"  Encoding aborted.  "});
    expectIdle();
}

TEST_F(Mp3RunTest, AbortDuringAnOnTheFlyTrackEndsTheBatch)
{
    start({1, 12, 1, 2});
    app->settings().onTheFly = true;
    int reads = 0;
    onTitle = [&](const QString& title) {
        if (title.contains("% / ") && ++reads == 5)
            app->form3().Abort->click();
    };
    runMp3();

    EXPECT_EQ(app->tracks().cell(5, 2), "Grabbing aborted");
    EXPECT_EQ(app->tracks().cell(5, 4), "");
    // No WAV file anywhere; no file of track 4.
    EXPECT_EQ(filesIn(albumDir()), QStringList{"02 - Song 2.mp3"});
    EXPECT_EQ(system.calls, (QStringList{"screensaver:off", "box:  Grabbing aborted.  ", "screensaver:on"}));
    expectIdle();
}

TEST_F(Mp3RunTest, AnEncoderErrorEndsTheBatchInBothModes)
{
    start({1, 6, 1, 2});
    // Every write of track 2's MP3 file fails (the disk is full).
    QDir().mkpath(albumDir());
    ASSERT_TRUE(QFile::link("/dev/full", mp3(2)));
    // On the fly the ripper stops at once: the error is an abort of the
    // track. Either way track 4 is not started.
    for (bool onTheFly : {false, true}) {
        SCOPED_TRACE(onTheFly);
        const QString text = onTheFly ? "Grabbing aborted" : "Encoding aborted";
        boxes.messages.clear();
        app->settings().onTheFly = onTheFly;
        runMp3();
        EXPECT_EQ(boxes.texts(), QStringList{"  " + text + ".  "});
        EXPECT_EQ(app->tracks().cell(5, 2), text);
        EXPECT_FALSE(QFile::exists(wav(4)));
        EXPECT_FALSE(QFile::exists(mp3(4)));
        expectIdle();
    }
}

TEST_F(Mp3RunTest, ShutdownAfterTheRunSavesFirstAndShowsNoBox)
{
    start();
    app->settings().afterExecute = 1;
    system.watched = {paths.settingsFile(), paths.cdPlayerIni()};
    runMp3();

    expectTaggedMp3(4);
    EXPECT_TRUE(boxes.messages.isEmpty());
    EXPECT_EQ(system.calls, (QStringList{"screensaver:off", "exists:Trackmill.INI", "exists:CDPLAYER.INI",
                                         "power:shutdown", "screensaver:on"}));
    QFile ini(paths.cdPlayerIni());
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray text = ini.readAll();
    EXPECT_TRUE(text.contains("The Band")) << text.toStdString();
    expectIdle();
}

// ------------------------------------------------------------ WAV files

class Mp3WavFilesTest : public Mp3RunTest
{
protected:
    void startWithFiles(double seconds)
    {
        start();
        app->settings().encodeWavToMp3 = true;
        source = folders.root.filePath("source");
        QDir().mkpath(source);
        writeSources(seconds);
    }
    void writeSources(double seconds)
    {
        files.clear();
        for (const char* name : {"take1.wav", "take2.wav", "take3.wav"}) {
            files << source + "/" + name;
            ASSERT_TRUE(writeSoundFile(files.last(), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, long(seconds * 44100)));
        }
        shell.fileAnswers = {files};
    }
    QString source;
    QStringList files;
};

TEST_F(Mp3WavFilesTest, ThreeFilesIntoTheOutputFolderSourcesDeletedWhenAsked)
{
    startWithFiles(1.0);
    runMp3();
    EXPECT_EQ(filesIn(output), (QStringList{"take1.mp3", "take2.mp3", "take3.mp3"}));
    for (const QString& name : filesIn(output))
        EXPECT_EQ(inspectMp3(output + "/" + name).samples, 44100);
    EXPECT_TRUE(filesIn(source).isEmpty());
    ASSERT_EQ(shell.requests.size(), 1);
    EXPECT_EQ(shell.requests[0].filter, "Files (.wav) (*.wav)");
    ASSERT_EQ(boxes.messages.size(), 1);
    const QRegularExpression finish("^  Encoding finished\\.   \n\n    Encoding: 00:00:\\d\\d$");
    EXPECT_TRUE(finish.match(boxes.messages[0].text).hasMatch()) << boxes.messages[0].text.toStdString();
    EXPECT_EQ(app->form3().State->text(), "File 3 of 3");
    // No tags in this mode, and no ripping at all: the grid is untouched.
    TagLib::MPEG::File file(QFile::encodeName(output + "/take1.mp3").constData());
    EXPECT_FALSE(file.hasID3v2Tag());
    EXPECT_EQ(app->tracks().cell(5, 2), "");
    expectIdle();

    // Kept when not asked.
    app->settings().deleteWav = false;
    writeSources(1.0);
    runMp3();
    EXPECT_EQ(filesIn(source), (QStringList{"take1.wav", "take2.wav", "take3.wav"}));
    EXPECT_EQ(boxes.messages.size(), 2);
}

TEST_F(Mp3WavFilesTest, AbortOnTheSecondKeepsTheSecondAndThirdSource)
{
    startWithFiles(12.0);
    onTitle = [this](const QString& title) {
        if (title.startsWith("Trackmill 0% / ") && app->form3().State->text() == "File 2 of 3"
            && app->form3().isVisible())
            app->form3().Abort->click();
    };
    runMp3();
    EXPECT_EQ(filesIn(source), (QStringList{"take2.wav", "take3.wav"}));
    EXPECT_TRUE(QFile::exists(output + "/take1.mp3"));
    EXPECT_FALSE(QFile::exists(output + "/take3.mp3"));
    EXPECT_EQ(boxes.texts(), QStringList{"  Encoding aborted.  "});
    expectIdle();
}

TEST_F(Mp3WavFilesTest, NoBitrateChosenEncodesMpeg1At128AndSaysSo)
{
    startWithFiles(1.0);
    Settings& s = app->settings();
    s.mpegVersion = Settings::MpegVersion::None;
    s.bitrate = -1;
    s.bitrateMax = -1;
    runMp3();
    const Mp3Facts facts = inspectMp3(output + "/take2.mp3");
    ASSERT_TRUE(facts.ok);
    EXPECT_EQ(facts.version, 0);
    EXPECT_EQ(facts.bitrates, (std::set<int>{128}));
    EXPECT_FALSE(app->log().lines().filter("MPEG-1 at 128 kbps").isEmpty()) << app->log().lines().join("|").toStdString();
}

TEST_F(Mp3WavFilesTest, CancelledDialogGivesTheWindowBack)
{
    startWithFiles(1.0);
    shell.fileAnswers.clear();
    runMp3();
    EXPECT_TRUE(boxes.messages.isEmpty());
    EXPECT_TRUE(filesIn(output).isEmpty());
    EXPECT_TRUE(app->form1().isEnabled());
}

}
