// SPDX-License-Identifier: GPL-2.0-or-later
// The MP3 command with several encode jobs at once: the same files as one
// job at a time, bounded intermediate files, an abort and an encoder error
// in the middle, and the WAV files batch.
#include "jobsrun.h"

#include "akrip32.h"
#include "akrip32_testing.h"
#include "mp3framereader.h"
#include "wavfixture.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sndfile.h>

using namespace trackmill;
using namespace trackmill::test;
using Result = RipRun::TrackReport::Result;

namespace {

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Five tracks ripped and encoded one job at a time, then three at once:
// every file the same to the byte, audio and both tags. While the jobs run,
// the folder never holds more than N + 1 WAV files, the grid gets each
// track's times, and one finish box closes the run.
TEST_F(JobsRunTest, SeveralJobsGiveTheFilesOfOneJobByteForByte)
{
    insertDisc({3, 5, 1, 4, 2});
    runMp3(1);
    std::vector<QByteArray> alone;
    for (int n = 1; n <= 5; ++n) {
        alone.push_back(contents(mp3(n)));
        ASSERT_GT(alone.back().size(), 10000) << n;
        QFile::remove(mp3(n));
    }
    EXPECT_EQ(view.runningJobs, QList<int>{0}) << "one job at a time shows no jobs line";
    EXPECT_EQ(boxes.texts(), QStringList{"  Grabbing and encoding finished.   \n\n    Grabbing: "
                                         + boxes.texts().value(0).section("Grabbing: ", 1)});
    boxes.messages.clear();
    view.runningJobs.clear();

    int mostWavs = 0;
    // Finished jobs wait until three run at once.
    hold = true;
    view.onTick = [&] {
        mostWavs = std::max(mostWavs, wavsIn(albumDir()));
        if (hold && pool->running() == 3)
            releaseJobs();
    };
    runMp3(3);
    for (int n = 1; n <= 5; ++n) {
        EXPECT_TRUE(contents(mp3(n)) == alone[size_t(n - 1)]) << "track " << n;
        EXPECT_TRUE(QRegularExpression("^ OK \\d\\d:\\d\\d:\\d\\d/\\d\\d:\\d\\d:\\d\\d$").match(tracks->cell(5, n)).hasMatch())
            << tracks->cell(5, n).toStdString();
        EXPECT_EQ(resultOf(n), QList<Result>{Result::Done}) << n;
    }
    EXPECT_EQ(*std::max_element(view.runningJobs.begin(), view.runningJobs.end()), 3) << "three jobs ran at once";
    EXPECT_GE(mostWavs, 1);
    EXPECT_LE(mostWavs, 3 + 1);
    EXPECT_EQ(mp3sIn(albumDir()), 5) << filesIn(albumDir()).join('|').toStdString();
    ASSERT_EQ(boxes.messages.size(), 1);
    EXPECT_EQ(boxes.messages[0].kind, RecordingMessageBoxes::Kind::Information);
    EXPECT_TRUE(boxes.messages[0].text.startsWith("  Grabbing and encoding finished."));
    EXPECT_EQ(view.encoding.first, view.encoding.second) << "the overall gauge full at the end";
    EXPECT_EQ(view.titles.value(view.titles.size() - 1), "Trackmill");
    // Each job's figures in the hidden log.
    EXPECT_EQ(log.lines().filter(QRegularExpression("^Encoding job \\d+ \\(track \\d\\): done")).size(), 5)
        << log.lines().join('\n').toStdString();
}

// Abort while two jobs run and the next track is read: what was finished
// stays whole, nothing unfinished and no WAV file is left.
TEST_F(JobsRunTest, AbortInTheMiddleLeavesNoUnfinishedFileAndNoWav)
{
    insertDisc({2, 8, 8, 8, 8});
    // Once the first track is done, the next jobs stay running.
    QObject::connect(run.get(), &RipRun::trackFinished, [this] { hold = true; });
    bool aborted = false;
    view.onTick = [&] {
        if (!aborted && pool->running() == 2 && !run->reports().isEmpty()) {
            aborted = true;
            run->AbortRipping();
        }
    };
    runMp3(2);
    ASSERT_TRUE(aborted);
    EXPECT_EQ(wavsIn(albumDir()), 0) << filesIn(albumDir()).join('|').toStdString();
    QStringList expected;
    for (int n = 1; n <= 5; ++n) {
        if (resultOf(n) == QList<Result>{Result::Done}) {
            expected << QFileInfo(mp3(n)).fileName();
            EXPECT_EQ(inspectMp3(mp3(n)).samples, qint64(disc.trackBytes[size_t(n - 1)] / 4)) << n;
        } else {
            EXPECT_FALSE(resultOf(n).contains(Result::Done));
        }
    }
    EXPECT_EQ(resultOf(1), QList<Result>{Result::Done});
    expected << "The Band - Live Set.log";
    EXPECT_EQ(filesIn(albumDir()), expected) << "the finished files and the run's log";
    ASSERT_EQ(boxes.messages.size(), 1);
    EXPECT_EQ(boxes.messages[0].kind, RecordingMessageBoxes::Kind::Warning);
    EXPECT_FALSE(run->running());
}

// A read error in the third track while the first two encode: their jobs
// finish and their files are whole, then the run ends with the read error.
TEST_F(JobsRunTest, AReadErrorLetsTheJobsOfEarlierTracksFinish)
{
    insertDisc({2, 6, 4});
    AkripTestFailReads(8 * 75 + 30, SS_ERR);
    runMp3(2);
    AkripTestFailReads(0, 0);
    EXPECT_EQ(resultOf(1), QList<Result>{Result::Done});
    EXPECT_EQ(resultOf(2), QList<Result>{Result::Done});
    EXPECT_EQ(resultOf(3), QList<Result>{Result::Failed});
    for (int n = 1; n <= 2; ++n)
        EXPECT_EQ(inspectMp3(mp3(n)).samples, qint64(disc.trackBytes[size_t(n - 1)] / 4)) << n;
    EXPECT_FALSE(QFile::exists(mp3(3)));
    EXPECT_EQ(wavsIn(albumDir()), 0);
    ASSERT_EQ(boxes.messages.size(), 1) << boxes.texts().join('|').toStdString();
    EXPECT_EQ(boxes.messages[0].kind, RecordingMessageBoxes::Kind::Error);
    EXPECT_FALSE(run->running());
}

// An encoder error in the second of three running jobs: the other two are
// stopped, the run ends with the designed box and the reason, no later
// track is started and no unfinished file stays.
TEST_F(JobsRunTest, AnEncoderErrorInOneJobStopsTheOthersAndStartsNoLaterTrack)
{
    insertDisc({8, 8, 8, 2});
    hold = true;  // three jobs run until one fails
    const QString reason = mp3(2) + ": No space left on device";
    bool injected = false;
    view.onTick = [&] {
        if (injected || pool->running() != 3)
            return;
        for (InjectableEncoder* e : encoders) {
            if (e->isEncoding() && e->destination == mp3(2)) {
                injected = true;
                e->fail(reason);
            }
        }
    };
    runMp3(3);
    ASSERT_TRUE(injected);
    EXPECT_EQ(boxes.texts(), (QStringList{"  Encoding aborted.  ", reason}));
    EXPECT_TRUE(log.lines().contains(reason));
    EXPECT_EQ(resultOf(2), QList<Result>{Result::Failed});
    EXPECT_EQ(tracks->cell(5, 2), "Encoding aborted");
    EXPECT_TRUE(resultOf(4).isEmpty()) << "track 4 was never started";
    EXPECT_EQ(tracks->cell(5, 4), "");
    for (int n = 1; n <= 4; ++n)
        if (!resultOf(n).contains(Result::Done)) {
            EXPECT_FALSE(QFile::exists(mp3(n))) << n;
        }
    EXPECT_EQ(wavsIn(albumDir()), 0);
}

// WAV files from disk, two at a time, the sources to be deleted: the second
// file's job fails while the third runs. Only the first file, whose job
// finished, loses its source; no unfinished MP3 stays; the fourth is not
// started.
TEST_F(JobsRunTest, WavFilesBatchDeletesOnlyTheSourcesOfFinishedJobs)
{
    insertDisc({1});
    settings.encodeWavToMp3 = true;
    const QString sourceDir = folders.root.filePath("source");
    QDir().mkpath(sourceDir);
    QStringList files;
    const int seconds[] = {1, 10, 10, 1};
    for (int i = 0; i < 4; ++i) {
        files << sourceDir + QStringLiteral("/take%1.wav").arg(i + 1);
        ASSERT_TRUE(writeSoundFile(files.last(), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, seconds[i] * 44100));
    }
    shell.fileAnswers = {files};
    const QString out2 = folders.output + "/take2.mp3";
    QObject::connect(run.get(), &RipRun::trackFinished, [this] { hold = true; });
    bool injected = false;
    view.onTick = [&] {
        if (injected || run->reports().isEmpty() || pool->running() != 2)
            return;
        for (InjectableEncoder* e : encoders) {
            if (e->isEncoding() && e->destination == out2) {
                injected = true;
                e->fail(out2 + ": disk full");
            }
        }
    };
    runMp3(2);
    ASSERT_TRUE(injected);
    EXPECT_EQ(filesIn(sourceDir), (QStringList{"take2.wav", "take3.wav", "take4.wav"}));
    EXPECT_EQ(filesIn(folders.output), QStringList{"take1.mp3"});
    EXPECT_EQ(inspectMp3(folders.output + "/take1.mp3").samples, 44100);
    EXPECT_EQ(boxes.texts(), (QStringList{"  Encoding aborted.  ", out2 + ": disk full"}));
    EXPECT_EQ(run->reports().size(), 3) << "take4 was never started";
}

// On the fly from a disc image (a source that reads faster than one
// encoder) with several jobs allowed: the run rips, then encodes beside the
// next read, and finishes as a rip-then-encode run.
TEST_F(JobsRunTest, OnTheFlyFromAnImageRunsSeveralJobs)
{
    insertDisc({3, 3, 3});
    settings.onTheFly = true;
    hold = true;  // finished jobs wait until two run at once
    view.onTick = [&] {
        if (hold && pool->running() == 2)
            releaseJobs();
    };
    runMp3(2);
    EXPECT_EQ(*std::max_element(view.runningJobs.begin(), view.runningJobs.end()), 2);
    for (int n = 1; n <= 3; ++n)
        EXPECT_EQ(inspectMp3(mp3(n)).samples, qint64(disc.trackBytes[size_t(n - 1)] / 4)) << n;
    ASSERT_EQ(boxes.messages.size(), 1);
    EXPECT_TRUE(boxes.messages[0].text.startsWith("  Grabbing and encoding finished."));
    EXPECT_EQ(wavsIn(albumDir()), 0);
}

}
