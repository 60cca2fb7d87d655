// SPDX-License-Identifier: GPL-2.0-or-later
#include "mp3fixture.h"
#include "tags/id3v1tag.h"

#include <QBuffer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace trackmill {
namespace {

using test::readWholeFile;
using test::writeWholeFile;

QByteArray bytes(const char* s, int n)
{
    return QByteArray(s, n);
}

TEST(TID3v1Tag, GoldenBytesOfAVersion11Tag)
{
    TID3v1Tag tag;
    tag.setArtist(QStringLiteral("Band"));
    tag.setTitle(QStringLiteral("Song"));
    tag.setGenre(13);
    tag.setYear(QStringLiteral("2001"));
    tag.setComment(QStringLiteral("Ripped & encoded - Trackmill"));
    tag.setAlbum(QStringLiteral("Album"));
    tag.setTrack(3);
    const QByteArray expected = bytes(
        "TAG"
        "Song                          "
        "Band                          "
        "Album                         "
        "2001"
        "Ripped & encoded - Trackmill"
        "\x00\x03\x0d",
        128);
    EXPECT_EQ(tag.toBytes(), expected);
}

struct LayoutCase
{
    const char* name;
    std::function<void(TID3v1Tag&)> fill;
    int offset;
    QByteArray expected;
};

TEST(TID3v1Tag, FieldLayout)
{
    const QString thirty = QStringLiteral("123456789012345678901234567890");
    const LayoutCase cases[] = {
        {"title of 35 characters keeps 30",
         [](TID3v1Tag& t) { t.setTitle(QStringLiteral("12345678901234567890123456789012345")); }, 3,
         "123456789012345678901234567890"},
        {"short artist padded with spaces, no zero",
         [](TID3v1Tag& t) { t.setArtist(QStringLiteral("AB")); }, 33,
         "AB                            "},
        {"empty album is 30 spaces", [](TID3v1Tag&) {}, 63, QByteArray(30, ' ')},
        {"year 2001 fills its 4 bytes", [](TID3v1Tag& t) { t.setYear(QStringLiteral("2001")); }, 93, "2001"},
        {"year cut to 4", [](TID3v1Tag& t) { t.setYear(QStringLiteral("20011")); }, 93, "2001"},
        {"empty year is four spaces", [](TID3v1Tag& t) { t.setYear(QString()); }, 93, "    "},
        {"comment of 30 with track 5: 28 survive, then 0 and 5",
         [&](TID3v1Tag& t) { t.setComment(thirty); t.setTrack(5); }, 97,
         bytes("1234567890123456789012345678\x00\x05", 30)},
        {"comment of 30 with track 0: all 30 stay",
         [&](TID3v1Tag& t) { t.setComment(thirty); t.setTrack(0); }, 97, thirty.toLatin1()},
        {"back to track 0 after a track: version 1.0 layout again",
         [&](TID3v1Tag& t) { t.setTrack(7); t.setComment(thirty); t.setTrack(0); }, 97, thirty.toLatin1()},
        {"track stores its low byte", [](TID3v1Tag& t) { t.setTrack(300); }, 125, bytes("\x00\x2c", 2)},
        {"genre byte", [](TID3v1Tag& t) { t.setGenre(13); }, 127, "\x0d"},
        {"accented Latin-1 stays one byte each",
         [](TID3v1Tag& t) { t.setTitle(QStringLiteral("Zoë Café")); }, 3,
         bytes("Zo\xeb Caf\xe9                      ", 30)},
        {"decomposed accent composed first",
         [](TID3v1Tag& t) { t.setTitle(QStringLiteral("Cafe\u0301")); }, 3,
         bytes("Caf\xe9                          ", 30)},
        {"Polish letters outside Latin-1 become ?",
         [](TID3v1Tag& t) { t.setArtist(QStringLiteral("Zażółć")); }, 33,
         bytes("Za?\xf3??                        ", 30)},
        {"Japanese becomes ?", [](TID3v1Tag& t) { t.setAlbum(QStringLiteral("東京")); }, 63,
         "??                            "},
        {"a character outside the basic plane is one ?",
         [](TID3v1Tag& t) { t.setTitle(QStringLiteral("a\U0001F600b")); }, 3,
         "a?b                           "},
        {"31 Japanese characters keep 30",
         [](TID3v1Tag& t) { t.setTitle(QString(31, QChar(0x6771))); }, 3, QByteArray(30, '?')},
    };
    for (const auto& c : cases) {
        TID3v1Tag tag;
        c.fill(tag);
        const QByteArray all = tag.toBytes();
        ASSERT_EQ(all.size(), 128) << c.name;
        EXPECT_TRUE(all.startsWith("TAG")) << c.name;
        EXPECT_EQ(all.mid(c.offset, c.expected.size()), c.expected) << c.name;
    }
}

TEST(TID3v1Tag, ModifiedOnlyWhenTheCutValueChanges)
{
    TID3v1Tag tag;
    tag.setText(TID3v1Tag::Title, QStringLiteral("12345678901234567890123456789012345"));
    EXPECT_TRUE(tag.modified());
    char buffer[128];
    ASSERT_TRUE(tag.saveToBuffer(buffer, sizeof buffer));
    EXPECT_FALSE(tag.modified());
    // Different input with the same first 30 characters, equal numbers, an
    // unknown index: nothing changes.
    tag.setText(TID3v1Tag::Title, QStringLiteral("123456789012345678901234567890XYZ"));
    tag.setText(99, QStringLiteral("ignored"));
    tag.setGenre(0);
    tag.setTrack(0);
    EXPECT_FALSE(tag.modified());
    tag.setTrack(4);
    EXPECT_TRUE(tag.modified());
    EXPECT_FALSE(tag.noTrack());
}

TEST(TID3v1Tag, SaveToBufferAndStream)
{
    TID3v1Tag tag;
    tag.setTitle(QStringLiteral("Song"));
    char small[127];
    QString error;
    EXPECT_FALSE(tag.saveToBuffer(small, sizeof small, &error));
    EXPECT_EQ(error, QStringLiteral("TID3v1Tag.Save: Buffer too small"));
    EXPECT_TRUE(tag.modified());

    QByteArray big(200, 'x');
    ASSERT_TRUE(tag.saveToBuffer(big.data(), big.size()));
    EXPECT_EQ(big.left(128), tag.toBytes());
    EXPECT_EQ(big.mid(128), QByteArray(72, 'x'));  // nothing beyond the tag

    QBuffer stream;
    stream.open(QIODevice::WriteOnly);
    stream.write("audio");
    ASSERT_TRUE(tag.saveToStream(stream));
    EXPECT_EQ(stream.data(), QByteArray("audio") + tag.toBytes());
}

TEST(TID3v1Tag, SaveToFileAppendsOrReplaces)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.mp3"));
    const QByteArray audio(100, '\x55');
    ASSERT_TRUE(writeWholeFile(path, audio));

