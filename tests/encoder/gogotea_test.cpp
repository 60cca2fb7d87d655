// SPDX-License-Identifier: GPL-2.0-or-later
// The encoder component against a scripted stand-in library: which items
// it sends, how setup failures and frame errors surface.
#include "gogoteatestsupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <map>

using namespace trackmill;
using namespace trackmill::test;

namespace {

struct Sent
{
    UPARAM v1;
    UPARAM v2;
    std::string text;
    GogoReaderRecord record;
};

class GogoTeaFakeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        handle = dlopen(FAKE_GOGO_PATH, RTLD_NOW);
        ASSERT_NE(handle, nullptr) << dlerror();
        reset = reinterpret_cast<decltype(reset)>(dlsym(handle, "fake_gogo_reset"));
        script = reinterpret_cast<decltype(script)>(dlsym(handle, "fake_gogo_script"));
        call = reinterpret_cast<decltype(call)>(dlsym(handle, "fake_gogo_call"));
        closed = reinterpret_cast<decltype(closed)>(dlsym(handle, "fake_gogo_closed"));
        ASSERT_TRUE(reset && script && call && closed);
        reset(0x030A, GOGO_UNIT_MMX | GOGO_UNIT_SSE);
        source.libraryName = QString::fromUtf8(FAKE_GOGO_PATH);
    }
    void TearDown() override
    {
        if (handle)
            dlclose(handle);
    }

    // The items of the last configuration by number (last value wins), and their order.
    std::map<int, Sent> sentItems(std::vector<int>* order = nullptr)
    {
        std::map<int, Sent> items;
        int item = 0;
        UPARAM v1 = 0, v2 = 0;
        char text[256] = {};
        GogoReaderRecord rec{};
        const int n = call(-1, &item, &v1, &v2, text, &rec);
        for (int i = 0; i < n; ++i) {
            call(i, &item, &v1, &v2, text, &rec);
            items[item] = {v1, v2, text, rec};
            if (order)
                order->push_back(item);
        }
        return items;
    }

    void* handle = nullptr;
    void (*reset)(int32_t, int32_t) = nullptr;
    void (*script)(MERET, MERET, int, MERET) = nullptr;
    int (*call)(int, int*, UPARAM*, UPARAM*, char*, GogoReaderRecord*) = nullptr;
    int (*closed)() = nullptr;
    GogoLibrarySource source;
};

TEST_F(GogoTeaFakeTest, OutOfRangeValuesRaiseAndKeepTheOldValue)
{
    TGogoTea tea(source);
    const std::vector<std::function<void()>> bad = {
        [&] { tea.setFrequency(0); },           [&] { tea.setVBRLevel(-1); },
        [&] { tea.setVBRLevel(10); },           [&] { tea.setExtFilter({true, -1, 50}); },
        [&] { tea.setExtFilter({true, 10, 101}); }, [&] { tea.setVBRBitrate({true, 32, -8}); },
        [&] { tea.setMSSetting({true, 101, 50}); }, [&] { tea.setMSSetting({true, 50, -1}); },
    };
    for (size_t i = 0; i < bad.size(); ++i)
        EXPECT_EQ(raisedText(bad[i]), QStringLiteral("値が範囲外です.")) << "case " << i;
    EXPECT_EQ(tea.Frequency(), 100);
    EXPECT_EQ(tea.VBRLevel(), 5);
    EXPECT_EQ(tea.ExtFilter(), (TExtFilter{false, 55, 70}));
    EXPECT_EQ(tea.VBRBitrate(), (TVBRBitrate{false, 40, 128}));
    EXPECT_EQ(tea.MSSetting(), (TMSSetting{false, 75, 66}));
    // The edges themselves are accepted.
    tea.setFrequency(1);
    tea.setVBRLevel(9);
    tea.setExtFilter({true, 0, 100});
    tea.setMSSetting({true, 100, 0});
}

