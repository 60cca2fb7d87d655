// SPDX-License-Identifier: GPL-2.0-or-later
// FLAC jobs as a run drives them: blocks fed while a track is read, a WAV
// file from disk, an abort, a failing write; the end always reported once,
// on the run's thread.
#include "encoder/flactrackencoder.h"

#include "flacreading.h"
#include "wavfixture.h"

#include "filesizelimit.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <sys/resource.h>

using namespace trackmill;
using namespace trackmill::test;

namespace {

constexpr int kRate = 44100;
constexpr qsizetype kBlock = 26 * 2352;

class FlacTrackEncoderTest : public ::testing::Test
{
protected:
    FlacTrackEncoderTest()
    {
        QObject::connect(&encoder, &TrackEncoder::finished, [this](bool aborted) {
            ends.push_back(aborted);
            endThread = QThread::currentThread();
        });
        QObject::connect(&encoder, &TrackEncoder::progress, [this](qint64 done, qint64 total) {
            lastDone = done;
            lastTotal = total;
        });
    }

    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    // Feeds as the ripper does: a refused block is offered again later.
    void feedAll(const QByteArray& pcm, qsizetype stopAt = -1)
    {
        for (qsizetype at = 0; at < pcm.size() && at != stopAt;) {
            const qsizetype n = std::min(kBlock, pcm.size() - at);
            if (encoder.feed(pcm.constData() + at, n))
                at += n;
            else
                QThread::msleep(1);
        }
    }