    TID3v1Tag tag;
    tag.setTitle(QStringLiteral("First"));
    tag.setTrack(1);
    ASSERT_TRUE(tag.saveToFile(path));
    EXPECT_FALSE(tag.modified());
    QByteArray file = readWholeFile(path);
    ASSERT_EQ(file.size(), 228);
    EXPECT_EQ(file.left(100), audio);
    EXPECT_EQ(file.mid(100), tag.toBytes());

    // Tagging again replaces the tag in place: the file keeps its size.
    tag.setTitle(QStringLiteral("Second"));
    ASSERT_TRUE(tag.saveToFile(path));
    file = readWholeFile(path);
    ASSERT_EQ(file.size(), 228);
    EXPECT_EQ(file.left(100), audio);
    EXPECT_EQ(file.mid(100), tag.toBytes());

    // Shorter than a tag: appended.
    const QString tiny = dir.filePath(QStringLiteral("tiny.mp3"));
    ASSERT_TRUE(writeWholeFile(tiny, "TAG"));
    ASSERT_TRUE(tag.saveToFile(tiny));
    EXPECT_EQ(readWholeFile(tiny), QByteArray("TAG") + tag.toBytes());

    // Exactly 128 bytes starting with TAG: replaced.
    const QString old = dir.filePath(QStringLiteral("old.mp3"));
    ASSERT_TRUE(writeWholeFile(old, QByteArray("TAG") + QByteArray(125, 'z')));
    ASSERT_TRUE(tag.saveToFile(old));
    EXPECT_EQ(readWholeFile(old), tag.toBytes());
}

TEST(TID3v1Tag, SaveToMissingFileFailsAndCreatesNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing.mp3"));
    TID3v1Tag tag;
    tag.setTitle(QStringLiteral("Song"));
    QString error;
    EXPECT_FALSE(tag.saveToFile(path, &error));
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_TRUE(tag.modified());
}

}
}
