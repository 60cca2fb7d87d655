// SPDX-License-Identifier: GPL-2.0-or-later
#include "mp3fixture.h"
#include "tags/id3v1tag.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace trackmill {
namespace {

using test::readWholeFile;
using test::writeWholeFile;

#define B(literal) QByteArray(literal, sizeof(literal) - 1)

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
    EXPECT_EQ(tag.toBytes(), B("TAG" "Song                          " "Band                          "
                               "Album                         " "2001" "Ripped & encoded - Trackmill"
                               "\x00\x03\x0d"));
}

TEST(TID3v1Tag, FieldLayout)
{
    const QString thirty = QStringLiteral("123456789012345678901234567890");
    const struct
    {
        const char* name;
        std::function<void(TID3v1Tag&)> fill;
        int offset;
        QByteArray expected;
    } cases[] = {
        {"title of 35 keeps 30", [](TID3v1Tag& t) { t.setTitle(QStringLiteral("12345678901234567890123456789012345")); },
         3, "123456789012345678901234567890"},
        {"empty album is 30 spaces", [](TID3v1Tag&) {}, 63, QByteArray(30, ' ')},
        {"year cut to 4", [](TID3v1Tag& t) { t.setYear(QStringLiteral("20011")); }, 93, "2001"},
        {"empty year is four spaces", [](TID3v1Tag& t) { t.setYear(QString()); }, 93, "    "},
        {"comment of 30 with track 5: 28 survive", [&](TID3v1Tag& t) { t.setComment(thirty); t.setTrack(5); }, 97,
         B("1234567890123456789012345678\x00\x05")},
        {"back to track 0: version 1.0 layout", [&](TID3v1Tag& t) { t.setTrack(7); t.setComment(thirty); t.setTrack(0); },
         97, thirty.toLatin1()},
        {"track stores its low byte", [](TID3v1Tag& t) { t.setTrack(300); }, 125, B("\x00\x2c")},
        {"accented Latin-1", [](TID3v1Tag& t) { t.setTitle(QStringLiteral("Zoë Café")); }, 3,
         B("Zo\xeb Caf\xe9                      ")},
        {"decomposed accent composed", [](TID3v1Tag& t) { t.setTitle(QStringLiteral("Cafe\u0301")); }, 3,
         B("Caf\xe9                          ")},
        {"Polish outside Latin-1 becomes ?", [](TID3v1Tag& t) { t.setArtist(QStringLiteral("Zażółć")); }, 33,
         B("Za?\xf3??                        ")},
        {"outside the basic plane is one ?", [](TID3v1Tag& t) { t.setTitle(QStringLiteral("a\U0001F600b")); }, 3,
         "a?b                           "},
        {"31 Japanese characters keep 30", [](TID3v1Tag& t) { t.setAlbum(QString(31, QChar(0x6771))); }, 63,
         QByteArray(30, '?')},
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

TEST(TID3v1Tag, SaveToFileReplacesATagThereAndAppendsOtherwise)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.mp3"));
    TID3v1Tag old;
    old.setTitle(QStringLiteral("Old"));
    TID3v1Tag tag;
    tag.setTitle(QStringLiteral("New"));
    tag.setTrack(1);
    const QByteArray audio(100, '\x55');
    const struct
    {
        QByteArray before, keptHead;
    } cases[] = {
        {audio, audio},
        {audio + old.toBytes(), audio},
        {"TAG", "TAG"},  // shorter than a tag
        {"TAG" + QByteArray(125, 'z'), ""},  // exactly a tag
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(writeWholeFile(path, c.before));
        tag.setComment(QString::number(c.before.size()));  // modified again each time
        ASSERT_TRUE(tag.saveToFile(path));
        EXPECT_FALSE(tag.modified());
        EXPECT_EQ(readWholeFile(path), c.keptHead + tag.toBytes()) << c.before.size();
    }

    // A missing file is reported and not created.
    const QString missing = dir.filePath(QStringLiteral("missing.mp3"));
    tag.setTitle(QStringLiteral("Song"));
    QString error;
    EXPECT_FALSE(tag.saveToFile(missing, &error));
    EXPECT_TRUE(error.contains(missing)) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_TRUE(tag.modified());
}

}
}
