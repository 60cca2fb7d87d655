// SPDX-License-Identifier: GPL-2.0-or-later
// The encoder component with the real encoder library: file and memory
// jobs, the ring buffer, aborting and tearing down mid-job.
#include "encoder/threadpriority.h"
#include "gogoteatestsupport.h"
#include "mp3framereader.h"
#include "wavfixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <cfenv>
#include <gtest/gtest.h>
#include <sndfile.h>

using namespace trackmill;
using namespace trackmill::test;

namespace {

constexpr int kBlockBytes = 26 * 2352;  // what the ripper reads at once

class GogoTeaEncodingTest : public ::testing::Test
{
protected:
    GogoTeaEncodingTest() { source.libraryName = QStringLiteral("libgogo.so"); }

    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    QString makeWav(double seconds)
    {
        const QString wav = path("in.wav");
        EXPECT_TRUE(writeSoundFile(wav, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, long(seconds * 44100)));
        return wav;
    }

    void configureMemoryJob(TGogoTea& tea, const char* out)
    {
        tea.setEncodeMode(_MEMORY);
        tea.setDestinationFile(path(out));
        tea.Configure();
    }

    // Feeds `pcm` in ripper-sized blocks, retrying refused blocks while the
    // job runs; returns the number of refusals.
    int feed(TGogoTea& tea, const QByteArray& pcm, bool endInput = true)
    {
        int refused = 0;
        for (qsizetype pos = 0; pos < pcm.size();) {
            const int n = int(std::min<qsizetype>(kBlockBytes, pcm.size() - pos));
            if (tea.WriteData(pcm.constData() + pos, n)) {
                pos += n;
                continue;
            }
            ++refused;
            QCoreApplication::processEvents();
            QThread::msleep(2);
            if (!tea.IsEncoding())
                break;
        }
        if (endInput)
            tea.WriteData(nullptr, 0);
        return refused;
    }

