// SPDX-License-Identifier: GPL-2.0-or-later
#include "tags/id3v23tagbuilder.h"

#include <QList>
#include <QtEndian>
#include <gtest/gtest.h>

namespace trackmill {
namespace {

#define B(literal) QByteArray(literal, sizeof(literal) - 1)

Id3v23TagBuilder::Texts editorDefaults()
{
    Id3v23TagBuilder::Texts t;
    t.track = QStringLiteral("3/12");
    t.title = QStringLiteral("Song");
    t.artist = QStringLiteral("Band");
    t.album = QStringLiteral("Album");
    t.genre = QStringLiteral("Pop");
    t.encodedBy = QStringLiteral("Trackmill 2.0");
    t.comment = QStringLiteral("Ripped & encoded - Trackmill");
    t.url = QStringLiteral("http://x/");
    return t;
}

TEST(Id3v23TagBuilder, GoldenBytesOfAWholeTag)
{
    // Every frame is present, empty ones with size 1, in this order; track
    // "3/12" has frame size 5, an empty year 11 bytes in all, the default
    // comment size 44.
    const QByteArray expected = B(
        "ID3\x03\x00\x00\x00\x00\x01h"
        "TRCK\x00\x00\x00\x05\x00\x00\x00" "3/12"
        "TIT2\x00\x00\x00\x05\x00\x00\x00Song"
        "TPE1\x00\x00\x00\x05\x00\x00\x00" "Band"
        "TALB\x00\x00\x00\x06\x00\x00\x00" "Album"
        "TYER\x00\x00\x00\x01\x00\x00\x00"
        "TCON\x00\x00\x00\x04\x00\x00\x00Pop"
        "TCOM\x00\x00\x00\x01\x00\x00\x00"
        "TOPE\x00\x00\x00\x01\x00\x00\x00"
        "TCOP\x00\x00\x00\x01\x00\x00\x00"
        "TENC\x00\x00\x00\x0e\x00\x00\x00Trackmill 2.0"
        "COMM\x00\x00\x00,\x00\x00\x00" "engDescription\x00Ripped & encoded - Trackmill"
        "WXXX\x00\x00\x00\x19\x00\x00\x00URLDescription\x00http://x/");
    Id3v23TagBuilder builder;
    QByteArray tag;
    ASSERT_TRUE(builder.build(editorDefaults(), &tag));
    EXPECT_EQ(tag, expected);
    EXPECT_EQ(Id3v23TagBuilder::GetTagSize(editorDefaults()), 232);

    // A memo of several lines keeps CR LF between them, nothing at the end.
    builder.InitializationArray();
    builder.SaveCOMMFrameToArray(QStringLiteral("one\r\ntwo"));
    EXPECT_EQ(builder.written().mid(10 + 10 + 16), QByteArray("one\r\ntwo"));
    // 200 bytes of frames: size bytes 0 0 1 72; the largest size 2^28 - 1.
    EXPECT_EQ(Id3v23TagBuilder::syncsafe(200), B("\x00\x00\x01\x48"));
    EXPECT_EQ(Id3v23TagBuilder::syncsafe((1u << 28) - 1), B("\x7f\x7f\x7f\x7f"));
}

TEST(Id3v23TagBuilder, TextsOutsideLatin1AreUtf16WithByteOrderMark)
{
    const std::pair<QString, QByteArray> texts[] = {
        {QStringLiteral("Café"), B("\x00" "Caf\xe9")},                   // Latin-1 stays encoding 0
        {QStringLiteral("Ωμ"), B("\x01\xff\xfe\xa9\x03\xbc\x03")},        // UTF-16 LE, no terminator
        {QStringLiteral("óż"), B("\x01\xff\xfe\xf3\x00\x7c\x01")},        // all of it, not just ż
        {QStringLiteral("\U0001F600"), B("\x01\xff\xfe\x3d\xd8\x00\xde")}, // surrogate pair
        {QStringLiteral("e\u0301"), B("\x00\xe9")},                       // composed first
    };
    for (const auto& [text, body] : texts)
        EXPECT_EQ(Id3v23TagBuilder::textFrameBody(text), body) << text.toStdString();

    // The descriptor follows the comment's encoding; the language stays Latin-1.
    QByteArray comm = B("\x01" "eng\xff\xfe");
    for (char c : QByteArray("Description"))
        comm += QByteArray(1, c) + QByteArray(1, '\0');
    comm += B("\x00\x00\xff\xfe\x71\x67\xac\x4e");
    EXPECT_EQ(Id3v23TagBuilder::commentFrameBody(QStringLiteral("東京")), comm);

    // The URL stays Latin-1; what it cannot hold is percent-encoded UTF-8.
    EXPECT_EQ(Id3v23TagBuilder::urlFrameBody(QStringLiteral("http://x/東")),
              B("\x00" "URLDescription\x00" "http://x/%E6%9D%B1"));
}

TEST(Id3v23TagBuilder, LongTextsAreWrittenWholeBeyondTheInitialBuffer)
{
    Id3v23TagBuilder::Texts texts = editorDefaults();
    texts.comment = QString(9000, QChar('c'));
    texts.artist = QString(3000, QChar(0x65e5));
    Id3v23TagBuilder builder;
    QByteArray tag;
    ASSERT_TRUE(builder.build(texts, &tag));
    const qint64 size = Id3v23TagBuilder::GetTagSize(texts);
    EXPECT_GT(size, Id3v23TagBuilder::InitialBufferSize);
    ASSERT_EQ(tag.size(), 10 + size);
    EXPECT_EQ(tag.mid(6, 4), Id3v23TagBuilder::syncsafe(quint32(size)));

    // Walk the frames by their sizes: all twelve, the long ones whole.
    QList<QByteArray> ids;
    qsizetype at = 10;
    while (at + 10 <= tag.size()) {
        const QByteArray id = tag.mid(at, 4);
        const quint32 frameSize = qFromBigEndian<quint32>(tag.constData() + at + 4);
        if (id == "TPE1") {
            EXPECT_EQ(frameSize, 1u + 2 + 2 * 3000);
        }
        if (id == "COMM") {
            EXPECT_EQ(frameSize, 16u + 9000);
            EXPECT_EQ(tag.mid(at + 10 + 16, 9000), QByteArray(9000, 'c'));
        }
        ids.append(id);
        at += 10 + frameSize;
    }
    EXPECT_EQ(at, tag.size());
    EXPECT_EQ(ids, (QList<QByteArray>{"TRCK", "TIT2", "TPE1", "TALB", "TYER", "TCON", "TCOM", "TOPE", "TCOP",
                                      "TENC", "COMM", "WXXX"}));

    // Reused for the next track: nothing of the long tag stays.
    ASSERT_TRUE(builder.build(editorDefaults(), &tag));
    EXPECT_EQ(tag.size(), 242);
}

}
}
