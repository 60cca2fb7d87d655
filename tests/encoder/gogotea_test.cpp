// SPDX-License-Identifier: GPL-2.0-or-later
// The encoder component against a scripted stand-in library (the items it
// sends, how failures surface) and the real one (memory jobs, abort, teardown).
#include "encoder/gogotea.h"
#include "encoder/threadpriority.h"
#include "mp3framereader.h"
#include "wavfixture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <dlfcn.h>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <gtest/gtest.h>
#include <tuple>

using namespace trackmill;
using namespace trackmill::test;

namespace {

// The version code our encoder library reports.
constexpr int32_t kLibraryVersion = (GOGO_VERSION_MAJOR << 8) | GOGO_VERSION_MINOR;

// Everything a component reported, in order: "p<now>/<all>", "e<code>",
// "f<aborted>", each followed by a space.
struct EventLog
{
    explicit EventLog(TGogoTea& tea)
    {
        QThread* creator = QThread::currentThread();
        auto add = [this, creator](const QString& event) {
            text += event + QLatin1Char(' ');
            offThread = offThread || QThread::currentThread() != creator;
        };
        QObject::connect(&tea, &TGogoTea::OnProgress, [add](int now, int all) { add(QStringLiteral("p%1/%2").arg(now).arg(all)); });
        QObject::connect(&tea, &TGogoTea::OnError, [add](int code) { add(QStringLiteral("e%1").arg(code)); });
        QObject::connect(&tea, &TGogoTea::OnFinish, [add](bool aborted) { add(QStringLiteral("f%1").arg(aborted)); });
    }
    bool finished() const { return text.contains(QLatin1Char('f')); }
    QString text;
    bool offThread = false;
};

bool waitUntil(const std::function<bool()>& done, int milliseconds = 20000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return done();
}

void processEventsFor(int milliseconds)
{
    waitUntil([] { return false; }, milliseconds);
}

QString raisedText(const std::function<void()>& f)
{
    try {
        f();
    } catch (const EGogoTeaError& e) {
        return e.message();
    }
    return QStringLiteral("<none>");
}

// ------------------------------------------------------------ stand-in library

class GogoTeaFakeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        handle = dlopen(FAKE_GOGO_PATH, RTLD_NOW);
        ASSERT_NE(handle, nullptr) << dlerror();
        resetFake = reinterpret_cast<decltype(resetFake)>(dlsym(handle, "fake_gogo_reset"));
        sentText = reinterpret_cast<decltype(sentText)>(dlsym(handle, "fake_gogo_sent"));
        closed = reinterpret_cast<decltype(closed)>(dlsym(handle, "fake_gogo_closed"));
        ASSERT_TRUE(resetFake && sentText && closed);
        reset(kLibraryVersion, GOGO_UNIT_MMX | GOGO_UNIT_SSE);
        source.libraryName = QString::fromUtf8(FAKE_GOGO_PATH);
    }
    void TearDown() override
    {
        if (handle)
            dlclose(handle);
    }
    void reset(int32_t version, int32_t units) { resetFake(version, units, 0, 0, 5, 1); }
    void script(MERET init, MERET detect, int frames, MERET end) { resetFake(kLibraryVersion, 0, init, detect, frames, end); }
    // What the last configuration sent: "item=v1,v2;" per item, in order.
    QString sent() { return QString::fromUtf8(sentText()); }

    void* handle = nullptr;
    void (*resetFake)(int32_t, int32_t, MERET, MERET, int, MERET) = nullptr;
    const char* (*sentText)() = nullptr;
    int (*closed)() = nullptr;
    GogoLibrarySource source;
};

