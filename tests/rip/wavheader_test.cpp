// SPDX-License-Identifier: GPL-2.0-or-later
// The ripper's WAV header, byte for byte, and making a cut-short file valid.
#include "rip/wavheader.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sndfile.h>

using trackmill::WavHeader;

namespace {

constexpr std::uint32_t kSector = 2352;

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// A different byte at each position, so a shifted copy shows.
QByteArray audio(int bytes)
{
    QByteArray a(bytes, '\0');
    for (int i = 0; i < bytes; ++i)
        a[i] = char(i * 7 + 3);
    return a;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(WavHeader, GoldenBytes)
{
    const std::pair<std::uint32_t, QByteArray> cases[] = {
        // One read of 26 sectors: 61152 bytes, RIFF size 61188.
        {26 * kSector, hex("52494646 04ef0000 57415645 666d7420 10000000 0100 0200"
                           "44ac0000 10b10200 0400 1000 64617461 e0ee0000")},
        {0, hex("52494646 24000000 57415645 666d7420 10000000 0100 0200"
                "44ac0000 10b10200 0400 1000 64617461 00000000")},
        // A 74-minute track, 333000 sectors: 783216000 bytes.
        {333000 * kSector, hex("52494646 a4edae2e 57415645 666d7420 10000000 0100 0200"
                               "44ac0000 10b10200 0400 1000 64617461 80edae2e")},
        // The RIFF size cannot pass 32 bits.
        {0xFFFFFFF0u, hex("52494646 ffffffff 57415645 666d7420 10000000 0100 0200"
                          "44ac0000 10b10200 0400 1000 64617461 f0ffffff")},
    };
    for (const auto& [data, golden] : cases) {
        const QByteArray h = WavHeader::build(data);
        ASSERT_EQ(h.size(), WavHeader::kSize);
        EXPECT_EQ(h.toHex(' '), golden.toHex(' ')) << data;
    }
}

TEST(WavSizeFix, HeaderTellsWhatIsInTheFile)
{
    const struct
    {
        std::uint32_t announced;  // data size the header was written with
        int written;              // audio bytes actually behind it
        std::uint32_t expected;   // data size after the fix
    } cases[] = {
        {10 * kSector, 3 * kSector, 3 * kSector},                    // aborted
        {100 * kSector, 31 * kSector, 31 * kSector},                 // read error
        {4 * kSector, 4 * kSector, 4 * kSector},                     // complete: unchanged
        {26 * kSector, 0, 0},                                        // nothing read
        {10 * kSector, int(2 * kSector) + 3, 2 * kSector},           // half a frame dropped
        {1 * kSector, 2 * kSector, 2 * kSector},                     // more than announced
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("03_-_Track.wav"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        const QByteArray pcm = audio(c.written);
        ASSERT_TRUE(writeFile(path, WavHeader::build(c.announced) + pcm));
        QString error;
        ASSERT_TRUE(WavHeader::fixSizes(path, &error)) << error.toStdString();
        // Byte for byte: the header of the bytes kept, then those bytes unchanged.
        EXPECT_EQ(readFile(path).toHex(), (WavHeader::build(c.expected) + pcm.left(int(c.expected))).toHex());

        // And an independent reader agrees.
        SF_INFO info{};
        SNDFILE* sf = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
        ASSERT_NE(sf, nullptr) << sf_strerror(nullptr);
        EXPECT_EQ(info.frames, sf_count_t(c.expected / 4));
        EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
        sf_close(sf);
    }
}

TEST(WavSizeFixRefusal, LeavesOtherFilesAlone)
{
    QTemporaryDir dir;
    QByteArray foreignHeader = WavHeader::build(8);
    foreignHeader.replace(36, 4, "LIST"); // another chunk where our data chunk sits
    const std::pair<const char*, QByteArray> cases[] = {
        {"short.wav", QByteArray("RIFF\x10\0\0\0WAVE", 12)},
        {"song.mp3", QByteArray("ID3\x03\0\0\0\0\0\0", 10) + audio(100)},
        {"other-layout.wav", foreignHeader + audio(8)},
        {"empty.wav", QByteArray()},
    };
    for (const auto& [name, bytes] : cases) {
        const QString path = dir.filePath(QString::fromUtf8(name));
        ASSERT_TRUE(writeFile(path, bytes));
        QString error;
        EXPECT_FALSE(WavHeader::fixSizes(path, &error)) << name;
        EXPECT_TRUE(error.startsWith(path)) << error.toStdString();
        EXPECT_EQ(readFile(path), bytes) << name;
    }

    const QString missing = dir.filePath(QStringLiteral("missing.wav"));
    QString error;
    EXPECT_FALSE(WavHeader::fixSizes(missing, &error));
    EXPECT_TRUE(error.startsWith(missing));
    EXPECT_FALSE(QFile::exists(missing)) << "the fix must not create a file";
}

} // namespace