// The library version decides which items are sent; it is compared as a
// (major, minor) pair, so 3.0 counts as newer than 2.48.
TEST_F(GogoTeaFakeTest, ItemsSentForTheLibraryVersion)
{
    const struct
    {
        int code;
        bool extendedItems;  // 30, 31, 32
        bool formatItem;     // 26
    } cases[] = {{0x0300, true, true},   {0x0230, true, true},   {0x022F, false, true},
                 {0x0226, false, true},  {0x0225, false, false}, {0x0163, false, false}};
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
        const auto items = sentItems();
        for (int item : {30, 31, 32})
            EXPECT_EQ(items.count(item), c.extendedItems ? 1u : 0u) << item;
        EXPECT_EQ(items.count(26), c.formatItem ? 1u : 0u);
        if (c.extendedItems) {
            EXPECT_EQ(std::make_pair(items.at(30).v1, items.at(30).v2), std::make_pair(UPARAM(96), UPARAM(192)));
            EXPECT_EQ(std::make_pair(items.at(31).v1, items.at(31).v2), std::make_pair(UPARAM(20), UPARAM(80)));
            EXPECT_EQ(std::make_pair(items.at(32).v1, items.at(32).v2), std::make_pair(UPARAM(30), UPARAM(60)))
                << "threshold first";
        }
        if (c.formatItem) {
            EXPECT_EQ(items.at(26).v1, 1u);
        }
    }
}

TEST_F(GogoTeaFakeTest, FileModeConfigurationInOrder)
{
    TGogoTea tea(source);
    tea.setSourceFile(QStringLiteral("/music/in é.wav"));
    tea.setDestinationFile(QStringLiteral("/music/out é.mp3"));
    tea.setBitRate(192);
    tea.setEncodeType(_DUALCHANNEL);
    tea.setProcessors(4);
    tea.setUsePsyAnalize(true);
    tea.Configure();
    std::vector<int> order;
    auto items = sentItems(&order);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 8, 4, 9, 10, 11, 12, 13, 14, 15, 17, 3, 19, 26}));
    EXPECT_EQ(items[1].v1, 0u);
    EXPECT_EQ(items[1].text, "/music/in é.wav");
    EXPECT_EQ(items[2].text, "/music/out é.mp3");
    EXPECT_EQ(items[8].v1, 1u);
    EXPECT_EQ(items[4].v1, 192u);
    EXPECT_EQ(items[3].v1, 4u);
    EXPECT_EQ(items[19].v1, 4u);
    EXPECT_EQ(tea.AllFrames(), 1000);
    // A second Configure is refused until the job has ended.
    EXPECT_THROW(tea.Configure(), EGogoTeaError);
}

TEST_F(GogoTeaFakeTest, MemoryModeHandsOverAReaderRecordAndOptionalItems)
{
    TGogoTea tea(source);
    tea.setEncodeMode(_MEMORY);
    tea.setUseVBR(true);
    tea.setVBRLevel(3);
    tea.setUseMPEG2(true);
    tea.setVBRBitrate({true, 32, 128});
    tea.Configure();
    auto items = sentItems();
    EXPECT_EQ(items[1].v1, static_cast<UPARAM>(GOGO_INPUT_READER));
    const GogoReaderRecord& rec = items[1].record;
    EXPECT_NE(rec.reader, nullptr);
    EXPECT_EQ(rec.size, GOGO_LENGTH_UNKNOWN);
    EXPECT_EQ(rec.bitsPerSample, 16);
    EXPECT_EQ(rec.sampleRate, 44100);
    EXPECT_EQ(rec.channels, 2);
    EXPECT_EQ(items[18].v1, 3u);
    EXPECT_EQ(items[6].v1, 24000u);
    EXPECT_EQ(items[30].v1, 32u);

    // Without VBR neither the level nor the range goes out.
    TGogoTea plain(source);
    reset(0x030A, 0);
    plain.setVBRBitrate({true, 32, 128});
    plain.Configure();
    items = sentItems();
    EXPECT_EQ(items.count(18) + items.count(30) + items.count(6), 0u);
}

TEST_F(GogoTeaFakeTest, ProcessorExtensionsOnlyWhenThePresentProcessorHasThem)
{
    reset(0x030A, GOGO_UNIT_SSE);  // no MMX, no 3DNow!
    TGogoTea tea(source);
    tea.setOptimization({_USE_MMX, _USE_SPC1});
    tea.Configure();
    auto items = sentItems();
    EXPECT_EQ(items[10].v1, 0u);
    EXPECT_EQ(items[14].v1, 1u);
    EXPECT_EQ(items[12].v1, 0u) << "not asked for";
}

TEST_F(GogoTeaFakeTest, EmphasisIsSentAsZeroOneOrThreeOnly)
{
    const std::pair<TEmphasis, UPARAM> cases[] = {{_NO_EMPH, 0}, {_5015MS_EMPH, 1}, {_CCITT_EMPH, 3},
                                                  {static_cast<TEmphasis>(-1), 0}, {static_cast<TEmphasis>(7), 0}};
    for (const auto& [emphasis, sent] : cases) {
        reset(0x030A, 0);
        TGogoTea tea(source);
        tea.setEmphasis(emphasis);
        tea.Configure();
        EXPECT_EQ(sentItems()[17].v1, sent) << static_cast<int>(emphasis);
    }
}