// The library version decides which items are sent; its major and minor
// bytes are tested each on its own, so 3.0 gets neither 26 nor 30 to 32.
TEST_F(GogoTeaFakeTest, ItemsSentForTheLibraryVersion)
{
    const QString extended = QStringLiteral(";31=20,80;30=96,192;32=30,60;");  // threshold first
    const QString format = QStringLiteral(";26=1,0;");
    const struct { int code; bool extendedItems, formatItem; } cases[] = {
        {0x0300, false, false}, {0x030A, false, false}, {0x0330, true, true}, {0x0230, true, true},
        {0x022F, false, true},  {0x0226, false, true},  {0x0225, false, false}, {0x0130, false, false},
        {kLibraryVersion, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        reset(c.code, 0);
        TGogoTea tea(source);
        tea.setUseVBR(true);
        tea.setExtFilter({true, 20, 80});
        tea.setVBRBitrate({true, 96, 192});
        tea.setMSSetting({true, 30, 60});
        tea.setEncodeFormat(_FORMAT_OF_RIFF_WAVE);
        tea.Configure();
        EXPECT_EQ(sent().contains(extended), c.extendedItems) << sent().toStdString();
        EXPECT_EQ(sent().contains(format), c.formatItem) << sent().toStdString();
        EXPECT_EQ(sent().contains(QStringLiteral(";30=")), c.extendedItems);
    }
}

TEST_F(GogoTeaFakeTest, ConfigurationInOrderForBothModes)
{
    reset(kLibraryVersion, GOGO_UNIT_SSE);  // no MMX, no 3DNow!
    TGogoTea tea(source);
    tea.setSourceFile(QStringLiteral("/music/in é.wav"));
    tea.setDestinationFile(QStringLiteral("/music/out é.mp3"));
    tea.setBitRate(192);
    tea.setEncodeType(_DUALCHANNEL);
    tea.setProcessors(4);
    tea.setUsePsyAnalize(true);
    tea.setOptimization({_USE_MMX, _USE_SPC1});  // MMX asked for but absent
    tea.setEmphasis(static_cast<TEmphasis>(7));   // unknown: sent as none
    tea.setVBRBitrate({true, 32, 128});            // without VBR neither level nor range goes out
    tea.Configure();
    EXPECT_EQ(sent().toStdString(),
              "1=0,/music/in é.wav;2=0,/music/out é.mp3;8=1,0;4=192,0;9=0,0;10=0,0;11=0,0;12=0,0;13=0,0;14=1,0;15=0,0;17=0,0;3=4,0;19=4,0;26=0,0;");
    EXPECT_EQ(tea.AllFrames(), 1000);
    // A second Configure is refused until the job has ended.
    EXPECT_THROW(tea.Configure(), EGogoTeaError);

    // Memory mode hands over a reader record of unknown length.
    TGogoTea memory(source);
    memory.setEncodeMode(_MEMORY);
    memory.setUseVBR(true);
    memory.setVBRLevel(3);
    memory.setUseMPEG2(true);
    memory.setEmphasis(_CCITT_EMPH);
    memory.setVBRBitrate({true, 32, 128});
    reset(kLibraryVersion, 0);
    memory.Configure();
    EXPECT_EQ(sent().toStdString(),
              "1=2,reader 4294967295 16 44100 2;2=0,;8=0,0;4=128,0;9=0,0;18=3,0;6=24000,0;10=0,0;11=0,0;12=0,0;13=0,0;14=0,0;15=0,0;17=3,0;3=2,0;19=1,0;30=32,128;26=0,0;");
}

TEST_F(GogoTeaFakeTest, SetupFailuresRaiseTheirTextsAndLeaveNothingOpen)
{
    TGogoTea tea(source);
    script(0, 5, 5, 1);
    // File mode: Start configures first.
    EXPECT_EQ(raisedText([&] { tea.Start(); }), QStringLiteral("GOGO.DLL MPGE_detectConfigure:5"));
    EXPECT_EQ(tea.EncodeResult(), 5);
    EXPECT_FALSE(tea.IsEncoding());

    script(0, 0, 5, 1);
    EXPECT_NO_THROW(tea.Configure());
    // A configured job that never started is closed on destruction.
    TGogoTea(source).Configure();
    EXPECT_EQ(closed(), 1);
}

TEST_F(GogoTeaFakeTest, FrameErrorReportsTheCodeThenAnAbortedFinish)
{
    TGogoTea tea(source);
    tea.setFrequency(1);
    EventLog log(tea);
    bool busyDuringError = false;
    QObject::connect(&tea, &TGogoTea::OnError, [&](int) { busyDuringError = tea.IsEncoding(); });
    script(0, 0, 3, 7);
    tea.Start();
    ASSERT_TRUE(waitUntil([&] { return log.finished(); }));
    EXPECT_EQ(log.text.toStdString(), "p0/1000 p1/1000 p2/1000 p3/1000 e7 f1 ") << "one report per frame, the code, an aborted end";
    EXPECT_EQ(std::make_tuple(tea.EncodeResult(), tea.IsEncoding(), closed()), std::make_tuple(7, false, 1));
    EXPECT_TRUE(busyDuringError) << "the job is still being torn down";
}

TEST(GogoTeaLoading, MissingIncompleteOrFromTheKeyStore)
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("registry.ini"));
    GogoLibrarySource source;
    source.keyStoreFile = store;
    for (const QString& name : {QStringLiteral("libgogo-not-there.so"), QString::fromUtf8(FAKE_GOGO_INCOMPLETE_PATH)}) {
        source.libraryName = name;
        EXPECT_EQ(raisedText([&] { TGogoTea tea(source); }), QStringLiteral("GOGO.DLLを初期化できません."));
    }

    ASSERT_TRUE(writeBytes(store, "[OTHER]\r\nINSTPATH=/nowhere\r\n"
                                  "[hkey_current_user\\software\\marinecat\\gogo_dll]\r\ninstpath = \"" FAKE_GOGO_PATH "\"\r\n"));
    source.libraryName = QString::fromUtf8(FAKE_GOGO_PATH);
    EXPECT_TRUE(TGogoTea(source).DLLPath().isEmpty()) << "found by name first";
    source.libraryName = QStringLiteral("libgogo-not-there.so");
    TGogoTea tea(source);
    EXPECT_EQ(tea.DLLPath(), QString::fromUtf8(FAKE_GOGO_PATH));
    // Two users share one load.
    EXPECT_EQ(GogoLibrary::acquire(source).get(), GogoLibrary::acquire(source).get());
}

