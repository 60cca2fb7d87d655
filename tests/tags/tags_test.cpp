// SPDX-License-Identifier: GPL-2.0-or-later
// The genre table, both ID3 tags byte for byte, and both written around a
// real MP3 stream and read back by TagLib.
#include "mp3fixture.h"
#include "tags/genrelist.h"
#include "tags/id3v1tag.h"
#include "tags/id3v23tagbuilder.h"
#include "tags/id3v2filewriter.h"
#include "tags/tagfields.h"
#include "tags/tagwriter.h"

#include "filesizelimit.h"
#include "jpegfixture.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <attachedpictureframe.h>
#include <id3v1tag.h>
#include <id3v2tag.h>
#include <mpegfile.h>

#include <csignal>
#include <cstring>
#include <sys/resource.h>

namespace trackmill {
namespace {

using test::readWholeFile;
using test::sineMp3;
using test::writeWholeFile;

#define B(literal) QByteArray(literal, sizeof(literal) - 1)

TEST(GenreList, NumbersNamesAndSortedOrder)
{
    const GenreList genres;
    EXPECT_EQ(genres.name(140) + genres.name(147) + genres.name(148) + genres.name(-1), "Contemporary Ch?Synthpop");

    // A permutation of the 148 entries in case-insensitive order ("Jazz"
    // before "JPop", which a byte-wise sort gets wrong).
    const auto& sorted = genres.sorted();
    QSet<int> numbers;
    for (int i = 0; i < sorted.size(); ++i) {
        EXPECT_EQ(genres.sortedPosition(sorted[i].number), i);
        numbers.insert(sorted[i].number);
        EXPECT_TRUE(i == 0 || sorted[i - 1].name.compare(sorted[i].name, Qt::CaseInsensitive) <= 0) << i;
    }
    EXPECT_EQ(numbers.size(), 148);
    EXPECT_EQ(sorted.at(GenreList::PopPosition).number, 13);  // the drop-downs' default
}

// A genre named elsewhere (a CDDB entry's DGENRE) as the entry of the list
// nearest to it, or none.
TEST(GenreList, NearestEntryToAGenreNamedElsewhere)
{
    const GenreList genres;
    const std::pair<const char*, const char*> cases[] = {
        {"Rock", "Rock"},          {"rock", "Rock"},           {"hip hop", "Hip-Hop"},
        {"R & B", "R&B"},          {"Rock and Roll", "Rock & Roll"}, {"Alternative Rock", "AlternRock"},
        {"Electronica", "Electronic"}, {"Soundtracks", "Soundtrack"}, {"Rhythm and Blues", "R&B"},
        {"Synth-Pop", "Synthpop"}, {"Jazz ", "Jazz"},
        {"", ""},                  {"Rok", ""},  // short names must match exactly
        {"Polka Noir Revival", ""}, {"---", ""},
    };
    for (const auto& [name, entry] : cases) {
        const int position = genres.nearestPosition(QString::fromUtf8(name));
        EXPECT_EQ(position < 0 ? QString() : genres.sorted().value(position).name, QString::fromUtf8(entry)) << name;
    }
}

TEST(TID3v1Tag, GoldenBytesAndFieldLayout)
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

    // Cut to 30; outside Latin-1 a "?" a character; a full comment keeps
    // 28 with a track, all 30 (version 1.0) once the track is 0 again.
    TID3v1Tag t;
    t.setTitle(QStringLiteral("12345678901234567890123456789012345"));
    t.setArtist(QStringLiteral("Zażółć"));
    t.setAlbum(QStringLiteral("a\U0001F600b"));
    t.setTrack(5);
    t.setComment(QStringLiteral("123456789012345678901234567890"));
    const QByteArray bytes = t.toBytes();
    EXPECT_EQ(bytes.mid(3, 90), B("123456789012345678901234567890" "Za?\xf3??                        "
                                  "a?b                           "));
    EXPECT_EQ(bytes.mid(97, 30), B("1234567890123456789012345678\x00\x05"));
    t.setTrack(0);
    EXPECT_EQ(t.toBytes().mid(97, 30), QByteArray("123456789012345678901234567890"));
}

TEST(TID3v1Tag, SaveToFileReplacesATagThereAndAppendsOtherwise)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.mp3"));
    TID3v1Tag old;
    old.setTitle(QStringLiteral("Old"));
    TID3v1Tag tag;
    tag.setTitle(QStringLiteral("New"));
    const QByteArray audio(100, '\x55');
    const std::pair<QByteArray, QByteArray> cases[] = {
        {audio, audio},
        {audio + old.toBytes(), audio},
        {"TAG", "TAG"},  // shorter than a tag
        {"TAG" + QByteArray(125, 'z'), ""},  // exactly a tag
    };
    for (const auto& [before, keptHead] : cases) {
        ASSERT_TRUE(writeWholeFile(path, before));
        tag.setComment(QString::number(before.size()));  // modified again each time
        ASSERT_TRUE(tag.saveToFile(path));
        EXPECT_FALSE(tag.modified());
        EXPECT_EQ(readWholeFile(path), keptHead + tag.toBytes()) << before.size();
    }
}

