// SPDX-License-Identifier: GPL-2.0-or-later
// The MP3 command through the whole program with the real encoder library,
// where the end-to-end test does not go: ripping before encoding, aborts,
// encoder errors, the power action after the run and WAV files from disk.
#include "encoder/trackencoder.h"
#include "encoder/gogotea.h"
#include "tags/tageditorwindow.h"
#include "platform/hiddenlog.h"

#include "mp3framereader.h"
#include "programrun.h"
#include "wavfixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QLabel>
#include <QThread>
#include <QTimer>

#include "platform/inifile.h"

#include <id3v1tag.h>
#include <id3v2tag.h>
#include <mpegfile.h>

#include <sndfile.h>

#include <cerrno>
#include <cstring>

using namespace trackmill;
using namespace trackmill::test;

namespace {

class Mp3RunTest : public ProgramRunTest
{
protected:
    // Four tracks of these seconds, 2 and 4 selected; 128 kbps, both tags, WAV files deleted.
    void start(std::vector<int> seconds = {1, 3, 1, 2})
    {
        std::vector<uint64_t> bytes;
        for (int s : seconds)
            bytes.push_back(quint64(s) * 75 * 2352);
        insertDisc(bytes);
        ProgramRunTest::start("Live Set", {2, 4});
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
    }

    // Presses MP3 and waits until the run has given the program back.
    void runMp3()
    {
        press("MP3");
        auto busy = [this] { return app->ripRun().running() || app->encoder()->isEncoding(); };
        QElapsedTimer timer;
        for (timer.start(); busy() && timer.elapsed() < 60000; QThread::msleep(1))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_FALSE(busy()) << "the run did not end";
        // Anything queued behind the end (a next track that must not come).
        for (timer.start(); timer.elapsed() < 50; QThread::msleep(1))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }

    QString albumDir() const { return output + "/The Band/Live Set/"; }
    QString mp3(int track) const { return albumDir() + QString("0%1 - Song %1.mp3").arg(track); }
    QString wav(int track) const { return albumDir() + QString("0%1 - Song %1.wav").arg(track); }
    QStringList filesIn(const QString& dir) const { return QDir(dir).entryList(QDir::Files, QDir::Name); }

    // An MP3 file of the track's length at 128 kbps with both tags, numbered "n/4" in ID3v2.
    void expectTaggedMp3(int track)
    {
        const Mp3Facts facts = inspectMp3(mp3(track));
        EXPECT_EQ(std::make_pair(facts.samples, facts.bitrates),
                  std::make_pair((long long)(discSpec.trackBytes[track - 1] / 4), std::set<int>{128})) << facts.error.toStdString();
        TagLib::MPEG::File file(QFile::encodeName(mp3(track)).constData());
        ASSERT_TRUE(file.ID3v1Tag() && file.ID3v2Tag());
        EXPECT_EQ(file.ID3v1Tag()->track(), unsigned(track));
        const auto& trck = file.ID3v2Tag()->frameListMap()["TRCK"];
        EXPECT_EQ(trck.isEmpty() ? "" : trck.front()->toString().to8Bit(true), QString("%1/4").arg(track).toStdString());
    }
};

// The power action after the run: settings and disc names saved first, no box.
TEST_F(Mp3RunTest, RipThenEncodeGivesTaggedMp3FilesAndNoWavThenShutsDown)
{
    start();
    app->settings().afterExecute = 1;
    system.watched = {paths.settingsFile(), paths.cdPlayerIni()};
    runMp3();

    expectTaggedMp3(2);
    expectTaggedMp3(4);
    EXPECT_EQ(filesIn(albumDir()), (QStringList{"02 - Song 2.mp3", "04 - Song 4.mp3", "The Band - Live Set.log"}))
        << "no WAV, no temporary file";
    // Ripping time / encoding time.
    for (int track : {2, 4})
        EXPECT_TRUE(QRegularExpression("^ OK \\d\\d:\\d\\d:\\d\\d/\\d\\d:\\d\\d:\\d\\d$").match(app->tracks().cell(5, track)).hasMatch())
            << app->tracks().cell(5, track).toStdString();
    EXPECT_TRUE(titles().contains("Trackmill 100% / 0%"));
    EXPECT_TRUE(boxes.messages.isEmpty());
    EXPECT_EQ(system.calls, (QStringList{"screensaver:off", "exists:Trackmill.INI", "exists:CDPLAYER.INI",
                                         "power:shutdown", "screensaver:on"}));
    QFile ini(paths.cdPlayerIni());
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("The Band"));
    // The saved output folder is the root, not this disc's folder in it:
    // the next disc would nest inside this one's.
    const QString saved = QString::fromUtf8(IniFile(paths.settingsFile()).readString("MAIN", "DIRECTORYMP3", "?"));
    EXPECT_EQ(QDir(saved), QDir(output)) << saved.toStdString();
    expectIdle();
}

