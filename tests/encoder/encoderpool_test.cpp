// SPDX-License-Identifier: GPL-2.0-or-later
// Several encode jobs at once: the pool's bookkeeping over scripted
// encoders, then real MP3 and FLAC jobs side by side, each on a thread of
// its own at the settings' priority, giving the bytes of one job alone.
#include "encoder/encoderpool.h"
#include "encoder/flactrackencoder.h"
#include "encoder/gogotea.h"
#include "encoder/gogotrackencoder.h"
#include "encoder/threadpriority.h"
#include "platform/hiddenlog.h"
#include "settings/settings.h"

#include "wavfixture.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <set>
#include <sys/syscall.h>
#include <unistd.h>

using namespace trackmill;
using namespace trackmill::test;

namespace {

// Ends its job when the test says so.
class ScriptedEncoder final : public TrackEncoder
{
public:
    explicit ScriptedEncoder(bool beside = true) : m_beside(beside) {}
    QString extension() const override { return QStringLiteral(".x"); }
    bool start(const Job& job, QString* error) override
    {
        if (refuse) {
            *error = QStringLiteral("refused ") + job.destination;
            return false;
        }
        destination = job.destination;
        m_running = true;
        m_failure.clear();
        return true;
    }
    bool feed(const char*, qsizetype) override { return true; }
    void endFeed() override {}
    bool isEncoding() const override { return m_running; }
    void abort() override
    {
        ++aborts;
        end(true);
    }
    QString failure() const override { return m_failure; }
    bool runsBesideOthers() const override { return m_beside; }

    void end(bool aborted, const QString& why = {})
    {
        m_running = false;
        m_failure = why;
        Q_EMIT finished(aborted);
    }
    void report(qint64 done, qint64 total) { Q_EMIT progress(done, total); }

    bool refuse = false;
    int aborts = 0;
    QString destination;

private:
    bool m_beside;
    bool m_running = false;
    QString m_failure;
};

struct PoolWithScripts
{
    explicit PoolWithScripts(bool beside = true)
        : first(beside)
        , pool(first, [this] {
            auto made = std::make_unique<ScriptedEncoder>();
            made_.push_back(made.get());
            return made;
        })
    {
        QObject::connect(&pool, &EncoderPool::finished, [this](int id, bool aborted) {
            ends << QStringLiteral("%1%2:%3").arg(aborted ? "x" : "").arg(id).arg(pool.failure(id));
        });
    }
    ScriptedEncoder* encoderOf(int id) { return static_cast<ScriptedEncoder*>(pool.encoderOf(id)); }
    int start(const char* name, QString* error = nullptr)
    {
        QString ignored;
        return pool.start({TrackEncoder::Input::File, {}, QString::fromLatin1(name)}, error ? error : &ignored);
    }

