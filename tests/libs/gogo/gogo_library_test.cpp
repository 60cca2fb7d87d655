// SPDX-License-Identifier: GPL-2.0-or-later
// The encoder library through its entry points, checked with an
// independent decoder.
#include "gogo.h"
#include "mp3framereader.h"
#include "wavfixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <lame/lame.h>
#include <mpg123.h>
#include <sndfile.h>
#include <vector>

using namespace trackmill::test;

namespace {

struct Item
{
    int item;
    UPARAM v1;
    UPARAM v2;
};

class GogoLibraryTest : public ::testing::Test
{
protected:
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    // Configures a file job; returns the result of MPGE_detectConfigure.
    MERET configureFile(const QString& in, const QString& out, const std::vector<Item>& items = {})
    {
        inPath = QFile::encodeName(in);
        outPath = QFile::encodeName(out);
        EXPECT_EQ(MPGE_initializeWork(), GOGO_OK);
        EXPECT_EQ(MPGE_setConfigure(GOGO_ITEM_INPUT, GOGO_INPUT_FILE, UPARAM(inPath.constData())), GOGO_OK);
        EXPECT_EQ(MPGE_setConfigure(GOGO_ITEM_OUTPUT, 0, UPARAM(outPath.constData())), GOGO_OK);
        for (const Item& i : items)
            EXPECT_EQ(MPGE_setConfigure(i.item, i.v1, i.v2), GOGO_OK) << "item " << i.item;
        const MERET r = MPGE_detectConfigure();
        if (r != GOGO_OK)
            MPGE_endCoder();
        return r;
    }

    // Runs the configured job to its end; returns the last result and the
    // number of calls that returned 0.
    MERET runJob(int* frames = nullptr, int limit = 1000000)
    {
        MERET r = GOGO_OK;
        int n = 0;
        while ((r = MPGE_processFrame()) == GOGO_OK && n < limit)
            ++n;
        MPGE_closeCoder();
        MPGE_endCoder();
        if (frames)
            *frames = n;
        return r;
    }

    int32_t totalFrames()
    {
        int32_t frames = -1;
        EXPECT_EQ(MPGE_getConfigure(GOGO_ITEM_FRAME_COUNT, &frames), GOGO_OK);
        return frames;
    }

    Mp3Facts encode(const std::vector<Item>& items, long frames = 44100)
    {
        const QString wav = path("in.wav");
        EXPECT_TRUE(writeSoundFile(wav, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, frames));
        EXPECT_EQ(configureFile(wav, path("out.mp3"), items), GOGO_OK);
        EXPECT_EQ(runJob(), GOGO_INPUT_FINISHED);
        return inspectMp3(path("out.mp3"));
    }