Id3v23TagBuilder::Texts editorDefaults()
{
    return {"3/12", "Song", "Band", "Album", {}, "Pop", {}, {}, {}, "Trackmill 2.0", "Ripped & encoded - Trackmill",
            "http://x/"};
}

TEST(Id3v23TagBuilder, GoldenBytesOfALatin1Tag)
{
    // Every frame is present, empty ones with size 1, in this order.
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

    // Long texts are written whole beyond the initial buffer.
    Id3v23TagBuilder::Texts texts = editorDefaults();
    texts.comment = QString(9000, QChar('c'));
    texts.artist = QString(3000, QChar(0x65e5));
    ASSERT_TRUE(builder.build(texts, &tag));
    const qint64 size = Id3v23TagBuilder::GetTagSize(texts);
    ASSERT_EQ(tag.size(), 10 + size);
    EXPECT_EQ(tag.mid(6, 4), Id3v23TagBuilder::syncsafe(quint32(size)));
    EXPECT_TRUE(tag.contains(B("COMM\x00\x00\x23\x38\x00\x00\x00" "engDescription\x00") + QByteArray(9000, 'c')));

    // Reused for the next track: nothing of the long tag stays.
    ASSERT_TRUE(builder.build(editorDefaults(), &tag));
    EXPECT_EQ(tag, expected);
}

TEST(Id3v23TagBuilder, TextsOutsideLatin1AreUtf16WithByteOrderMark)
{
    const std::pair<QString, QByteArray> texts[] = {
        {QStringLiteral("Ωμ"), B("\x01\xff\xfe\xa9\x03\xbc\x03")},        // UTF-16 LE, no terminator
        {QStringLiteral("óż"), B("\x01\xff\xfe\xf3\x00\x7c\x01")},        // all of it, not just ż
        {QStringLiteral("\U0001F600"), B("\x01\xff\xfe\x3d\xd8\x00\xde")}, // surrogate pair
        {QStringLiteral("e\u0301"), B("\x00\xe9")},                       // composed first: Latin-1
    };
    for (const auto& [text, body] : texts)
        EXPECT_EQ(Id3v23TagBuilder::textFrameBody(text), body) << text.toStdString();

    // The descriptor follows the comment's encoding; the language stays Latin-1.
    EXPECT_EQ(Id3v23TagBuilder::commentFrameBody(QStringLiteral("東京")),
              B("\x01" "eng\xff\xfe" "D\0e\0s\0c\0r\0i\0p\0t\0i\0o\0n\0" "\0\0\xff\xfe\x71\x67\xac\x4e"));

    // The URL stays Latin-1; what it cannot hold is percent-encoded UTF-8.
    EXPECT_EQ(Id3v23TagBuilder::urlFrameBody(QStringLiteral("http://x/東")),
              B("\x00" "URLDescription\x00" "http://x/%E6%9D%B1"));
}

QString qs(const TagLib::String& s)
{
    return QString::fromUtf8(s.toCString(true));
}

QString frameText(TagLib::ID3v2::Tag* tag, const char* id)
{
    const auto& list = tag->frameListMap()[id];
    return list.isEmpty() ? QStringLiteral("<missing>") : qs(list.front()->toString());
}

TagEditorFields editorFields(const QString& artist, const QString& album, const QString& comment2 = {})
{
    TagEditorFields f;
    f.artist = f.artist2 = f.originalArtist2 = f.composer2 = artist;
    f.album = f.album2 = album;
    f.year = f.year2 = QStringLiteral("2001");
    f.genre = 13;
    f.genre2 = QStringLiteral("Pop");
    f.comment = QStringLiteral("Ripped & encoded - Trackmill");
    f.comment2 = comment2;
    f.copyright2 = TagWriter::copyrightFor(artist);
    f.url2 = QStringLiteral("https://trackmill.example/");
    f.encodedBy2 = QStringLiteral("Trackmill 2.0");
    return f;
}

class TagWriterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mp3 = sineMp3();
        path = dir.filePath(QStringLiteral("03 Song.mp3"));
        ASSERT_TRUE(writeWholeFile(path, mp3));
        track.fileName = path;
    }
    // Where the audio starts, from the size in the leading tag's header.
    static qint64 audioStart(const QByteArray& file)
    {
        return 10 + ((qint64(file[6]) << 21) | (qint64(file[7]) << 14) | (qint64(file[8]) << 7) | qint64(file[9]));
    }
    void expectUntouched() const
    {
        EXPECT_EQ(readWholeFile(path), mp3);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"03 Song.mp3"});
    }

    QTemporaryDir dir;
    QByteArray mp3;
    QString path;
    TID3v1Tag id3v1;
    TagWriter writer{id3v1};
    TagSources sources{QStringLiteral("Band"), QStringLiteral("Album"), false, QStringLiteral("/")};
    TrackToTag track{QString(), QStringLiteral("Song"), QStringLiteral("Song"), 1, 1};
};

// Latin-1 and wider texts side by side; version 1.1 shows "?" for what it cannot hold.
TEST_F(TagWriterTest, BothTagsReadBackByAnIndependentReader)
{
    const QString artist = "Zoë Café", album = "初恋", title = "Naïve façade", comment = "Très bien\r\nZażółć gęślą";
    TagEditorFields fields = editorFields(artist, album, comment);
    const TagSources names{artist, album, false, QStringLiteral("/")};
    const TrackToTag song{path, title, artist + "/" + title, 3, 12};
    EXPECT_EQ(writer.SaveTagid3v11(song, names, fields), QString());
    EXPECT_EQ(writer.SaveTagID3v23(song, names, fields), QString());

    // Version 2.3 tag, the MP3 data unchanged, version 1.1 tag; nothing else left.
    const QByteArray file = readWholeFile(path);
    ASSERT_TRUE(file.startsWith(QByteArray("ID3\x03\x00\x00", 6)));
    EXPECT_EQ(file.mid(audioStart(file)), mp3 + id3v1.toBytes());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"03 Song.mp3"});

    TagLib::MPEG::File mpeg(QFile::encodeName(path).constData());
    TagLib::ID3v2::Tag* v2 = mpeg.ID3v2Tag();
    ASSERT_NE(v2, nullptr);
    EXPECT_EQ(mpeg.firstFrameOffset(), audioStart(file));
    // TagLib reads a version 2.3 year frame back as TDRC.
    const std::pair<const char*, QString> frames[] = {
        {"TRCK", "3/12"}, {"TIT2", title}, {"TPE1", artist}, {"TALB", album}, {"TDRC", "2001"}, {"TCON", "Pop"},
        {"TCOM", artist}, {"TOPE", artist}, {"TCOP", "All rights reserved by " + artist}, {"TENC", "Trackmill 2.0"},
        {"COMM", comment}, {"WXXX", "[URLDescription] https://trackmill.example/"}};
    for (const auto& [id, text] : frames)
        EXPECT_EQ(frameText(v2, id), text) << id;

    TagLib::ID3v1::Tag* v1 = mpeg.ID3v1Tag();
    ASSERT_NE(v1, nullptr);
    EXPECT_EQ(QStringList({qs(v1->title()).trimmed(), qs(v1->artist()).trimmed(), qs(v1->album()).trimmed()}),
              QStringList({title, artist, "??"}));
    EXPECT_EQ(QList<unsigned>({v1->year(), v1->track(), v1->genreNumber()}), QList<unsigned>({2001, 3, 13}));
}

// A new disc's start values as they reach a file: every designed frame,
// the URL frame among them but empty, so no file carries an address that
// leads nowhere.
TEST_F(TagWriterTest, StartValuesOfADiscTagEveryFrameAndNoMadeUpAddress)
{
    const GenreList genres;
    TagFields tags(genres);
    tags.initialize(QStringLiteral("Band"), QStringLiteral("Album"));
    EXPECT_EQ(tags.fields().url2, QString());
    const TrackToTag song{path, QStringLiteral("Song"), QStringLiteral("Song"), 1, 1};
    EXPECT_EQ(tags.writeId3v23(song, sources), QString());

    TagLib::MPEG::File mpeg(QFile::encodeName(path).constData());
    TagLib::ID3v2::Tag* v2 = mpeg.ID3v2Tag();
    ASSERT_NE(v2, nullptr);
    const std::pair<const char*, QString> frames[] = {
        {"TCOM", "Band"}, {"TCOP", "All rights reserved by Band"}, {"TENC", "Trackmill 2.0"},
        {"COMM", "Ripped & encoded - Trackmill"}, {"WXXX", "[URLDescription] "}};
    for (const auto& [id, text] : frames)
        EXPECT_EQ(frameText(v2, id), text) << id;
    EXPECT_EQ(v2->frameList().size(), 12u);
    EXPECT_FALSE(readWholeFile(path).contains("://"));
}

