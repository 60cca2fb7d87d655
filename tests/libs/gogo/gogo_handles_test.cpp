// SPDX-License-Identifier: GPL-2.0-or-later
// Several encode jobs at once on handles of their own and the default job:
// each gives the bytes it gives alone, and no handle sees another's state.
#include "gogo.h"
#include "mp3framereader.h"
#include "wavfixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <atomic>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

using namespace trackmill::test;

namespace {

struct Item { int item; UPARAM v1, v2; };

// The entry points of one job state: the default job (null handle) or a handle.
struct State
{
    GOGO_HANDLE h = nullptr;
    MERET init() const { return h ? MPGE_initializeWorkH(h) : MPGE_initializeWork(); }
    MERET set(MPARAM i, UPARAM a, UPARAM b) const { return h ? MPGE_setConfigureH(h, i, a, b) : MPGE_setConfigure(i, a, b); }
    MERET get(MPARAM i, void* v) const { return h ? MPGE_getConfigureH(h, i, v) : MPGE_getConfigure(i, v); }
    MERET detect() const { return h ? MPGE_detectConfigureH(h) : MPGE_detectConfigure(); }
    MERET frame() const { return h ? MPGE_processFrameH(h) : MPGE_processFrame(); }
    MERET close() const { return h ? MPGE_closeCoderH(h) : MPGE_closeCoder(); }
    MERET end() const { return h ? MPGE_endCoderH(h) : MPGE_endCoder(); }
};

// Reader-mode input: the reader function has no context, so each thread
// serves its own job's PCM.
thread_local const QByteArray* t_pcm = nullptr;
thread_local qsizetype t_at = 0;

MERET readPcm(void* buffer, uint32_t bytes)
{
    if (!t_pcm || t_at >= t_pcm->size())
        return 1;
    const qsizetype n = std::min<qsizetype>(bytes, t_pcm->size() - t_at);
    std::memcpy(buffer, t_pcm->constData() + t_at, size_t(n));
    std::memset(static_cast<char*>(buffer) + n, 0, bytes - size_t(n));
    t_at += n;
    return 0;
}

struct Job
{
    QString input;        // a WAV file, or empty for the reader
    QByteArray pcm;       // the reader's PCM
    std::vector<Item> items;
    QString output;
};

// Runs one job to its end on `state`; the result of the last call.
MERET runJob(const State& state, const Job& job)
{
    const QByteArray in = QFile::encodeName(job.input);
    const QByteArray out = QFile::encodeName(job.output);
    if (MERET r = state.init())
        return r;
    GogoReaderRecord record{&readPcm, uint32_t(job.pcm.size()), 16, 44100, 2};
    if (job.input.isEmpty()) {
        t_pcm = &job.pcm;
        t_at = 0;
        state.set(GOGO_ITEM_INPUT, GOGO_INPUT_READER, UPARAM(&record));
    } else {
        state.set(GOGO_ITEM_INPUT, GOGO_INPUT_FILE, UPARAM(in.constData()));
    }
    state.set(GOGO_ITEM_OUTPUT, 0, UPARAM(out.constData()));
    for (const Item& i : job.items)
        state.set(i.item, i.v1, i.v2);
    MERET r = state.detect();
    while (r == GOGO_OK)
        r = state.frame();
    state.close();
    state.end();
    return r;
}

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Four different jobs (file and reader input, CBR and VBR, psycho-acoustics
// on and off), each once alone on the default job, then all at once: three
// on handles, one on the default job, twice over on the same handles. Every
// file must be the same to the byte; a job sharing state with another would
// mix their frames or settings.
TEST(GogoHandlesTest, JobsAtOnceGiveTheBytesEachGivesAlone)
{
    QTemporaryDir dir;
    const auto path = [&](const QString& name) { return dir.filePath(name); };
    std::vector<Job> jobs(4);
    for (unsigned i = 0; i < jobs.size(); ++i) {
        jobs[i].pcm = makePcm16(44100 * 3 + 577 * long(i), 2, 44100, i + 1);
        if (i != 2) {
            jobs[i].input = path(QStringLiteral("in%1.wav").arg(i));
            ASSERT_TRUE(writeBytes(jobs[i].input, makeWavBytes(jobs[i].pcm, 2, 44100)));
        }
    }
    jobs[0].items = {{GOGO_ITEM_PSYCHO, 1, 0}, {GOGO_ITEM_BITRATE, 192, 0}};
    jobs[1].items = {{GOGO_ITEM_VBR_LEVEL, 2, 0}, {GOGO_ITEM_VBR_RANGE, 96, 256}};
    jobs[2].items = {{GOGO_ITEM_PSYCHO, 1, 0}, {GOGO_ITEM_CHANNEL_MODE, 3, 0}};
    jobs[3].items = {{GOGO_ITEM_BITRATE, 96, 0}, {GOGO_ITEM_OUTPUT_RATE, 24000, 0}, {GOGO_ITEM_EMPHASIS, 1, 0}};

    std::vector<QByteArray> alone;
    for (unsigned i = 0; i < jobs.size(); ++i) {
        jobs[i].output = path(QStringLiteral("alone%1.mp3").arg(i));
        ASSERT_EQ(runJob(State{}, jobs[i]), GOGO_INPUT_FINISHED) << i;
        alone.push_back(contents(jobs[i].output));
        ASSERT_GT(alone.back().size(), 10000) << i;
    }
    EXPECT_EQ(inspectMp3(jobs[2].output).samples, jobs[2].pcm.size() / 4) << "the reader's PCM, whole";

    std::vector<State> states(jobs.size());
    for (unsigned i = 0; i + 1 < states.size(); ++i)
        ASSERT_EQ(MPGE_createHandle(&states[i].h), GOGO_OK);
    // The default job runs last in the list: job 3 beside three handles.
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        std::atomic<int> ready{0};
        std::vector<MERET> results(jobs.size(), -1);
        std::vector<std::thread> threads;
        for (unsigned i = 0; i < jobs.size(); ++i) {
            jobs[i].output = path(QStringLiteral("together%1-%2.mp3").arg(round).arg(i));
            threads.emplace_back([&, i] {
                // All start together, so the jobs overlap from their first frame.
                ++ready;
                while (ready.load() < int(jobs.size()))
                    std::this_thread::yield();
                results[i] = runJob(states[i], jobs[i]);
            });
        }
        for (std::thread& t : threads)
            t.join();
        for (unsigned i = 0; i < jobs.size(); ++i) {
            EXPECT_EQ(results[i], GOGO_INPUT_FINISHED) << i;
            EXPECT_TRUE(contents(jobs[i].output) == alone[i]) << "job " << i << " differs from its run alone";
        }
    }
    for (const State& s : states) {
        if (s.h) {
            EXPECT_EQ(MPGE_destroyHandle(s.h), GOGO_OK);
        }
    }
}

// Each state keeps its own order rules and settings; a handle dropped
// with its job open leaves a closed partial file, as an abandoned job does.
TEST(GogoHandlesTest, EachStateKeepsItsOwnSequenceAndSettings)
{
    EXPECT_EQ(MPGE_createHandle(nullptr), GOGO_ERR_PARAMETER);
    EXPECT_EQ(MPGE_destroyHandle(nullptr), GOGO_ERR_PARAMETER);
    int32_t frames = 0;
    for (MERET r : {MPGE_initializeWorkH(nullptr), MPGE_setConfigureH(nullptr, GOGO_ITEM_BITRATE, 128, 0),
                    MPGE_getConfigureH(nullptr, GOGO_ITEM_FRAME_COUNT, &frames), MPGE_detectConfigureH(nullptr),
                    MPGE_processFrameH(nullptr), MPGE_closeCoderH(nullptr), MPGE_endCoderH(nullptr)})
        EXPECT_EQ(r, GOGO_ERR_PARAMETER);

    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("in.wav"));
    ASSERT_TRUE(writeSoundFile(wav, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, 44100));
    const QByteArray in = QFile::encodeName(wav);
    const QByteArray out1 = QFile::encodeName(dir.filePath(QStringLiteral("one.mp3")));
    const QByteArray out2 = QFile::encodeName(dir.filePath(QStringLiteral("two.mp3")));

