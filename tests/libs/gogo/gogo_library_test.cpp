// SPDX-License-Identifier: GPL-2.0-or-later
// The encoder library through its entry points, checked with an
// independent decoder.
#include "gogo.h"
#include "mp3framereader.h"
#include "wavfixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>
#include <limits>
#include <gtest/gtest.h>
#include <mpg123.h>
#include <sndfile.h>
#include <tuple>
#include <unistd.h>
#include <vector>

using namespace trackmill::test;

namespace {

struct Item { int item; UPARAM v1, v2; };

class GogoLibraryTest : public ::testing::Test
{
protected:
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

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

    // Runs the job to its end (or 100000 frames); returns the last result,
    // and the calls that returned 0.
    MERET runJob(int* frames = nullptr)
    {
        MERET r = GOGO_OK;
        int n = 0;
        while ((r = MPGE_processFrame()) == GOGO_OK && n < 100000)
            ++n;
        MPGE_closeCoder();
        MPGE_endCoder();
        if (frames)
            *frames = n;
        return r;
    }

    Mp3Facts encode(const std::vector<Item>& items, long frames = 44100)
    {
        EXPECT_TRUE(writeSoundFile(path("in.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, frames));
        EXPECT_EQ(configureFile(path("in.wav"), path("out.mp3"), items), GOGO_OK);
        EXPECT_EQ(runJob(), GOGO_INPUT_FINISHED);
        return inspectMp3(path("out.mp3"));
    }

    QTemporaryDir dir;
    QByteArray inPath, outPath;
};

// Every sample format decodes back to exactly its own length, and item 15
// predicts the number of MPEG frames.
TEST_F(GogoLibraryTest, EveryFormatDecodesToTheInputLengthWithPredictedFrameCount)
{
    const struct { int format, channels, rate; long frames; } cases[] = {{SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, 44100 * 2 + 123},
                 {SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1, 22050, 22050},
                 {SF_FORMAT_WAV | SF_FORMAT_PCM_24, 2, 48000, 48000},
                 {SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 44100, 40000},
                 {SF_FORMAT_WAVEX | SF_FORMAT_PCM_32, 1, 16000, 16000}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.format);
        ASSERT_TRUE(writeSoundFile(path("in.wav"), c.format, c.channels, c.rate, c.frames));
        ASSERT_EQ(configureFile(path("in.wav"), path("out.mp3")), GOGO_OK);
        int32_t predicted = -1;
        EXPECT_EQ(MPGE_getConfigure(GOGO_ITEM_FRAME_COUNT, &predicted), GOGO_OK);
        int calls = 0;
        ASSERT_EQ(runJob(&calls), GOGO_INPUT_FINISHED);
        const Mp3Facts mp3 = inspectMp3(path("out.mp3"));
        ASSERT_TRUE(mp3.ok) << mp3.error.toStdString();
        EXPECT_EQ(std::make_tuple(mp3.samples, mp3.rate, mp3.channels, mp3.frames),
                  std::make_tuple((long long)c.frames, (long)c.rate, c.channels, predicted));
        EXPECT_NEAR(calls, predicted, 2);  // one frame per call, plus look-ahead and padding
    }
}

TEST_F(GogoLibraryTest, FrameHeadersFollowTheItems)
{
    const std::pair<UPARAM, int> modes[] = {
        {0, MPG123_M_MONO}, {1, MPG123_M_STEREO}, {3, MPG123_M_JOINT}, {4, MPG123_M_DUAL}};
    for (const auto& [mode, shown] : modes)
        EXPECT_EQ(encode({{GOGO_ITEM_CHANNEL_MODE, mode, 0}}).modes, std::set<int>{shown}) << mode;
    EXPECT_TRUE(encode({{GOGO_ITEM_CHANNEL_MODE, 3, 0}}).allMidSide) << "forced mid/side";

    Mp3Facts cbr = encode({{GOGO_ITEM_BITRATE, 192, 0}, {GOGO_ITEM_EMPHASIS, 1, 0}});
    EXPECT_EQ(std::make_tuple(cbr.bitrates, cbr.version, cbr.emphases, cbr.vbr),
              std::make_tuple(std::set<int>{192}, int(MPG123_1_0), std::set<int>{1}, false));
    Mp3Facts mpeg2 = encode({{GOGO_ITEM_BITRATE, 64, 0}, {GOGO_ITEM_OUTPUT_RATE, 24000, 0}, {GOGO_ITEM_EMPHASIS, 3, 0}});
    EXPECT_EQ(std::make_tuple(mpeg2.bitrates, mpeg2.version, mpeg2.emphases, mpeg2.rate),
              std::make_tuple(std::set<int>{64}, int(MPG123_2_0), std::set<int>{3}, 24000L));
    // MPEG-2 tops out at 160 kbps: a higher CBR value is clamped.
    EXPECT_EQ(encode({{GOGO_ITEM_BITRATE, 256, 0}, {GOGO_ITEM_OUTPUT_RATE, 24000, 0}}).bitrates, std::set<int>{160});

    Mp3Facts vbr = encode({{GOGO_ITEM_VBR_LEVEL, 2, 0}, {GOGO_ITEM_VBR_RANGE, 112, 192}}, 44100 * 3);
    EXPECT_TRUE(vbr.vbr && vbr.bitrates.size() > 1);
    EXPECT_TRUE(*vbr.bitrates.begin() >= 112 && *vbr.bitrates.rbegin() <= 192) << *vbr.bitrates.begin();
    // Level 9 would resample to 22.05 kHz on its own; the input's MPEG-1 rate stays.
    Mp3Facts low = encode({{GOGO_ITEM_VBR_LEVEL, 9, 0}});
    EXPECT_EQ(std::make_tuple(low.version, low.rate, low.samples), std::make_tuple(int(MPG123_1_0), 44100L, 44100LL));
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
// Chunks around the data are skipped.
TEST_F(GogoLibraryTest, DamagedAndForeignFiles)
{
    const QByteArray pcm = makePcm16(20000, 2, 44100);
    QByteArray chunks = makeWavBytes(pcm, 2, 44100);
    chunks.insert(36, QByteArray("LIST\x0c\x00\x00\x00INFOISFT\x00\x00\x00\x00", 20));
    chunks.append(QByteArray("id3 \x04\x00\x00\x00" "abcd", 12));
    const quint32 riff = quint32(chunks.size() - 8);
    std::memcpy(chunks.data() + 4, &riff, 4);
    const struct { const char* name; QByteArray bytes; MERET detect; long long samples; /* -1: not checked */ } cases[] = {
        {"empty", QByteArray(), GOGO_ERR_INPUT_OPEN, -1},
        {"truncated header", makeWavBytes(pcm, 2, 44100).left(30), GOGO_ERR_INPUT_OPEN, -1},
        {"header only", makeWavBytes({}, 2, 44100), GOGO_ERR_INPUT_FORMAT, -1},
        {"sizes all ones", makeWavBytes(pcm, 2, 44100, 0xFFFFFFFF, 0xFFFFFFFF), GOGO_OK, -1},
        {"truncated data", makeWavBytes(pcm, 2, 44100).left(44 + 1001), GOGO_OK, -1},
        {"extra chunks", chunks, GOGO_OK, 20000},
        {"mu-law", soundFileBytes(SF_FORMAT_WAV | SF_FORMAT_ULAW, 2), GOGO_ERR_INPUT_FORMAT, -1},
        {"three channels", soundFileBytes(SF_FORMAT_WAV | SF_FORMAT_PCM_16, 3), GOGO_ERR_INPUT_FORMAT, -1},
        {"AIFF", soundFileBytes(SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2), GOGO_ERR_INPUT_FORMAT, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeBytes(path("bad.wav"), c.bytes));
        const MERET r = configureFile(path("bad.wav"), path("out.mp3"));
        EXPECT_EQ(r, c.detect);
        if (r == GOGO_OK) {
            int frames = 0;
            EXPECT_EQ(runJob(&frames), GOGO_INPUT_FINISHED);
            EXPECT_LT(frames, 100000);
        }
        EXPECT_EQ(c.samples < 0 ? c.samples : inspectMp3(path("out.mp3")).samples, c.samples);
    }
}

// A float WAV may hold samples that are no number or far beyond full scale;
// LAME used to abort the whole process on the first of them.
TEST_F(GogoLibraryTest, FloatSamplesThatAreNoNumberOrOutOfRangeAreEncoded)
{
    constexpr long kFrames = 44100;
    std::vector<float> samples(kFrames * 2);
    for (long i = 0; i < kFrames * 2; ++i)
        samples[i] = 0.5f * std::sin(float(i) * 0.01f);
    const float hostile[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity(), 1e9f, -1e9f};
    for (size_t k = 0; k < std::size(hostile); ++k)
        for (long at : {1000L + long(k), 30000L + 7 * long(k)})
            samples[at] = hostile[k];
    std::fill(samples.begin() + 50000, samples.begin() + 52000, std::numeric_limits<float>::quiet_NaN());

    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    const QByteArray wav = QFile::encodeName(path("hostile.wav"));
    SNDFILE* f = sf_open(wav.constData(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(sf_writef_float(f, samples.data(), kFrames), kFrames);
    sf_close(f);

    ASSERT_EQ(configureFile(path("hostile.wav"), path("out.mp3")), GOGO_OK);
    EXPECT_EQ(runJob(), GOGO_INPUT_FINISHED);
    const Mp3Facts mp3 = inspectMp3(path("out.mp3"));
    ASSERT_TRUE(mp3.ok) << mp3.error.toStdString();
    EXPECT_EQ(mp3.samples, kFrames);
}

// An output that is the input file, however its path is spelt, is refused
// before anything is written: the source keeps every byte.
TEST_F(GogoLibraryTest, OutputThatIsTheInputIsRefused)
{
    const QString wav = path("in.wav");
    ASSERT_TRUE(writeSoundFile(wav, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, 4410));
    QFile original(wav);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray before = original.readAll();
    original.close();
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    ASSERT_TRUE(QFile::link(wav, path("link.mp3")));
    ASSERT_EQ(::link(QFile::encodeName(wav).constData(), QFile::encodeName(path("hard.mp3")).constData()), 0);

    const QString spellings[] = {wav, path("link.mp3"), path("sub/../in.wav"), path("./in.wav"),
                                 path("hard.mp3")};
    for (const QString& out : spellings) {
        SCOPED_TRACE(out.toStdString());
        EXPECT_EQ(configureFile(wav, out), GOGO_ERR_SAME_FILE);
        // Also when the input is named through the link.
        EXPECT_EQ(configureFile(out, wav), GOGO_ERR_SAME_FILE);
        ASSERT_TRUE(original.open(QIODevice::ReadOnly));
        EXPECT_EQ(original.readAll(), before);
        original.close();
    }
    // A copy is another file.
    ASSERT_TRUE(QFile::copy(wav, path("copy.wav")));
    ASSERT_EQ(configureFile(path("copy.wav"), path("copy.mp3")), GOGO_OK);
    EXPECT_EQ(runJob(), GOGO_INPUT_FINISHED);
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

}