TEST_F(TagWriterTest, TaggingAgainReplacesTheVersion2TagInsteadOfStackingIt)
{
    mp3 = sineMp3(5000);  // more than one 64 KiB piece of copying
    ASSERT_TRUE(writeWholeFile(path, mp3));
    TagEditorFields fields = editorFields("Band", "Album");
    ASSERT_EQ(writer.SaveTagid3v11(track, sources, fields), QString());
    ASSERT_EQ(writer.SaveTagID3v23(track, sources, fields), QString());
    fields.comment2 = QString(7000, QChar('x'));  // longer the second time
    ASSERT_EQ(writer.SaveTagID3v23(track, sources, fields), QString());
    fields.comment2 = QStringLiteral("short");  // shorter the third
    ASSERT_EQ(writer.SaveTagID3v23(track, sources, fields), QString());

    const QByteArray file = readWholeFile(path);
    EXPECT_EQ(file.mid(audioStart(file)), mp3 + id3v1.toBytes());
    TagLib::MPEG::File mpeg(QFile::encodeName(path).constData());
    ASSERT_NE(mpeg.ID3v2Tag(), nullptr);
    EXPECT_EQ(qs(mpeg.ID3v2Tag()->comment()), QStringLiteral("short"));
}

// A disc of a set and its front cover: TPOS and APIC after the designed
// frames, only when there is something to say, read back by TagLib.
TEST_F(TagWriterTest, DiscOfASetAndFrontCoverFollowTheDesignedFrames)
{
    Id3v23TagBuilder::Texts texts = editorDefaults();
    texts.partOfSet = QStringLiteral("2/3");
    texts.picture = B("\xff\xd8\xff\xe0jpeg");
    texts.pictureMimeType = "image/jpeg";
    QByteArray tag;
    ASSERT_TRUE(Id3v23TagBuilder().build(texts, &tag));
    EXPECT_TRUE(tag.endsWith(B("http://x/"
                               "TPOS\x00\x00\x00\x04\x00\x00\x00" "2/3"
                               "APIC\x00\x00\x00\x16\x00\x00\x00" "image/jpeg\x00\x03\x00\xff\xd8\xff\xe0jpeg")));
    EXPECT_EQ(tag.mid(6, 4), Id3v23TagBuilder::syncsafe(quint32(tag.size() - 10)));

    EXPECT_EQ(TagWriter::partOfSet(2, 3), "2/3");
    for (const auto& [n, count] : {std::pair{1, 1}, {0, 2}, {3, 2}, {1, 0}})
        EXPECT_EQ(TagWriter::partOfSet(n, count), QString()) << n << "/" << count;

    const QByteArray cover = test::noiseJpeg(40, 30);
    TagEditorFields fields = editorFields("Band", "Album");
    TagSources set = sources;
    set.discNumber = 2;
    set.discCount = 3;
    set.cover = cover;
    set.coverMimeType = "image/jpeg";
    ASSERT_EQ(writer.SaveTagID3v23(track, set, fields), QString());
    {
        TagLib::MPEG::File mpeg(QFile::encodeName(path).constData());
        TagLib::ID3v2::Tag* v2 = mpeg.ID3v2Tag();
        ASSERT_NE(v2, nullptr);
        EXPECT_EQ(frameText(v2, "TPOS"), "2/3");
        const auto pictures = v2->frameListMap()["APIC"];
        ASSERT_EQ(pictures.size(), 1u);
        const auto* apic = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame*>(pictures.front());
        ASSERT_NE(apic, nullptr);
        EXPECT_EQ(apic->type(), TagLib::ID3v2::AttachedPictureFrame::FrontCover);
        EXPECT_EQ(qs(apic->mimeType()), "image/jpeg");
        EXPECT_EQ(QByteArray(apic->picture().data(), int(apic->picture().size())), cover);
    }
    // A single disc and no cover: the designed twelve frames alone.
    set.discCount = 1;
    set.discNumber = 1;
    set.cover.clear();
    ASSERT_EQ(writer.SaveTagID3v23(track, set, fields), QString());
    TagLib::MPEG::File mpeg(QFile::encodeName(path).constData());
    EXPECT_EQ(mpeg.ID3v2Tag()->frameList().size(), 12u);
}