// ------------------------------------------------------------ the real library

constexpr int kBlockBytes = 26 * 2352;  // what the ripper reads at once

class GogoTeaEncodingTest : public ::testing::Test
{
protected:
    GogoTeaEncodingTest() { source.libraryName = QStringLiteral("libgogo.so"); }

    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    void configureMemoryJob(TGogoTea& tea, const char* out)
    {
        tea.setEncodeMode(_MEMORY);
        tea.setDestinationFile(path(out));
        tea.Configure();
    }

    QTemporaryDir dir;
    GogoLibrarySource source;
};

TEST_F(GogoTeaEncodingTest, MemoryJobFedFasterThanItEncodesLosesNoByteAndReportsOnTheCreatingThread)
{
    TGogoTea tea(source);
    EventLog log(tea);
    configureMemoryJob(tea, "mem.mp3");
    EXPECT_EQ(tea.AllFrames(), 0) << "length unknown in advance";

    // 9 s of audio, more than the ring holds. Before the job starts nothing
    // drains the ring: blocks are taken until the next would fill it.
    const long frames = 588L * 75 * 9;
    const QByteArray pcm = makePcm16(frames, 2, 44100);
    qsizetype pos = 0;
    while (tea.WriteData(pcm.constData() + pos, kBlockBytes))
        pos += kBlockBytes;
    EXPECT_EQ(pos, (TGogoTea::kRingBufferSize - 1) / kBlockBytes * kBlockBytes);

    tea.Start();
    EXPECT_EQ(raisedText([&] { tea.setBitRate(320); }), QStringLiteral("エンコード中に設定は変更できません."));
    EXPECT_EQ(tea.BitRate(), 128);
    int refused = 0;
    while (pos < pcm.size()) {
        const int n = int(std::min<qsizetype>(kBlockBytes, pcm.size() - pos));
        if (tea.WriteData(pcm.constData() + pos, n)) {
            pos += n;
            continue;
        }
        ASSERT_TRUE(tea.IsEncoding());
        ++refused;
        processEventsFor(2);
    }
    tea.WriteData(nullptr, 0);
    EXPECT_GT(refused, 0);
    ASSERT_TRUE(waitUntil([&] { return log.finished(); }));
    EXPECT_TRUE(log.text.startsWith(QStringLiteral("p0/0 ")) && log.text.endsWith(QStringLiteral(" f0 ")))
        << "a normal end: " << log.text.toStdString();
    EXPECT_FALSE(log.offThread) << "every report comes on the creating thread";
    EXPECT_EQ(inspectMp3(path("mem.mp3")).samples, frames) << "every byte arrived";
}