    State one, two;
    ASSERT_EQ(MPGE_createHandle(&one.h), GOGO_OK);
    ASSERT_EQ(MPGE_createHandle(&two.h), GOGO_OK);
    EXPECT_EQ(one.frame(), GOGO_ERR_SEQUENCE);
    EXPECT_EQ(one.set(GOGO_ITEM_BITRATE, 128, 0), GOGO_ERR_SEQUENCE) << "before initializeWork";

    ASSERT_EQ(one.init(), GOGO_OK);
    ASSERT_EQ(two.init(), GOGO_OK);
    EXPECT_EQ(one.set(GOGO_ITEM_BITRATE, 256, 0), GOGO_OK);
    EXPECT_EQ(one.set(GOGO_ITEM_BITRATE, 1000, 0), GOGO_ERR_PARAMETER);
    for (const State* s : {&one, &two}) {
        s->set(GOGO_ITEM_INPUT, GOGO_INPUT_FILE, UPARAM(in.constData()));
        s->set(GOGO_ITEM_OUTPUT, 0, UPARAM((s == &one ? out1 : out2).constData()));
    }
    ASSERT_EQ(one.detect(), GOGO_OK);
    EXPECT_EQ(one.init(), GOGO_ERR_SEQUENCE) << "its job is open";
    EXPECT_EQ(MPGE_initializeWork(), GOGO_OK) << "the default job is another state";
    EXPECT_EQ(MPGE_endCoder(), GOGO_OK);
    ASSERT_EQ(two.detect(), GOGO_OK) << "another handle's job is no obstacle";
    EXPECT_EQ(one.get(GOGO_ITEM_FRAME_COUNT, &frames), GOGO_OK);
    EXPECT_GT(frames, 30);

    MERET r = GOGO_OK;
    while ((r = two.frame()) == GOGO_OK) {
    }
    EXPECT_EQ(r, GOGO_INPUT_FINISHED);
    two.close();
    two.end();
    // The bitrate of handle one never reached handle two.
    EXPECT_EQ(inspectMp3(QFile::decodeName(out2)).bitrates, std::set<int>{128});

    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(one.frame(), GOGO_OK);
    EXPECT_EQ(MPGE_destroyHandle(one.h), GOGO_OK);
    // Closed and not empty: what the ten frames gave.
    EXPECT_GT(QFile(QFile::decodeName(out1)).size(), 0);
    EXPECT_EQ(MPGE_destroyHandle(two.h), GOGO_OK);
}

}
