// SPDX-License-Identifier: GPL-2.0-or-later
#include "tags/id3v23tagbuilder.h"

#include <QList>
#include <QtEndian>
#include <gtest/gtest.h>

namespace trackmill {
namespace {

QByteArray frameBytes(const char* id, const QByteArray& body)
{
    QByteArray f(id, 4);
    char size[4];
    qToBigEndian(quint32(body.size()), size);
    return f + QByteArray(size, 4) + QByteArray(2, '\0') + body;
}

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
    // Every frame is present, empty ones with size 1, in this order.
    const QByteArray expected(
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
        "WXXX\x00\x00\x00\x19\x00\x00\x00URLDescription\x00http://x/"
        , 242);
    Id3v23TagBuilder builder;
    QByteArray tag;
    ASSERT_TRUE(builder.build(editorDefaults(), &tag));
    EXPECT_EQ(tag, expected);
    EXPECT_EQ(Id3v23TagBuilder::GetTagSize(editorDefaults()), 232);
}

TEST(Id3v23TagBuilder, FramesOfKnownExamples)
{
    // Track 3 of 12 track rows: text 3/12, frame size 5.
    EXPECT_EQ(frameBytes("TRCK", Id3v23TagBuilder::textFrameBody(QStringLiteral("3/12"))),
              QByteArray("TRCK\x00\x00\x00\x05\x00\x00\x00" "3/12", 15));
    // An empty year: 11 bytes, size 1.
    Id3v23TagBuilder builder;
    builder.InitializationArray();
    builder.SaveFrameToArray("TYER", QString());
    EXPECT_EQ(builder.nextFrameOffset(), 10 + 11);
    EXPECT_EQ(builder.written().mid(10), QByteArray("TYER\x00\x00\x00\x01\x00\x00\x00", 11));
    // The default comment: size 44 = 16 + 28, text exactly the line.
    builder.SaveCOMMFrameToArray(QStringLiteral("Ripped & encoded - Trackmill"));
    const QByteArray comm = builder.written().mid(21);
    EXPECT_EQ(comm.left(8), QByteArray("COMM\x00\x00\x00\x2c", 8));
    EXPECT_EQ(comm.size(), 10 + 44);
    EXPECT_EQ(comm.mid(10 + 16), QByteArray("Ripped & encoded - Trackmill"));
    // A memo of several lines keeps CR LF between them, and nothing at the end.
    builder.InitializationArray();
    builder.SaveCOMMFrameToArray(QStringLiteral("one\r\ntwo"));
    EXPECT_EQ(builder.written().mid(10 + 10 + 16), QByteArray("one\r\ntwo"));
    // 200 bytes of frames: size bytes 0 0 1 72; the largest size 2^28 - 1.
    EXPECT_EQ(Id3v23TagBuilder::syncsafe(200), QByteArray("\x00\x00\x01\x48", 4));
    EXPECT_EQ(Id3v23TagBuilder::syncsafe((1u << 28) - 1), QByteArray("\x7f\x7f\x7f\x7f", 4));
}

TEST(Id3v23TagBuilder, TextsOutsideLatin1AreUtf16WithByteOrderMark)
{
    // Latin-1 text stays one byte per character, encoding 0.
    EXPECT_EQ(Id3v23TagBuilder::textFrameBody(QStringLiteral("Café")),
              QByteArray("\x00" "Caf\xe9", 5));
    // Greek: encoding 1, FF FE, UTF-16 little-endian, no terminator.
    EXPECT_EQ(Id3v23TagBuilder::textFrameBody(QStringLiteral("Ωμ")),
              QByteArray("\x01\xff\xfe\xa9\x03\xbc\x03", 7));
    // Polish mixed with Latin-1 letters: the whole text goes to UTF-16.
    EXPECT_EQ(Id3v23TagBuilder::textFrameBody(QStringLiteral("óż")),
              QByteArray("\x01\xff\xfe\xf3\x00\x7c\x01", 7));
    // Outside the basic plane: a surrogate pair.
    EXPECT_EQ(Id3v23TagBuilder::textFrameBody(QStringLiteral("\U0001F600")),
              QByteArray("\x01\xff\xfe\x3d\xd8\x00\xde", 7));
    // A decomposed accent that Latin-1 holds once composed stays Latin-1.
    EXPECT_EQ(Id3v23TagBuilder::textFrameBody(QStringLiteral("e\u0301")), QByteArray("\x00\xe9", 2));

    // The comment's descriptor follows the comment's encoding, the
    // language stays three Latin-1 bytes.
    const QByteArray comm = Id3v23TagBuilder::commentFrameBody(QStringLiteral("東京"));
    QByteArray expected("\x01" "eng", 4);
    expected += QByteArray("\xff\xfe", 2);
    for (char c : QByteArray("Description"))
        expected += QByteArray(1, c) + QByteArray(1, '\0');
    expected += QByteArray("\x00\x00\xff\xfe\x71\x67\xac\x4e", 8);
    EXPECT_EQ(comm, expected);

    // The URL stays Latin-1; what it cannot hold is percent-encoded UTF-8.
    EXPECT_EQ(Id3v23TagBuilder::urlFrameBody(QStringLiteral("http://x/東")),
              QByteArray("\x00" "URLDescription\x00" "http://x/%E6%9D%B1", 34));
}

TEST(Id3v23TagBuilder, LongTextsAreWrittenWholeBeyondTheInitialBuffer)
{
    Id3v23TagBuilder::Texts texts = editorDefaults();
    texts.comment = QString(9000, QChar('c'));
    texts.artist = QString(3000, QChar(0x65e5));  // 3000 Japanese characters
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
    while (at < tag.size()) {
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
    const QList<QByteArray> order = {"TRCK", "TIT2", "TPE1", "TALB", "TYER", "TCON",
                                     "TCOM", "TOPE", "TCOP", "TENC", "COMM", "WXXX"};
    EXPECT_EQ(ids, order);

    // The builder is reused for the next track: nothing of the long tag stays.
    ASSERT_TRUE(builder.build(editorDefaults(), &tag));
    EXPECT_EQ(tag.size(), 242);
}

}
}