// Use_Multi_CPU ticked, two jobs allowed: the window's MP3 run encodes
// tracks side by side, the progress window shows how many jobs run, each
// file is whole and tagged, and the finish box comes once.
TEST_F(Mp3RunTest, WithMultiProcessorsTheWindowsRunEncodesTracksSideBySide)
{
    start({2, 3, 2, 3});
    app->tracks().setSelection(1, true);
    app->tracks().setSelection(3, true);
    app->settings().multiCpu = true;
    app->ripRun().setJobs(2);
    app->settings().readMode = 1;  // fast reads: the encoders are the slower part
    progressActive = true;
    auto* jobs = app->form3().findChild<QLabel*>("Jobs");
    ASSERT_NE(jobs, nullptr);
    bool jobsShown = false;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] { jobsShown |= jobs->isVisible() && jobs->text().trimmed() == "2"; });
    look.start(1);
    runMp3();

    for (int track = 1; track <= 4; ++track)
        expectTaggedMp3(track);
    EXPECT_EQ(filesIn(albumDir()), (QStringList{"01 - Song 1.mp3", "02 - Song 2.mp3", "03 - Song 3.mp3", "04 - Song 4.mp3",
                                                "The Band - Live Set.cue", "The Band - Live Set.log"}));
    EXPECT_TRUE(view->runningJobs.contains(2)) << "two jobs ran at once";
    EXPECT_TRUE(jobsShown) << "the progress window's jobs line";
    EXPECT_FALSE(jobs->isVisible());
    ASSERT_EQ(boxes.messages.size(), 1);
    EXPECT_TRUE(boxes.messages[0].text.startsWith("  Grabbing and encoding finished.")) << boxes.messages[0].text.toStdString();
    expectIdle();
}

// A track name with the separator in it: with Split off it is the whole
// title; with Split on, the artist before the separator, the title after.
TEST_F(Mp3RunTest, SplitDecidesWhetherATrackNameIsArtistAndTitle)
{
    start();
    app->tracks().setSelection(4, false);
    app->tracks().setCell(1, 2, "Song/With:Bad*Chars?");
    auto tagsOfTrack2 = [this] {
        const QStringList files = QDir(albumDir()).entryList({"02 *.mp3"}, QDir::Files);
        if (files.size() != 1)
            return QStringList{"files:" + files.join('|')};
        TagLib::MPEG::File file(QFile::encodeName(albumDir() + files[0]).constData());
        QStringList out;
        for (const char* id : {"TPE1", "TIT2"}) {
            const auto& frames = file.ID3v2Tag() ? file.ID3v2Tag()->frameListMap()[id] : TagLib::ID3v2::FrameList();
            out << QString::fromStdString(frames.isEmpty() ? "<none>" : frames.front()->toString().to8Bit(true));
        }
        QDir(albumDir()).remove(files[0]);
        return out;
    };

    app->settings().split = false;
    runMp3();
    EXPECT_EQ(tagsOfTrack2(), (QStringList{"The Band", "Song/With:Bad*Chars?"}));

    app->settings().split = true;
    runMp3();
    EXPECT_EQ(tagsOfTrack2(), (QStringList{"Song", "With:Bad*Chars?"}));
}

TEST_F(Mp3RunTest, AbortWhileEncodingEndsTheBatchAndRemovesItsWav)
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
    // The partial MP3 stays; the run's own WAV, hidden or not, is gone.
    EXPECT_EQ(QDir(albumDir()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"02 - Song 2.mp3", "The Band - Live Set.log"}));
    EXPECT_EQ(boxes.messages.value(0).kind, RecordingMessageBoxes::Kind::Warning);
    EXPECT_EQ(system.calls, (QStringList{"screensaver:off", "box:  Encoding aborted.  ", "screensaver:on"}));
    expectIdle();
}