    ScriptedEncoder first;
    std::vector<ScriptedEncoder*> made_;
    EncoderPool pool;
    QStringList ends;
};

// Ids are never reused, the limit holds, a refused start leaves its encoder
// idle, and every end is told once with its job's id and failure.
TEST(EncoderPoolTest, JobsRunUpToTheLimitAndEndUnderTheirOwnIds)
{
    PoolWithScripts p;
    p.pool.setLimit(3);
    EXPECT_EQ(p.pool.limit(), 3);
    const int a = p.start("a"), b = p.start("b"), c = p.start("c");
    EXPECT_EQ(std::vector<int>({a, b, c}), std::vector<int>({1, 2, 3}));
    EXPECT_EQ(p.encoderOf(a), &p.first) << "the program's own encoder first";
    EXPECT_EQ(p.made_.size(), 2u);
    QString error;
    EXPECT_EQ(p.start("d", &error), 0);
    EXPECT_EQ(error, "d: every encoder is busy");
    EXPECT_FALSE(p.pool.hasRoom());

    p.encoderOf(b)->end(false);
    EXPECT_EQ(p.ends, QStringList{"2:"});
    EXPECT_EQ(p.pool.running(), 2);
    // Its encoder is reused: no new one is made, and the id is new.
    const int d = p.start("d");
    EXPECT_EQ(d, 4);
    EXPECT_EQ(p.made_.size(), 2u);
    EXPECT_FALSE(p.pool.isRunning(b));

    // A refusal: no job, no end, the encoder idle for the next.
    p.encoderOf(a)->end(true, "disk full");
    p.first.refuse = true;
    EXPECT_EQ(p.start("e", &error), 0);
    EXPECT_EQ(error, "refused e");
    EXPECT_EQ(p.pool.running(), 2);
    p.first.refuse = false;
    EXPECT_EQ(p.start("e"), 5);

    p.pool.abortAll();
    EXPECT_EQ(p.pool.running(), 0);
    EXPECT_EQ(p.ends, (QStringList{"2:", "x1:disk full", "x5:", "x4:", "x3:"}));
    // A second end from an encoder that is idle changes nothing.
    p.first.end(true);
    EXPECT_EQ(p.ends.size(), 5);
}

// The overall figure counts every job started since the reset: ended jobs
// whole, running ones as far as they came; a report after a job's end is
// not counted.
TEST(EncoderPoolTest, FiguresSumTheStartedJobs)
{
    PoolWithScripts p;
    p.pool.setLimit(2);
    const int a = p.start("a"), b = p.start("b");
    ScriptedEncoder* ea = p.encoderOf(a);
    QList<int> reported;
    QObject::connect(&p.pool, &EncoderPool::progress, [&](int id, qint64, qint64) { reported << id; });
    ea->report(10, 100);
    p.encoderOf(b)->report(0, 0);  // total not known yet
    EXPECT_EQ(std::make_pair(p.pool.framesDone(), p.pool.framesTotal()), std::make_pair(10LL, 100LL));
    p.encoderOf(b)->report(30, 50);
    ea->report(60, 100);
    EXPECT_EQ(std::make_pair(p.pool.framesDone(), p.pool.framesTotal()), std::make_pair(90LL, 150LL));
    ea->end(false);
    ea->report(100, 100);
    EXPECT_EQ(std::make_pair(p.pool.framesDone(), p.pool.framesTotal()), std::make_pair(130LL, 150LL));
    EXPECT_EQ(reported, (QList<int>{a, b, b, a}));
    p.pool.resetFigures();
    EXPECT_EQ(std::make_pair(p.pool.framesDone(), p.pool.framesTotal()), std::make_pair(30LL, 50LL));
}

// An encoder that cannot run beside others (an MP3 library without job
// states of its own), or no way to make more: one job at a time.
TEST(EncoderPoolTest, OneJobWhenEncodersCannotRunSideBySide)
{
    PoolWithScripts alone(false);
    alone.pool.setLimit(4);
    EXPECT_EQ(alone.pool.limit(), 1);
    ScriptedEncoder only;
    EncoderPool single(only, {});
    single.setLimit(4);
    EXPECT_EQ(single.limit(), 1);
    PoolWithScripts p;
    p.pool.setLimit(0);
    EXPECT_EQ(p.pool.limit(), 1);
    p.pool.setLimit(1000);
    EXPECT_EQ(p.pool.limit(), EncoderPool::kMaxJobs);
}

// ------------------------------------------------------------ real encoders

bool waitFor(const std::function<bool()>& done)
{
    QDeadlineTimer deadline(60000);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return done();
}

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class RealPoolTest : public ::testing::Test
{
protected:
    RealPoolTest()
    {
        for (int i = 0; i < 3; ++i) {
            sources << dir.filePath(QStringLiteral("in%1.wav").arg(i));
            writeBytes(sources.last(), makeWavBytes(makePcm16(44100 * 4 + 1000 * i, 2, 44100, 7 + i), 2, 44100));
        }
    }

    // The three files one job at a time through the first encoder, then all
    // three at once; the bytes of each pair.
    void runAloneThenTogether(EncoderPool& pool, const QString& extension)
    {
        QObject::connect(&pool, &EncoderPool::finished, [this](int id, bool aborted) {
            ended << id;
            abortedAny = abortedAny || aborted;
        });
        // A job's first report comes from its worker once the job runs there.
        QObject::connect(&pool, &EncoderPool::progress, [this, &pool](int id, qint64, qint64) {
            threads.insert(workerOf(pool, id));
        });
        for (const char* round : {"alone", "together"}) {
            pool.setLimit(QByteArray(round) == "alone" ? 1 : 3);
            for (int i = 0; i < 3; ++i) {
                const QString out = dir.filePath(QStringLiteral("%1%2").arg(round).arg(i) + extension);
                QString error;
                int id = 0;
                ASSERT_TRUE(waitFor([&] { return pool.hasRoom(); }));
                id = pool.start({TrackEncoder::Input::File, sources[i], out}, &error);
                ASSERT_NE(id, 0) << error.toStdString();
                ids << id;
            }
            if (QByteArray(round) == "together") {
                EXPECT_EQ(pool.running(), 3) << "all three run at once";
            }
            ASSERT_TRUE(waitFor([&] { return pool.running() == 0; }));
        }
        EXPECT_FALSE(abortedAny);
        EXPECT_EQ(ended.size(), 6);
        for (int i = 0; i < 3; ++i) {
            const QByteArray alone = contents(dir.filePath(QStringLiteral("alone%1").arg(i) + extension));
            EXPECT_GT(alone.size(), 1000);
            EXPECT_TRUE(alone == contents(dir.filePath(QStringLiteral("together%1").arg(i) + extension))) << i;
        }
    }

    virtual long workerOf(EncoderPool&, int) { return 0; }

    QTemporaryDir dir;
    QStringList sources;
    QList<int> ids, ended;
    std::set<long> threads;
    bool abortedAny = false;
};

class Mp3PoolTest : public RealPoolTest
{
protected:
    long workerOf(EncoderPool& pool, int id) override
    {
        auto* encoder = static_cast<GogoTrackEncoder*>(pool.encoderOf(id));
        const auto tid = static_cast<pid_t>(encoder->component().workerThreadId());
        // The settings' priority reaches every job's own thread.
        nices.insert(tid ? threadNice(tid) : -100);
        return tid;
    }
    std::set<int> nices;
};

TEST_F(Mp3PoolTest, JobsSideBySideOnThreadsOfTheirOwnGiveTheBytesOfOneJob)
{
    const int base = threadNice(static_cast<pid_t>(syscall(SYS_gettid)));
    Settings settings;
    settings.mpegVersion = Settings::MpegVersion::Mpeg1;
    settings.bitrate = 8;  // 128 kbps
    settings.vbrRatio = false;
    settings.usePsy = true;
    settings.priority = 1;  // "Lower"
    HiddenLog log;
    GogoLibrarySource source;
    source.libraryName = QStringLiteral("libgogo.so");
    TGogoTea tea(source);
    GogoTrackEncoder first(tea, settings, log);
    ASSERT_TRUE(first.runsBesideOthers()) << "our library gives each component a job state";
    EncoderPool pool(first, [&] { return GogoTrackEncoder::withOwnComponent(source, settings, log); });
    runAloneThenTogether(pool, QStringLiteral(".mp3"));
    EXPECT_EQ(threads.size(), 3u) << "one worker thread per running job";
    EXPECT_EQ(nices, std::set<int>{niceForPriority(tpLower, base)});
    EXPECT_TRUE(log.lines().isEmpty()) << log.lines().join('|').toStdString();
}

TEST_F(RealPoolTest, FlacJobsSideBySideGiveTheBytesOfOneJob)
{
    FlacSettings settings;
    FlacTrackEncoder first(settings);
    EncoderPool pool(first, [&] { return std::make_unique<FlacTrackEncoder>(settings); });
    runAloneThenTogether(pool, QStringLiteral(".flac"));
}

}