    QTemporaryDir dir;
    GogoLibrarySource source;
};

TEST_F(GogoTeaEncodingTest, FileJobReportsOnTheCreatingThreadAndDecodesToTheInputLength)
{
    TGogoTea tea(source);
    EXPECT_EQ(tea.VersionString().mid(5, 5), QStringLiteral("v3.10"));
    GogoEventLog log(tea);
    tea.setSourceFile(makeWav(3.0));
    tea.setDestinationFile(path("out.mp3"));
    tea.setFrequency(10);
    tea.Start();
    EXPECT_TRUE(tea.IsEncoding());
    ASSERT_TRUE(waitUntil([&] { return log.finished(); }));
    EXPECT_FALSE(tea.IsEncoding());
    EXPECT_EQ(tea.EncodeResult(), 0);

    const int total = tea.AllFrames();
    ASSERT_GT(total, 100);
    ASSERT_GE(log.events.size(), 3u);
    EXPECT_EQ(std::make_pair(log.events.front().a, log.events.front().b), std::make_pair(0, total));
    const auto& last = log.events[log.events.size() - 2];
    EXPECT_EQ(std::make_pair(last.a, last.b), std::make_pair(total, total));
    EXPECT_EQ(std::make_pair(log.events.back().kind, log.events.back().a), std::make_pair('f', 0));
    EXPECT_NEAR(log.count('p'), total / 10 + 2, 1);
    for (const auto& e : log.events)
        EXPECT_TRUE(e.onCreatingThread);

    const Mp3Facts mp3 = inspectMp3(path("out.mp3"));
    EXPECT_EQ(mp3.samples, 3 * 44100);
    EXPECT_EQ(mp3.frames, total);
    EXPECT_EQ(mp3.modes.count(3), 0u) << "not mono";

    // A second job on the same component.
    tea.setDestinationFile(path("out2.mp3"));
    tea.setEncodeType(_MONO);
    tea.setBitRate(64);
    tea.Start();
    ASSERT_TRUE(waitUntil([&] { return log.count('f') == 2; }));
    const Mp3Facts second = inspectMp3(path("out2.mp3"));
    EXPECT_EQ(second.channels, 1);
    EXPECT_EQ(second.bitrates, std::set<int>{64});
}

TEST_F(GogoTeaEncodingTest, MemoryJobFedFasterThanItEncodesLosesNoByte)
{
    TGogoTea tea(source);
    GogoEventLog log(tea);
    configureMemoryJob(tea, "mem.mp3");
    EXPECT_EQ(tea.AllFrames(), 0) << "length unknown in advance";

    // 9 s of audio: 1.5 MiB, more than the ring holds. Before the job starts
    // nothing drains the ring: blocks are taken until the next would fill it.
    const long frames = 588L * 75 * 9;
    const QByteArray pcm = makePcm16(frames, 2, 44100);
    qsizetype pos = 0;
    while (tea.WriteData(pcm.constData() + pos, kBlockBytes))
        pos += kBlockBytes;
    EXPECT_EQ(pos, (TGogoTea::kRingBufferSize - 1) / kBlockBytes * kBlockBytes);

    tea.Start();
    EXPECT_GT(feed(tea, pcm.mid(pos)), 0);
    ASSERT_TRUE(waitUntil([&] { return log.finished(); }));
    EXPECT_EQ(log.events.back().a, 0) << "normal end";
    EXPECT_EQ(inspectMp3(path("mem.mp3")).samples, frames) << "every byte arrived";
}

TEST_F(GogoTeaEncodingTest, RingBufferRefusesAtExactlyTheFreeSpace)
{
    TGogoTea tea(source);
    configureMemoryJob(tea, "mem.mp3");
    const QByteArray big(TGogoTea::kRingBufferSize, 'x');
    // One slot always stays empty: the free space is size - 1.
    EXPECT_FALSE(tea.WriteData(big.constData(), TGogoTea::kRingBufferSize - 1));
    EXPECT_TRUE(tea.WriteData(big.constData(), TGogoTea::kRingBufferSize - 2));
    EXPECT_FALSE(tea.WriteData(big.constData(), 1));
    EXPECT_TRUE(tea.WriteData(big.constData(), 0));
    EXPECT_TRUE(tea.WriteData(nullptr, 0));

    TGogoTea file(source);
    EXPECT_TRUE(file.WriteData(big.constData(), TGogoTea::kRingBufferSize)) << "file mode ignores data";
}

TEST_F(GogoTeaEncodingTest, EndOfInputOnAnEmptyRingEndsTheJobNormally)
{
    TGogoTea tea(source);
    GogoEventLog log(tea);
    configureMemoryJob(tea, "empty.mp3");
    tea.Start();
    processEventsFor(50);
    tea.WriteData(nullptr, 0);
    ASSERT_TRUE(waitUntil([&] { return log.finished(); }));
    EXPECT_EQ(log.events.back().a, 0);
    EXPECT_EQ(log.count('e'), 0);
    EXPECT_TRUE(QFile::exists(path("empty.mp3")));
}

TEST_F(GogoTeaEncodingTest, AbortMidJobEndsAbortedAndNothingFollows)
{
    for (TEncodeMode mode : {_MEMORY, _FILE}) {
        SCOPED_TRACE(mode);
        TGogoTea tea(source);
        GogoEventLog log(tea);
        tea.setFrequency(1);
        // Aborted from the progress handler, as the progress window does.
        QObject::connect(&tea, &TGogoTea::OnProgress, [&](int now, int) {
            if (now == 5)
                tea.Abort();
        });
        if (mode == _FILE) {
            // 383 frames; the worker at idle priority cannot run far ahead.
            tea.setPriority(tpIdle);
            tea.setSourceFile(makeWav(10.0));
            tea.setDestinationFile(path("abort.mp3"));
            tea.Start();
        } else {
            configureMemoryJob(tea, "abort.mp3");
            tea.Start();
            // Half a second and no end of input: the reader keeps waiting.
            feed(tea, makePcm16(22050, 2, 44100), false);
        }
        ASSERT_TRUE(waitUntil([&] { return log.finished(); }, 5000));
        const size_t seen = log.events.size();
        EXPECT_EQ(log.events.back().a, 1) << "aborted";
        EXPECT_FALSE(tea.IsEncoding());
        EXPECT_EQ(log.count('e'), 0);
        processEventsFor(300);
        // No event after the end, and an abort when idle posts nothing.
        tea.Abort();
        processEventsFor(150);
        EXPECT_EQ(log.events.size(), seen);
    }
}

TEST_F(GogoTeaEncodingTest, DestroyingTheComponentMidJobEndsCleanly)
{
    for (TEncodeMode mode : {_MEMORY, _FILE}) {
        SCOPED_TRACE(mode);
        auto tea = std::make_unique<TGogoTea>(source);
        GogoEventLog log(*tea);
        if (mode == _FILE) {
            tea->setSourceFile(makeWav(10.0));
            tea->setDestinationFile(path("gone.mp3"));
            tea->Start();
        } else {
            configureMemoryJob(*tea, "gone.mp3");
            tea->Start();
            feed(*tea, makePcm16(44100, 2, 44100), false);
        }
        processEventsFor(20);
        const size_t seen = log.events.size();
        QElapsedTimer timer;
        timer.start();
        tea.reset();
        EXPECT_LT(timer.elapsed(), 2000);
        processEventsFor(100);
        EXPECT_EQ(log.events.size(), seen) << "no event from a destroyed component";
    }
    // The library is free for the next user.
    TGogoTea next(source);
    GogoEventLog log(next);
    next.setSourceFile(makeWav(0.5));
    next.setDestinationFile(path("next.mp3"));
    next.Start();
    ASSERT_TRUE(waitUntil([&] { return log.finished(); }));
    EXPECT_EQ(inspectMp3(path("next.mp3")).samples, 22050);
}

TEST_F(GogoTeaEncodingTest, PriorityChangesTheRunningThreadAndOtherSettersRefuse)
{
    TGogoTea tea(source);
    GogoEventLog log(tea);
    tea.setPriority(tpLower);
    configureMemoryJob(tea, "prio.mp3");
    tea.Start();
    ASSERT_TRUE(waitUntil([&] { return tea.workerThreadId() != 0 && log.count('p') > 0; }));
    const pid_t tid = static_cast<pid_t>(tea.workerThreadId());
    const int base = threadNice(gettid());
    EXPECT_EQ(threadNice(tid), std::min(base + 5, 19)) << "applied when the job starts";
    tea.setPriority(tpLowest);
    EXPECT_EQ(threadNice(tid), std::min(base + 10, 19)) << "and at once during the job";

    EXPECT_EQ(raisedText([&] { tea.setBitRate(320); }), QStringLiteral("エンコード中に設定は変更できません."));
    EXPECT_EQ(tea.BitRate(), 128);
    EXPECT_THROW(tea.Configure(), EGogoTeaError);
    tea.WriteData(nullptr, 0);
    ASSERT_TRUE(waitUntil([&] { return log.finished(); }));
}

// The encoder runs with its own floating-point settings whatever the
// creating thread had: the output is the same bytes.
TEST_F(GogoTeaEncodingTest, CallersRoundingModeDoesNotReachTheEncoder)
{
    const QString wav = makeWav(1.0);
    auto encodeTo = [&](const char* name) {
        TGogoTea tea(source);
        GogoEventLog log(tea);
        tea.setSourceFile(wav);
        tea.setDestinationFile(path(name));
        tea.setUsePsyAnalize(true);
        tea.Start();
        EXPECT_TRUE(waitUntil([&] { return log.finished(); }));
        QFile f(path(name));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    };
    const QByteArray normal = encodeTo("normal.mp3");
    const int saved = fegetround();
    fesetround(FE_UPWARD);  // inherited by the worker thread
    const QByteArray upward = encodeTo("upward.mp3");
    fesetround(saved);
    EXPECT_FALSE(normal.isEmpty());
    EXPECT_EQ(normal, upward);
}

}