TEST(Id3v2FileWriter, LengthOfLeadingVersion2Tags)
{
    const auto header = [](char major, char flags, quint32 size) {
        return QByteArray("ID3", 3) + major + '\0' + flags + Id3v23TagBuilder::syncsafe(size);
    };
    const QByteArray audio("\xff\xfb\x90\x00 audio", 10);
    const struct
    {
        const char* name;
        QByteArray data;
        qint64 expected;
    } cases[] = {
        {"version 2.4 tag with footer", header(4, 0x10, 20) + QByteArray(30, '\0') + audio, 40},
        {"two tags", header(3, 0, 4) + QByteArray(4, '\0') + header(2, 0, 6) + QByteArray(6, '\0') + audio, 30},
        {"size byte with bit 7 set", QByteArray("ID3\x03\x00\x00\x00\x00\x80\x01", 10) + audio, 0},
        {"version 5 is unknown", header(5, 0, 4) + QByteArray(4, '\0') + audio, 0},
        {"tag reaching beyond the end", header(3, 0, 500) + audio, 0},
        {"tag exactly filling the file", header(3, 0, 3) + QByteArray("abc"), 13},
        {"shorter than a header", QByteArray("ID3\x03"), 0},
    };
    for (const auto& c : cases) {
        QBuffer buffer;
        buffer.setData(c.data);
        buffer.open(QIODevice::ReadOnly);
        EXPECT_EQ(Id3v2FileWriter::leadingId3v2Length(buffer), c.expected) << c.name;
        EXPECT_EQ(buffer.pos(), 0) << c.name;
    }
}

TEST(TagWriterSplit, SplitsAtTheFirstSeparator)
{
    // Nothing is trimmed; only one character of a longer separator is dropped.
    const char* cases[][4] = {{"Song", "/", "Song", "Song"}, {"A / B/C", "/", "A ", " B/C"},
                              {"Band - Song", " - ", "Band", "- Song"}};
    for (const auto& c : cases) {
        TagEditorFields f;
        QString artist, title;
        ASSERT_TRUE(TagWriter::Split(c[0], c[1], 0, f, artist) && TagWriter::Split(c[0], c[1], 1, f, title));
        EXPECT_EQ(QStringList({artist, f.artist2, f.composer2, title, f.title2}),
                  QStringList({c[2], c[2], c[2], c[3], c[3]}));
    }
    TagEditorFields f;
    QString result;
    EXPECT_FALSE(TagWriter::Split(QStringLiteral("Band/Song"), QStringLiteral("/"), 2, f, result));
}

TEST_F(TagWriterTest, FailuresLeaveTheMp3FileAsItWas)
{
    TagEditorFields fields = editorFields("Band", "Album");
    const QString missing = dir.filePath(QStringLiteral("missing.mp3"));
    const TrackToTag gone{missing, QStringLiteral("Song"), QStringLiteral("Song"), 1, 1};
    EXPECT_TRUE(writer.SaveTagid3v11(gone, sources, fields).contains(missing));
    EXPECT_TRUE(writer.SaveTagID3v23(gone, sources, fields).contains(missing));
    expectUntouched();

    // The copy fails half way (EFBIG under a file size limit), as on a full disk.
    // Both name the file and the system's reason, never "Unknown error".
    const QString reason = QString::fromLocal8Bit(strerror(EFBIG));
    {
        test::FileSizeLimit limit(rlim_t(mp3.size() / 2));
        ASSERT_TRUE(limit.set());
        const QString error = writer.SaveTagID3v23(track, sources, fields);
        limit.lift();
        EXPECT_TRUE(error.contains(track.fileName) && error.endsWith(reason)) << error.toStdString();
    }
    expectUntouched();
    {
        // Room for part of the 128 bytes: the write comes out short first.
        test::FileSizeLimit limit(rlim_t(mp3.size() + 50));
        ASSERT_TRUE(limit.set());
        const QString error = writer.SaveTagid3v11(track, sources, fields);
        limit.lift();
        EXPECT_EQ(error, QStringLiteral("Cannot write file \"%1\". %2").arg(track.fileName, reason));
    }
    expectUntouched();
}

}
}