    bool waitForEnd()
    {
        QDeadlineTimer deadline(30000);
        while (encoder.isEncoding() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::processEvents();
        return !encoder.isEncoding();
    }

    QTemporaryDir dir;
    FlacSettings settings;
    FlacTrackEncoder encoder{settings};
    std::vector<bool> ends;
    QThread* endThread = nullptr;
    qint64 lastDone = -1;
    qint64 lastTotal = -1;
};

// A track fed block by block, then a WAV file from disk through the same
// encoder: each FLAC decodes to exactly its audio, the progress reaches the
// whole and the end comes once, on the thread that started the job.
TEST_F(FlacTrackEncoderTest, FeedAndFileJobsGiveTheirAudio)
{
    const long frames = 12L * kRate + 588 * 5;
    const QByteArray pcm = makePcm16(frames, 2, kRate, 21);
    QString error;
    ASSERT_TRUE(encoder.start({TrackEncoder::Input::Feed, {}, path("fed.flac"), frames}, &error))
        << error.toStdString();
    EXPECT_TRUE(encoder.isEncoding());
    feedAll(pcm);
    encoder.endFeed();
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(ends, std::vector<bool>{false});
    EXPECT_EQ(endThread, QThread::currentThread());
    EXPECT_EQ(lastDone, frames);
    EXPECT_EQ(lastTotal, frames);
    EXPECT_TRUE(encoder.failure().isEmpty());
    EXPECT_TRUE(decoded(path("fed.flac")) == pcm);
    EXPECT_EQ(blocksOf(path("fed.flac")).seekPoints.size(), 2u);

    const QByteArray other = makePcm16(3 * kRate + 1, 2, kRate, 22);
    ASSERT_TRUE(writeBytes(path("disk.wav"), makeWavBytes(other, 2, kRate)));
    ASSERT_TRUE(encoder.start({TrackEncoder::Input::File, path("disk.wav"), path("disk.flac")}, &error))
        << error.toStdString();
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(ends, (std::vector<bool>{false, false}));
    EXPECT_TRUE(decoded(path("disk.flac")) == other);
    EXPECT_EQ(blocksOf(path("disk.flac")).totalSamples, FLAC__uint64(3 * kRate + 1));
}

// The user's abort in the middle of a track and a write the system refuses
// both end the job as aborted and leave no FLAC; the failure says which
// file and why. The encoder takes the next job afterwards.
TEST_F(FlacTrackEncoderTest, AbortAndFailureLeaveNoFile)
{
    const QByteArray pcm = makePcm16(20L * kRate, 2, kRate, 23);
    ASSERT_TRUE(encoder.start({TrackEncoder::Input::Feed, {}, path("cut.flac"), 20L * kRate}, nullptr));
    feedAll(pcm, 40 * kBlock);
    encoder.abort();
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(ends, std::vector<bool>{true});
    EXPECT_TRUE(encoder.failure().isEmpty());
    EXPECT_FALSE(QFile::exists(path("cut.flac")));

    // A file size limit stands in for a full disk.
    FileSizeLimit limit(256 * 1024);
    ASSERT_TRUE(limit.set());
    ASSERT_TRUE(writeBytes(path("big.wav"), makeWavBytes(pcm.left(60 * 1024), 2, kRate)));
    const bool started = encoder.start({TrackEncoder::Input::Feed, {}, path("full.flac"), 20L * kRate}, nullptr);
    if (started) {
        feedAll(pcm);
        encoder.endFeed();
        waitForEnd();
    }
    limit.lift();
    ASSERT_TRUE(started);
    EXPECT_EQ(ends, (std::vector<bool>{true, true}));
    EXPECT_EQ(encoder.failure(), path("full.flac") + ": " + QString::fromLocal8Bit(strerror(EFBIG)));
    EXPECT_FALSE(QFile::exists(path("full.flac")));

    ASSERT_TRUE(encoder.start({TrackEncoder::Input::File, path("big.wav"), path("again.flac")}, nullptr));
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(ends.back(), false);
    EXPECT_TRUE(decoded(path("again.flac")) == pcm.left(60 * 1024));
}

// A feed job whose write fails while the reader is ahead of it (the queue
// full) takes every later block at once, before its end has reached the
// reader's thread: a reader waiting for room would wait for ever.
TEST_F(FlacTrackEncoderTest, AFailedFeedJobDropsBlocksInsteadOfRefusingThem)
{
    const QByteArray block = makePcm16(kBlock / 4, 2, kRate, 24);
    {
        FileSizeLimit limit(64 * 1024);
        ASSERT_TRUE(limit.set());
        ASSERT_TRUE(encoder.start({TrackEncoder::Input::Feed, {}, path("full.flac"), 0}, nullptr));
        QDeadlineTimer deadline(20000);
        int taken = 0;
        while (taken < 4 * FlacTrackEncoder::kQueueBlocks && !deadline.hasExpired()) {
            if (encoder.feed(block.constData(), block.size()))
                ++taken;
            else
                QThread::msleep(1);
        }
        EXPECT_EQ(taken, 4 * FlacTrackEncoder::kQueueBlocks);
        encoder.endFeed();
        ASSERT_TRUE(waitForEnd());
    }
    EXPECT_EQ(ends, std::vector<bool>{true});
    EXPECT_TRUE(encoder.failure().startsWith(path("full.flac") + ": ")) << encoder.failure().toStdString();
    EXPECT_FALSE(QFile::exists(path("full.flac")));
}

// Refused at the start, with no job and no end to follow: a WAV file that
// is not CD audio, a missing one, a source that is the destination, a
// second job while one runs.
TEST_F(FlacTrackEncoderTest, RefusesJobsItCannotDo)
{
    QString error;
    ASSERT_TRUE(writeBytes(path("mono.wav"), makeWavBytes(makePcm16(kRate, 1, kRate, 1), 1, kRate)));
    EXPECT_FALSE(encoder.start({TrackEncoder::Input::File, path("mono.wav"), path("mono.flac")}, &error));
    EXPECT_EQ(error, path("mono.wav") + ": not 16-bit stereo 44.1 kHz PCM");
    EXPECT_FALSE(encoder.start({TrackEncoder::Input::File, path("none.wav"), path("none.flac")}, &error));
    EXPECT_TRUE(error.startsWith(path("none.wav") + ": ")) << error.toStdString();
    EXPECT_FALSE(encoder.start({TrackEncoder::Input::File, path("mono.wav"), path("mono.wav")}, &error));
    EXPECT_TRUE(QFile::exists(path("mono.wav")));
    EXPECT_FALSE(QFile::exists(path("mono.flac")));
    EXPECT_FALSE(QFile::exists(path("none.flac")));

    ASSERT_TRUE(encoder.start({TrackEncoder::Input::Feed, {}, path("one.flac"), 0}, &error));
    EXPECT_FALSE(encoder.start({TrackEncoder::Input::Feed, {}, path("two.flac"), 0}, &error));
    EXPECT_FALSE(QFile::exists(path("two.flac")));
    encoder.endFeed();
    ASSERT_TRUE(waitForEnd());
    QCoreApplication::processEvents();
    EXPECT_EQ(ends, std::vector<bool>{false});
}

}