TEST_F(GogoTeaFakeTest, SetupFailuresRaiseTheirTexts)
{
    TGogoTea tea(source);
    script(1, 0, 5, 1);
    EXPECT_EQ(raisedText([&] { tea.Configure(); }), QStringLiteral("FPUがありません"));
    EXPECT_EQ(tea.EncodeResult(), 1);

    script(0, 5, 5, 1);
    // File mode: Start configures first.
    EXPECT_EQ(raisedText([&] { tea.Start(); }), QStringLiteral("GOGO.DLL MPGE_detectConfigure:5"));
    EXPECT_EQ(tea.EncodeResult(), 5);
    EXPECT_FALSE(tea.IsEncoding());

    // Nothing is left half-configured: the next attempt goes through.
    script(0, 0, 5, 1);
    EXPECT_NO_THROW(tea.Configure());
}

TEST_F(GogoTeaFakeTest, FrameErrorReportsTheCodeThenAnAbortedFinish)
{
    TGogoTea tea(source);
    tea.setFrequency(1);
    GogoEventLog log(tea);
    bool busyDuringError = false;
    QObject::connect(&tea, &TGogoTea::OnError, [&](int) { busyDuringError = tea.IsEncoding(); });
    script(0, 0, 3, 7);
    tea.Start();
    EXPECT_TRUE(tea.IsEncoding());
    ASSERT_TRUE(waitUntil([&] { return log.finished(); }));

    ASSERT_GE(log.events.size(), 3u);
    const auto& finish = log.events.back();
    const auto& error = log.events[log.events.size() - 2];
    EXPECT_EQ(std::make_pair(finish.kind, finish.a), std::make_pair('f', 1)) << "aborted";
    EXPECT_EQ(std::make_pair(error.kind, error.a), std::make_pair('e', 7));
    EXPECT_EQ(log.events.front().b, 1000);
    EXPECT_EQ(log.count('p'), 4) << "start plus one per frame";
    EXPECT_EQ(tea.EncodeResult(), 7);
    EXPECT_FALSE(tea.IsEncoding());
    // The job is still being torn down when the error arrives.
    EXPECT_TRUE(busyDuringError);
    EXPECT_EQ(closed(), 1);
}

TEST_F(GogoTeaFakeTest, AConfiguredJobThatNeverStartedIsClosedOnDestruction)
{
    TGogoTea(source).Configure();
    EXPECT_EQ(closed(), 1);
}

TEST(GogoTeaLoading, MissingOrIncompleteLibraryRaises)
{
    QTemporaryDir dir;
    for (const QString& name : {QStringLiteral("libgogo-not-there.so"), QString::fromUtf8(FAKE_GOGO_INCOMPLETE_PATH)}) {
        GogoLibrarySource source;
        source.libraryName = name;
        source.keyStoreFile = dir.filePath(QStringLiteral("registry.ini"));
        EXPECT_EQ(raisedText([&] { TGogoTea tea(source); }), QStringLiteral("GOGO.DLLを初期化できません."));
    }
}

TEST(GogoTeaLoading, FallsBackToThePathInTheKeyStore)
{
    QTemporaryDir dir;
    const QString store = dir.filePath(QStringLiteral("registry.ini"));
    QFile f(store);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[OTHER]\r\nINSTPATH=/nowhere\r\n"
            "[hkey_current_user\\software\\marinecat\\gogo_dll]\r\ninstpath = \"" FAKE_GOGO_PATH "\"\r\n");
    f.close();

    GogoLibrarySource source;
    source.libraryName = QString::fromUtf8(FAKE_GOGO_PATH);
    source.keyStoreFile = store;
    EXPECT_TRUE(TGogoTea(source).DLLPath().isEmpty()) << "found by name first";
    source.libraryName = QStringLiteral("libgogo-not-there.so");
    TGogoTea tea(source);
    EXPECT_EQ(tea.DLLPath(), QString::fromUtf8(FAKE_GOGO_PATH));
    EXPECT_NE(tea.VersionCode(), 0);
    // Two users share one load.
    EXPECT_EQ(GogoLibrary::acquire(source).get(), GogoLibrary::acquire(source).get());
}

}
