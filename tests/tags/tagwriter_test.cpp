// SPDX-License-Identifier: GPL-2.0-or-later
#include "mp3fixture.h"
#include "tags/id3v1tag.h"
#include "tags/id3v23tagbuilder.h"
#include "tags/id3v2filewriter.h"
#include "tags/tagwriter.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <commentsframe.h>
#include <id3v1tag.h>
#include <id3v2tag.h>
#include <mpegfile.h>
#include <urllinkframe.h>

#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace trackmill {
namespace {

using test::folderEntries;
using test::readWholeFile;
using test::sineMp3;
using test::writeWholeFile;

QString qs(const TagLib::String& s)
{
    return QString::fromUtf8(s.toCString(true));
}

QString frameText(TagLib::ID3v2::Tag* tag, const char* id)
{
    const auto& list = tag->frameListMap()[id];
    return list.isEmpty() ? QStringLiteral("<missing>") : qs(list.front()->toString());
}

TagEditorFields editorFields(const QString& artist, const QString& album, const QString& composer = {},
                             const QString& comment2 = {})
{
    TagEditorFields f;
    f.artist = f.artist2 = f.originalArtist2 = artist;
    f.album = f.album2 = album;
    f.year = f.year2 = QStringLiteral("2001");
    f.genre = 13;
    f.genre2 = QStringLiteral("Pop");
    f.comment = QStringLiteral("Ripped & encoded - Trackmill");
    f.comment2 = comment2;
    f.composer2 = composer;
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
        ASSERT_TRUE(dir.isValid());
        mp3 = sineMp3();
        ASSERT_EQ(quint8(mp3.at(0)), 0xFF);  // starts with a frame sync
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
        EXPECT_EQ(folderEntries(dir.path()), QStringList{QStringLiteral("03 Song.mp3")});
    }

    QTemporaryDir dir;
    QByteArray mp3;
    QString path;
    TID3v1Tag id3v1;
    TagWriter writer{id3v1};
    TagSources sources{QStringLiteral("Band"), QStringLiteral("Album"), false, QStringLiteral("/")};
    TrackToTag track{QString(), QStringLiteral("Song"), QStringLiteral("Song"), 1, 1};
};