    QByteArray encodedBytes(const std::vector<Item>& items)
    {
        encode(items);
        QFile f(path("out.mp3"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir;
    QByteArray inPath, outPath;
};

// Every supported WAV flavour decodes back to exactly its own length, and
// item 15 predicts the number of MPEG frames.
TEST_F(GogoLibraryTest, EveryFormatDecodesToTheInputLengthWithPredictedFrameCount)
{
    const struct
    {
        int format, channels, rate;
        long frames;
    } cases[] = {{SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, 44100 * 2 + 123},
                 {SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 44100, 30000},
                 {SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 2, 22050, 22050},
                 {SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, 48000, 48000},
                 {SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 44100, 40000},
                 {SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 2, 32000, 32000},
                 {SF_FORMAT_WAV | SF_FORMAT_PCM_32, 1, 16000, 16000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.format << std::dec << " " << c.channels << "ch " << c.rate);
        ASSERT_TRUE(writeSoundFile(path("in.wav"), c.format, c.channels, c.rate, c.frames));
        ASSERT_EQ(configureFile(path("in.wav"), path("out.mp3")), GOGO_OK);
        const int32_t predicted = totalFrames();
        int calls = 0;
        ASSERT_EQ(runJob(&calls), GOGO_INPUT_FINISHED);
        const Mp3Facts mp3 = inspectMp3(path("out.mp3"));
        ASSERT_TRUE(mp3.ok) << mp3.error.toStdString();
        EXPECT_EQ(mp3.samples, c.frames);
        EXPECT_EQ(mp3.rate, c.rate);
        EXPECT_EQ(mp3.channels, c.channels);
        EXPECT_EQ(mp3.frames, predicted);
        // One frame's worth of input per call, plus LAME's look-ahead and padding.
        EXPECT_NEAR(calls, predicted, 2);
    }
}

TEST_F(GogoLibraryTest, ExtraChunksAroundTheDataAreSkipped)
{
    QByteArray wav = makeWavBytes(makePcm16(20000, 2, 44100), 2, 44100);
    // A LIST chunk between "fmt " and "data", and a trailing chunk.
    wav.insert(36, QByteArray("LIST\x0c\x00\x00\x00INFOISFT\x00\x00\x00\x00", 20));
    wav.append(QByteArray("id3 \x04\x00\x00\x00" "abcd", 12));
    const quint32 riff = quint32(wav.size() - 8);
    std::memcpy(wav.data() + 4, &riff, 4);
    ASSERT_TRUE(writeBytes(path("chunks.wav"), wav));
    ASSERT_EQ(configureFile(path("chunks.wav"), path("out.mp3")), GOGO_OK);
    ASSERT_EQ(runJob(), GOGO_INPUT_FINISHED);
    EXPECT_EQ(inspectMp3(path("out.mp3")).samples, 20000);
}

TEST_F(GogoLibraryTest, ChannelModesShowInTheFrameHeaders)
{
    const std::pair<UPARAM, int> cases[] = {
        {0, MPG123_M_MONO}, {1, MPG123_M_STEREO}, {3, MPG123_M_JOINT}, {4, MPG123_M_DUAL}};
    for (const auto& [mode, shown] : cases)
        EXPECT_EQ(encode({{GOGO_ITEM_CHANNEL_MODE, mode, 0}}).modes, std::set<int>{shown}) << mode;
    EXPECT_TRUE(encode({{GOGO_ITEM_CHANNEL_MODE, 2, 0}}).modes.count(MPG123_M_JOINT));
    EXPECT_TRUE(encode({{GOGO_ITEM_CHANNEL_MODE, 3, 0}}).allMidSide) << "forced mid/side";
    EXPECT_EQ(encode({{GOGO_ITEM_CHANNEL_MODE, 0, 0}}).channels, 1);
}

TEST_F(GogoLibraryTest, BitrateVersionAndEmphasisShowInTheFrameHeaders)
{
    Mp3Facts cbr = encode({{GOGO_ITEM_BITRATE, 192, 0}, {GOGO_ITEM_EMPHASIS, 1, 0}});
    EXPECT_EQ(cbr.bitrates, std::set<int>{192});
    EXPECT_EQ(cbr.version, MPG123_1_0);
    EXPECT_EQ(cbr.emphases, std::set<int>{1});
    EXPECT_FALSE(cbr.vbr);

    Mp3Facts mpeg2 = encode({{GOGO_ITEM_BITRATE, 64, 0}, {GOGO_ITEM_OUTPUT_RATE, 24000, 0}, {GOGO_ITEM_EMPHASIS, 3, 0}});
    EXPECT_EQ(mpeg2.version, MPG123_2_0);
    EXPECT_EQ(mpeg2.rate, 24000);
    EXPECT_EQ(mpeg2.bitrates, std::set<int>{64});
    EXPECT_EQ(mpeg2.emphases, std::set<int>{3});

    // MPEG-2 tops out at 160 kbps: a higher CBR value is clamped.
    EXPECT_EQ(encode({{GOGO_ITEM_BITRATE, 256, 0}, {GOGO_ITEM_OUTPUT_RATE, 24000, 0}}).bitrates, std::set<int>{160});
}

TEST_F(GogoLibraryTest, VbrStaysInsideTheGivenRangeAndKeepsMpeg1)
{
    Mp3Facts vbr = encode({{GOGO_ITEM_VBR_LEVEL, 2, 0}, {GOGO_ITEM_VBR_RANGE, 112, 192}}, 44100 * 3);
    EXPECT_TRUE(vbr.vbr);
    ASSERT_GT(vbr.bitrates.size(), 1u);
    EXPECT_GE(*vbr.bitrates.begin(), 112);
    EXPECT_LE(*vbr.bitrates.rbegin(), 192);

    // Level 9 would resample to 22.05 kHz on its own; the output keeps the input's MPEG-1 rate.
    Mp3Facts low = encode({{GOGO_ITEM_VBR_LEVEL, 9, 0}});
    EXPECT_EQ(low.version, MPG123_1_0);
    EXPECT_EQ(low.rate, 44100);
    EXPECT_EQ(low.samples, 44100);
}

TEST_F(GogoLibraryTest, PsychoacousticsAndFiltersChangeTheOutput)
{
    const QByteArray plain = encodedBytes({});
    EXPECT_NE(encodedBytes({{GOGO_ITEM_PSYCHO, 1, 0}}), plain);
    EXPECT_NE(encodedBytes({{GOGO_ITEM_LOWPASS_16K, 1, 0}}), plain);
    EXPECT_NE(encodedBytes({{GOGO_ITEM_FILTER_BANDS, 30, 40}}), plain);
    EXPECT_NE(encodedBytes({{GOGO_ITEM_MS_STEREO, 50, 100}}), plain);
    EXPECT_EQ(encodedBytes({}), plain) << "encoding is deterministic";
}

TEST_F(GogoLibraryTest, RefusesValuesOutOfRangeAndReservedEmphasis)
{
    ASSERT_EQ(MPGE_initializeWork(), GOGO_OK);
    const Item bad[] = {{GOGO_ITEM_EMPHASIS, 2, 0},       {GOGO_ITEM_EMPHASIS, 4, 0},
                        {GOGO_ITEM_CHANNEL_MODE, 5, 0},   {GOGO_ITEM_VBR_LEVEL, 10, 0},
                        {GOGO_ITEM_OUTPUT_RATE, 23000, 0}, {GOGO_ITEM_FILTER_BANDS, 10, 101},
                        {GOGO_ITEM_MS_STEREO, 101, 0},    {GOGO_ITEM_PSYCHO, 2, 0},
                        {GOGO_ITEM_INPUT, 1, 0},          {GOGO_ITEM_OUTPUT, 0, 0},
                        {99, 0, 0}};
    for (const Item& i : bad)
        EXPECT_EQ(MPGE_setConfigure(i.item, i.v1, i.v2), GOGO_ERR_PARAMETER) << "item " << i.item;
    MPGE_endCoder();
    // The refused emphasis 2 left the previous value in place.
    EXPECT_EQ(encode({{GOGO_ITEM_EMPHASIS, 1, 0}}).emphases, std::set<int>{1});
}

QByteArray wavOf(long frames, long long dataSize = -1, long long riffSize = -1)
{
    return makeWavBytes(makePcm16(frames, 2, 44100), 2, 44100, dataSize, riffSize);
}

QByteArray soundFileBytes(int format, int channels)
{
    QTemporaryDir d;
    const QString p = d.filePath(QStringLiteral("x"));
    writeSoundFile(p, format, channels, 44100, 4410);
    QFile f(p);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Bad files fail at configuration or end the job; none crashes or hangs.
TEST_F(GogoLibraryTest, BadFilesFailCleanly)
{
    const struct
    {
        const char* name;
        QByteArray bytes;
        MERET detect;
    } cases[] = {
        {"empty", QByteArray(), GOGO_ERR_INPUT_OPEN},
        {"text", QByteArray("this is not a sound file at all, just words\n").repeated(20), GOGO_ERR_INPUT_OPEN},
        {"truncated header", wavOf(1000).left(30), GOGO_ERR_INPUT_OPEN},
        {"header only", wavOf(0), GOGO_ERR_INPUT_FORMAT},
        {"data size beyond the file", wavOf(4410, 0x7FFFFFF0), GOGO_OK},
        {"sizes all ones", wavOf(4410, 0xFFFFFFFF, 0xFFFFFFFF), GOGO_OK},
        {"truncated data", wavOf(44100).left(44 + 1001), GOGO_OK},
        {"mu-law", soundFileBytes(SF_FORMAT_WAV | SF_FORMAT_ULAW, 2), GOGO_ERR_INPUT_FORMAT},
        {"IMA ADPCM", soundFileBytes(SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 2), GOGO_ERR_INPUT_FORMAT},
        {"three channels", soundFileBytes(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 3), GOGO_ERR_INPUT_FORMAT},
        {"AIFF", soundFileBytes(SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2), GOGO_ERR_INPUT_FORMAT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeBytes(path("bad.wav"), c.bytes));
        const MERET r = configureFile(path("bad.wav"), path("out.mp3"));
        EXPECT_EQ(r, c.detect);
        if (r == GOGO_OK) {
            int frames = 0;
            EXPECT_EQ(runJob(&frames, 100000), GOGO_INPUT_FINISHED);
            EXPECT_LT(frames, 100000);
        }
    }
}

TEST_F(GogoLibraryTest, JobErrorsAndCallOrder)
{
    EXPECT_EQ(MPGE_processFrame(), GOGO_ERR_SEQUENCE);
    EXPECT_EQ(MPGE_closeCoder(), GOGO_ERR_SEQUENCE);
    EXPECT_EQ(MPGE_setConfigure(GOGO_ITEM_BITRATE, 128, 0), GOGO_ERR_SEQUENCE);

    const QString wav = path("in.wav");
    ASSERT_TRUE(writeSoundFile(wav, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, 4410));
    EXPECT_EQ(configureFile(path("missing.wav"), path("out.mp3")), GOGO_ERR_INPUT_OPEN);
    EXPECT_EQ(configureFile(wav, path("no/such/dir/out.mp3")), GOGO_ERR_OUTPUT_OPEN);
    EXPECT_EQ(configureFile(wav, path("out.mp3"), {{GOGO_ITEM_OUTPUT_FORMAT, 1, 0}}), GOGO_ERR_OUTPUT_FORMAT);

    // Abandoning a job half-way keeps a closed, partial file.
    ASSERT_EQ(configureFile(wav, path("out.mp3")), GOGO_OK);
    EXPECT_EQ(MPGE_processFrame(), GOGO_OK);
    EXPECT_EQ(MPGE_initializeWork(), GOGO_ERR_SEQUENCE) << "a job is open";
    EXPECT_EQ(MPGE_closeCoder(), GOGO_OK);
    EXPECT_EQ(MPGE_endCoder(), GOGO_OK);
    EXPECT_EQ(MPGE_processFrame(), GOGO_ERR_SEQUENCE);
}

// The reader of input mode 2 serves the bytes of one buffer.
QByteArray g_readerData;
qsizetype g_readerPos = 0;
std::vector<uint32_t> g_readerRequests;

MERET testReader(void* buffer, uint32_t bytes)
{
    g_readerRequests.push_back(bytes);
    const qsizetype left = g_readerData.size() - g_readerPos;
    if (left <= 0)
        return 1;
    const qsizetype n = std::min<qsizetype>(left, bytes);
    std::memcpy(buffer, g_readerData.constData() + g_readerPos, size_t(n));
    std::memset(static_cast<char*>(buffer) + n, 0, bytes - size_t(n));
    g_readerPos += n;
    return 0;
}

// A reader of known length (the encoder component's tests run an unknown one).
TEST_F(GogoLibraryTest, ReaderInputOfWholeSectorsComesBackExactly)
{
    const long frames = 588 * 150; // 150 sectors, 2 s
    g_readerData = makePcm16(frames, 2, 44100);
    GogoReaderRecord rec {&testReader, uint32_t(g_readerData.size()), 16, 44100, 2};
    outPath = QFile::encodeName(path("mem.mp3"));
    ASSERT_EQ(MPGE_initializeWork(), GOGO_OK);
    ASSERT_EQ(MPGE_setConfigure(GOGO_ITEM_INPUT, GOGO_INPUT_READER, UPARAM(&rec)), GOGO_OK);
    rec = {}; // the library keeps its own copy
    ASSERT_EQ(MPGE_setConfigure(GOGO_ITEM_OUTPUT, 0, UPARAM(outPath.constData())), GOGO_OK);
    ASSERT_EQ(MPGE_detectConfigure(), GOGO_OK);
    const int32_t predicted = totalFrames();
    ASSERT_EQ(runJob(), GOGO_INPUT_FINISHED);

    const Mp3Facts mp3 = inspectMp3(path("mem.mp3"));
    EXPECT_EQ(mp3.samples, frames);
    EXPECT_EQ(predicted, mp3.frames);
    ASSERT_FALSE(g_readerRequests.empty());
    EXPECT_EQ(g_readerRequests.front(), 2352u) << "asks one CD sector at a time";
}

TEST_F(GogoLibraryTest, VersionAndProcessorFlags)
{
    int32_t code = 0;
    char text[GOGO_VERSION_TEXT_SIZE];
    ASSERT_EQ(MPGE_getVersion(&code, text), GOGO_OK);
    EXPECT_EQ(code, (GOGO_VERSION_MAJOR << 8) | GOGO_VERSION_MINOR);
    const std::string line(text);
    EXPECT_EQ(line.substr(5, 5), "v3.10");
    EXPECT_NE(line.find(std::string("LAME ") + get_lame_version()), std::string::npos);

    int32_t flags = -1;
    ASSERT_EQ(MPGE_getUnitStates(&flags), GOGO_OK);
    QFile cpuinfo(QStringLiteral("/proc/cpuinfo"));
    if (!cpuinfo.open(QIODevice::ReadOnly))
        return;
    const QByteArray all = cpuinfo.readAll();
    const int at = all.indexOf("\nflags");
    const QByteArray flagsLine = all.mid(at, all.indexOf('\n', at + 1) - at) + ' ';
    EXPECT_EQ((flags & GOGO_UNIT_MMX) != 0, flagsLine.contains(" mmx "));
    EXPECT_EQ((flags & GOGO_UNIT_SSE) != 0, flagsLine.contains(" sse "));
    EXPECT_EQ((flags & GOGO_UNIT_3DNOW) != 0, flagsLine.contains(" 3dnow "));
}

}