// A WAV of an earlier run is the user's: an MP3 run that deletes its own
// WAV files leaves it as it was, and one that keeps them picks a free name.
TEST_F(Mp3RunTest, AnEarlierWavOfTheSameTrackSurvives)
{
    start();
    app->tracks().setSelection(4, false);
    QDir().mkpath(albumDir());
    ASSERT_TRUE(writeBytes(wav(2), "mine"));
    runMp3();
    expectTaggedMp3(2);
    EXPECT_EQ(QDir(albumDir()).entryList(QDir::Files | QDir::Hidden), (QStringList{"02 - Song 2.mp3", "02 - Song 2.wav", "The Band - Live Set.log"}));
    QFile mine(wav(2));
    ASSERT_TRUE(mine.open(QIODevice::ReadOnly));
    EXPECT_EQ(mine.readAll(), QByteArray("mine"));

    app->settings().deleteWav = false;
    runMp3();
    EXPECT_EQ(QDir(albumDir()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"02 - Song 2 (2).wav", "02 - Song 2.mp3", "02 - Song 2.wav", "The Band - Live Set.log"}));
    EXPECT_EQ(QFileInfo(albumDir() + "02 - Song 2 (2).wav").size(), 44 + qint64(discSpec.trackBytes[1]));
}

TEST_F(Mp3RunTest, AbortRightAfterAJobEndedStartsNoFurtherTrack)
{
    start();
    QObject::connect(app->encoder(), &TrackEncoder::finished, [this](bool) {
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

TEST_F(Mp3RunTest, AFullDiskEndsTheBatchInBothModesAndSaysWhy)
{
    start({1, 6, 1, 2});
    // Every write of track 2's MP3 file fails (the disk is full).
    QDir().mkpath(albumDir());
    ASSERT_TRUE(QFile::link("/dev/full", mp3(2)));
    // On the fly the error is an abort of the track, and no WAV file is written.
    // Either way track 4 is not started.
    for (bool onTheFly : {false, true}) {
        SCOPED_TRACE(onTheFly);
        const QString text = onTheFly ? "Grabbing aborted" : "Encoding aborted";
        boxes.messages.clear();
        app->settings().onTheFly = onTheFly;
        runMp3();
        // After the designed box, the file and the system's reason.
        const QString reason = mp3(2) + ": " + QString::fromLocal8Bit(strerror(ENOSPC));
        EXPECT_EQ(boxes.texts(), QStringList({"  " + text + ".  ", reason}));
        EXPECT_TRUE(app->log().lines().contains(reason));
        EXPECT_EQ(app->tracks().cell(5, 2), text);
        EXPECT_FALSE(QFile::exists(mp3(4)));
        // The run's own WAV file of the failed track is removed with it.
        EXPECT_EQ(QDir(albumDir()).entryList({"*.wav"}, QDir::Files | QDir::Hidden), QStringList());
        EXPECT_FALSE(QFile::exists(wav(4)));
        expectIdle();
    }
}

// Three WAV files of 12 s chosen in the file dialog, the sources to be
// deleted; Abort on the second keeps the sources not fully encoded.
TEST_F(Mp3RunTest, WavFilesFromDiskAbortOnTheSecondKeepsItsSourceAndTheRest)
{
    start();
    app->settings().encodeWavToMp3 = true;
    const QString source = folders.root.filePath("source");
    QDir().mkpath(source);
    QStringList files;
    for (const char* name : {"take1.wav", "take2.wav", "take3.wav"}) {
        files << source + "/" + name;
        ASSERT_TRUE(writeSoundFile(files.last(), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, 12 * 44100));
    }
    shell.fileAnswers = {files};
    onTitle = [this](const QString& title) {
        if (title.startsWith("Trackmill 0% / ") && app->form3().State->text() == "File 2 of 3"
            && app->form3().isVisible())
            app->form3().Abort->click();
    };
    runMp3();
    EXPECT_EQ(filesIn(source), (QStringList{"take2.wav", "take3.wav"}));
    EXPECT_EQ(filesIn(output), (QStringList{"take1.mp3", "take2.mp3"}));
    EXPECT_EQ(inspectMp3(output + "/take1.mp3").samples, 12 * 44100);
    // No tags in this mode, and no ripping: the grid is untouched.
    EXPECT_FALSE(TagLib::MPEG::File(QFile::encodeName(output + "/take1.mp3").constData()).hasID3v2Tag());
    EXPECT_EQ(app->tracks().cell(5, 2), "");
    EXPECT_EQ(boxes.texts(), QStringList{"  Encoding aborted.  "});
    expectIdle();
}

}