TEST_F(GogoTeaEncodingTest, AbortMidJobEndsAbortedAndNothingFollows)
{
    TGogoTea tea(source);
    EventLog log(tea);
    tea.setFrequency(1);
    // Aborted from the progress handler, as the progress window does.
    QObject::connect(&tea, &TGogoTea::OnProgress, [&](int now, int) {
        if (now == 5)
            tea.Abort();
    });
    configureMemoryJob(tea, "abort.mp3");
    tea.Start();
    const QByteArray pcm = makePcm16(22050, 2, 44100);
    tea.WriteData(pcm.constData(), int(pcm.size()));  // no end of input: the reader keeps waiting
    ASSERT_TRUE(waitUntil([&] { return log.finished(); }, 5000));
    const QString seen = log.text;
    EXPECT_TRUE(seen.endsWith(QStringLiteral(" f1 "))) << "aborted: " << seen.toStdString();
    EXPECT_FALSE(seen.contains(QLatin1Char('e')) || tea.IsEncoding());
    processEventsFor(300);
    // No event after the end, and an abort when idle posts nothing.
    tea.Abort();
    processEventsFor(150);
    EXPECT_EQ(log.text, seen);
}

TEST_F(GogoTeaEncodingTest, DestroyingTheComponentMidJobEndsCleanly)
{
    auto tea = std::make_unique<TGogoTea>(source);
    EventLog log(*tea);
    configureMemoryJob(*tea, "gone.mp3");
    tea->Start();
    const QByteArray pcm = makePcm16(44100, 2, 44100);
    tea->WriteData(pcm.constData(), int(pcm.size()));  // and no end of input: the reader waits
    processEventsFor(20);
    const QString seen = log.text;
    QElapsedTimer timer;
    timer.start();
    tea.reset();
    EXPECT_LT(timer.elapsed(), 2000);
    processEventsFor(100);
    EXPECT_EQ(log.text, seen) << "no event from a destroyed component";
}

// The calling thread, and every thread it makes from now on, runs as an
// unprivileged user would as far as priorities go: without CAP_SYS_NICE,
// so a nice value once raised cannot be lowered again.
class WithoutNiceCapability
{
public:
    WithoutNiceCapability()
    {
        m_header.version = _LINUX_CAPABILITY_VERSION_3;
        if (syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct lowered[2] = {m_saved[0], m_saved[1]};
        lowered[CAP_TO_INDEX(CAP_SYS_NICE)].effective &= ~CAP_TO_MASK(CAP_SYS_NICE);
        m_dropped = syscall(SYS_capset, &m_header, lowered) == 0;
    }
    ~WithoutNiceCapability()
    {
        if (m_dropped)
            syscall(SYS_capset, &m_header, m_saved);
    }

private:
    __user_cap_header_struct m_header{};
    __user_cap_data_struct m_saved[2]{};
    bool m_dropped = false;
};

TEST_F(GogoTeaEncodingTest, EachJobRunsAtItsOwnPriorityAfterAnIdleOne)
{
    WithoutNiceCapability unprivileged;
    const int base = threadNice(static_cast<pid_t>(syscall(SYS_gettid)));
    if (base > 0)
        GTEST_SKIP() << "the test already runs below normal priority";
    TGogoTea tea(source);
    EventLog log(tea);
    const QByteArray pcm = makePcm16(44100, 2, 44100);
    const auto workerNice = [&] {
        const auto tid = static_cast<pid_t>(tea.workerThreadId());
        return tid == 0 ? -100 : threadNice(tid);
    };
    // Each job waits for its input while its thread's priority is looked at.
    const struct
    {
        TThreadPriority priority;
        int nice;
    } jobs[] = {{tpIdle, niceForPriority(tpIdle, base)},
                {tpNormal, base},
                {tpLowest, niceForPriority(tpLowest, base)},
                {tpIdle, niceForPriority(tpIdle, base)},
                {tpLower, niceForPriority(tpLower, base)}};
    int number = 0;
    for (const auto& job : jobs) {
        SCOPED_TRACE(number);
        tea.setPriority(job.priority);
        configureMemoryJob(tea, QByteArray("job" + QByteArray::number(number++) + ".mp3").constData());
        log.text.clear();
        tea.Start();
        EXPECT_TRUE(waitUntil([&] { return workerNice() == job.nice; }, 3000)) << "nice " << workerNice();
        tea.WriteData(pcm.constData(), int(pcm.size()));
        tea.WriteData(nullptr, 0);
        ASSERT_TRUE(waitUntil([&] { return log.finished(); }));
        EXPECT_TRUE(log.text.endsWith(QStringLiteral(" f0 "))) << log.text.toStdString();
    }
}

}