TEST_F(TagWriterTest, BothTagsReadBackByAnIndependentReader)
{
    const struct
    {
        const char* label;
        QString artist, album, title, composer, comment2, v1Artist, v1Album, v1Title;
    } cases[] = {
        {"ASCII", "Band", "Album", "Song", "Composer", "Line one\r\nLine two", "Band", "Album", "Song"},
        {"accented", "Zoë Café", "Élan Vital", "Naïve façade", "Dvořák", "Très bien\r\nZażółć gęślą jaźń",
         "Zoë Café", "Élan Vital", "Naïve façade"},
        {"Japanese", "宇多田ヒカル", "初恋", "誰かの願いが叶うころ", "作曲者", "日本語のコメント", "??????", "??",
         "??????????"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(writeWholeFile(path, mp3));
        TagEditorFields fields = editorFields(c.artist, c.album, c.composer, c.comment2);
        const TagSources names{c.artist, c.album, false, QStringLiteral("/")};
        const TrackToTag song{path, c.title, c.artist + "/" + c.title, 3, 12};
        EXPECT_EQ(writer.SaveTagid3v11(song, names, fields), QString());
        EXPECT_EQ(writer.SaveTagID3v23(song, names, fields), QString());
        EXPECT_TRUE(fields.title2.isEmpty());

        // Version 2.3 tag, the MP3 data unchanged, version 1.1 tag; nothing else left.
        const QByteArray file = readWholeFile(path);
        ASSERT_TRUE(file.startsWith(QByteArray("ID3\x03\x00\x00", 6)));
        const qint64 start = audioStart(file);
        EXPECT_EQ(file.mid(start), mp3 + id3v1.toBytes());
        EXPECT_EQ(folderEntries(dir.path()), QStringList{QStringLiteral("03 Song.mp3")});

        TagLib::MPEG::File mpeg(QFile::encodeName(path).constData());
        ASSERT_TRUE(mpeg.isValid());
        EXPECT_EQ(mpeg.firstFrameOffset(), start);
        TagLib::ID3v2::Tag* v2 = mpeg.ID3v2Tag();
        ASSERT_NE(v2, nullptr);
        EXPECT_EQ(v2->header()->majorVersion(), 3u);
        // TagLib reads a version 2.3 year frame back as TDRC.
        const std::pair<const char*, QString> frames[] = {
            {"TRCK", "3/12"}, {"TIT2", c.title}, {"TPE1", c.artist}, {"TALB", c.album}, {"TDRC", "2001"},
            {"TCON", "Pop"}, {"TCOM", c.composer}, {"TOPE", c.artist},
            {"TCOP", "All rights reserved by " + c.artist}, {"TENC", "Trackmill 2.0"}};
        for (const auto& [id, text] : frames)
            EXPECT_EQ(frameText(v2, id), text) << id;
        const auto& comments = v2->frameListMap()["COMM"];
        ASSERT_EQ(comments.size(), 1u);
        auto* comm = dynamic_cast<TagLib::ID3v2::CommentsFrame*>(comments.front());
        ASSERT_NE(comm, nullptr);
        EXPECT_EQ(QByteArray(comm->language().data(), 3), QByteArray("eng"));
        EXPECT_EQ(qs(comm->description()), QStringLiteral("Description"));
        EXPECT_EQ(qs(comm->text()), c.comment2);
        const auto& urls = v2->frameListMap()["WXXX"];
        ASSERT_EQ(urls.size(), 1u);
        auto* url = dynamic_cast<TagLib::ID3v2::UserUrlLinkFrame*>(urls.front());
        ASSERT_NE(url, nullptr);
        EXPECT_EQ(qs(url->description()), QStringLiteral("URLDescription"));
        EXPECT_EQ(qs(url->url()), QStringLiteral("https://trackmill.example/"));

        TagLib::ID3v1::Tag* v1 = mpeg.ID3v1Tag();
        ASSERT_NE(v1, nullptr);
        EXPECT_EQ(qs(v1->title()).trimmed(), c.v1Title);
        EXPECT_EQ(qs(v1->artist()).trimmed(), c.v1Artist);
        EXPECT_EQ(qs(v1->album()).trimmed(), c.v1Album);
        EXPECT_EQ(v1->year(), 2001u);
        EXPECT_EQ(qs(v1->comment()).trimmed(), QStringLiteral("Ripped & encoded - Trackmill"));
        EXPECT_EQ(v1->track(), 3u);
        EXPECT_EQ(v1->genreNumber(), 13u);
    }
}

TEST_F(TagWriterTest, TaggingAgainReplacesTheVersion2TagInsteadOfStackingIt)
{
    mp3 = sineMp3(5000);  // more than one 64 KiB piece of copying
    ASSERT_GT(mp3.size(), 64 * 1024);
    ASSERT_TRUE(writeWholeFile(path, mp3));
    TagEditorFields fields = editorFields("Band", "Album");
    ASSERT_EQ(writer.SaveTagid3v11(track, sources, fields), QString());
    ASSERT_EQ(writer.SaveTagID3v23(track, sources, fields), QString());
    fields.comment2 = QString(7000, QChar('x'));  // longer the second time
    ASSERT_EQ(writer.SaveTagID3v23(track, sources, fields), QString());
    fields.comment2 = QStringLiteral("short");  // shorter the third
    track.title = QStringLiteral("Other title");
    ASSERT_EQ(writer.SaveTagID3v23(track, sources, fields), QString());

    const QByteArray file = readWholeFile(path);
    EXPECT_EQ(file.mid(audioStart(file)), mp3 + id3v1.toBytes());
    TagLib::MPEG::File mpeg(QFile::encodeName(path).constData());
    ASSERT_NE(mpeg.ID3v2Tag(), nullptr);
    EXPECT_EQ(qs(mpeg.ID3v2Tag()->title()), QStringLiteral("Other title"));
    EXPECT_EQ(qs(mpeg.ID3v2Tag()->comment()), QStringLiteral("short"));
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
        {"no tag", audio, 0},
        {"version 2.3 tag", header(3, 0, 20) + QByteArray(20, '\0') + audio, 30},
        {"version 2.4 tag with footer", header(4, 0x10, 20) + QByteArray(30, '\0') + audio, 40},
        {"version 2.2 tag", header(2, 0, 5) + QByteArray(5, '\0') + audio, 15},
        {"two tags", header(3, 0, 4) + QByteArray(4, '\0') + header(3, 0, 6) + QByteArray(6, '\0') + audio, 30},
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
    const char* cases[][4] = {
        // name, separator, artist part, title part; nothing is trimmed
        {"Band / Song", "/", "Band ", " Song"}, {"Song", "/", "Song", "Song"}, {"Band/Song", "", "Band/Song", "Band/Song"},
        {"A/B/C", "/", "A", "B/C"}, {"Band - Song", " - ", "Band", "- Song"},  // only one character dropped
        {"/Song", "/", "", "Song"}, {"Band/", "/", "Band", ""},
    };
    for (const auto& c : cases) {
        const QString name = QString::fromUtf8(c[0]), separator = QString::fromUtf8(c[1]);
        TagEditorFields f;
        f.title = QStringLiteral("old");
        QString result;
        ASSERT_TRUE(TagWriter::Split(name, separator, 0, f, result));
        for (const QString* field : {&result, &f.artist, &f.artist2, &f.composer2, &f.originalArtist2})
            EXPECT_EQ(*field, QString::fromUtf8(c[2])) << c[0];
        EXPECT_EQ(f.title, QStringLiteral("old"));
        ASSERT_TRUE(TagWriter::Split(name, separator, 1, f, result));
        for (const QString* field : {&result, &f.title, &f.title2})
            EXPECT_EQ(*field, QString::fromUtf8(c[3])) << c[0];
    }
    TagEditorFields f;
    QString result = QStringLiteral("unchanged");
    EXPECT_FALSE(TagWriter::Split(QStringLiteral("Band/Song"), QStringLiteral("/"), 2, f, result));
    EXPECT_EQ(result, QStringLiteral("unchanged"));
    EXPECT_TRUE(f.artist.isEmpty());
}

TEST_F(TagWriterTest, SplitNamesTakeTheArtistOfThisTrack)
{
    TagEditorFields fields = editorFields("Various", "Sampler");
    sources = {QStringLiteral("Various"), QStringLiteral("Sampler"), true, QStringLiteral("/")};
    const TrackToTag first{path, QStringLiteral("First Song"), QStringLiteral("First Band/First Song"), 1, 2};
    ASSERT_EQ(writer.SaveTagid3v11(first, sources, fields), QString());
    EXPECT_EQ(id3v1.artist(), QStringLiteral("First Band"));
    EXPECT_EQ(id3v1.album(), QStringLiteral("Sampler"));
    ASSERT_EQ(writer.SaveTagID3v23(first, sources, fields), QString());

    // The next track without a version 1.1 tag still names its own artist.
    const QString second = dir.filePath(QStringLiteral("04 Other.mp3"));
    ASSERT_TRUE(writeWholeFile(second, mp3));
    const TrackToTag next{second, QStringLiteral("Other Song"), QStringLiteral("Second Band/Other Song"), 2, 2};
    ASSERT_EQ(writer.SaveTagID3v23(next, sources, fields), QString());
    EXPECT_EQ(fields.copyright2, QStringLiteral("All rights reserved by Second Band"));
    TagLib::MPEG::File mpeg(QFile::encodeName(second).constData());
    ASSERT_NE(mpeg.ID3v2Tag(), nullptr);
    EXPECT_EQ(frameText(mpeg.ID3v2Tag(), "TPE1"), QStringLiteral("Second Band"));
    EXPECT_EQ(frameText(mpeg.ID3v2Tag(), "TCOP"), QStringLiteral("All rights reserved by Second Band"));
    EXPECT_EQ(frameText(mpeg.ID3v2Tag(), "TRCK"), QStringLiteral("2/2"));
}

TEST_F(TagWriterTest, FailuresLeaveTheMp3FileAsItWasAndNoTemporaryFile)
{
    TagEditorFields fields = editorFields("Band", "Album");
    const QString missing = dir.filePath(QStringLiteral("missing.mp3"));
    const TrackToTag gone{missing, QStringLiteral("Song"), QStringLiteral("Song"), 1, 1};
    EXPECT_TRUE(writer.SaveTagid3v11(gone, sources, fields).contains(missing));
    EXPECT_TRUE(writer.SaveTagID3v23(gone, sources, fields).contains(missing));
    expectUntouched();

    // The copy fails half way (EFBIG under a file size limit), as on a full disk.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit low = old;
    low.rlim_cur = rlim_t(mp3.size() / 2);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &low), 0);
    QString error = writer.SaveTagID3v23(track, sources, fields);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(error.isEmpty());
    expectUntouched();

    // No temporary file can be made in the folder (immutable, since
    // permissions do not stop root).
    const QByteArray folder = QFile::encodeName(dir.path());
    const int fd = open(folder.constData(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    const bool locked = fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0
                        && (flags |= FS_IMMUTABLE_FL, ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
    if (locked) {
        error = writer.SaveTagID3v23(track, sources, fields);
        flags &= ~FS_IMMUTABLE_FL;
        ioctl(fd, FS_IOC_SETFLAGS, &flags);
        EXPECT_TRUE(error.contains(path)) << error.toStdString();
        expectUntouched();
    }
    if (fd >= 0)
        close(fd);
    if (!locked)
        GTEST_SKIP() << "cannot make a folder unwritable here";
}

}
}
