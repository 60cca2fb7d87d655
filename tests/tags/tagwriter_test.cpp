// SPDX-License-Identifier: GPL-2.0-or-later
#include "mp3fixture.h"
#include "tags/genrelist.h"
#include "tags/id3v1tag.h"
#include "tags/id3v23tagbuilder.h"
#include "tags/id3v2filewriter.h"
#include "tags/tagwriter.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>
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

// The names a track gets from the editor, and what the version 1.1 tag
// can keep of them.
struct NameCase
{
    const char* label;
    QString artist, album, title, composer, comment2;
    QString v1Artist, v1Album, v1Title;
};

TagEditorFields editorFields(const NameCase& c)
{
    TagEditorFields f;
    f.artist = c.artist;
    f.album = c.album;
    f.year = QStringLiteral("2001");
    f.genre = 13;
    f.comment = QStringLiteral("Ripped & encoded - Trackmill");
    f.artist2 = c.artist;
    f.album2 = c.album;
    f.year2 = QStringLiteral("2001");
    f.genre2 = QStringLiteral("Pop");
    f.comment2 = c.comment2;
    f.composer2 = c.composer;
    f.originalArtist2 = c.artist;
    f.copyright2 = TagWriter::copyrightFor(c.artist);
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
        ASSERT_GT(mp3.size(), 4000);
        ASSERT_EQ(quint8(mp3.at(0)), 0xFF);  // starts with a frame sync
        path = dir.filePath(QStringLiteral("03 Song.mp3"));
        ASSERT_TRUE(writeWholeFile(path, mp3));
    }

    // Tag size from the header of the tag at the start of the file.
    static qint64 v2TagSize(const QByteArray& file)
    {
        return (qint64(file[6]) << 21) | (qint64(file[7]) << 14) | (qint64(file[8]) << 7) | qint64(file[9]);
    }

    QTemporaryDir dir;
    QByteArray mp3;
    QString path;
    TID3v1Tag id3v1;
    TagWriter writer{id3v1};
};

TEST_F(TagWriterTest, BothTagsReadBackByAnIndependentReader)
{
    const NameCase cases[] = {
        {"ASCII", "Band", "Album", "Song", "Composer", "Line one\r\nLine two",
         "Band", "Album", "Song"},
        {"accented", "Zoë Café", "Élan Vital", "Naïve façade", "Dvořák", "Très bien\r\nZażółć gęślą jaźń",
         "Zoë Café", "Élan Vital", "Naïve façade"},
        {"Japanese", "宇多田ヒカル", "初恋", "誰かの願いが叶うころ", "作曲者", "日本語のコメント",
         "??????", "??", "??????????"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(writeWholeFile(path, mp3));
        TagEditorFields fields = editorFields(c);
        TagSources sources;
        sources.artist = c.artist;
        sources.album = c.album;
        const TrackToTag track{path, c.title, c.artist + "/" + c.title, 3, 12};
        EXPECT_EQ(writer.SaveTagid3v11(track, sources, fields), QString());
        EXPECT_EQ(writer.SaveTagID3v23(track, sources, fields), QString());
        EXPECT_TRUE(fields.title2.isEmpty());

        // Layout: version 2.3 tag, the MP3 data unchanged, version 1.1 tag.
        const QByteArray file = readWholeFile(path);
        ASSERT_TRUE(file.startsWith(QByteArray("ID3\x03\x00\x00", 6)));
        const qint64 start = 10 + v2TagSize(file);
        EXPECT_EQ(file.mid(start, mp3.size()), mp3);
        ASSERT_EQ(file.size(), start + mp3.size() + 128);
        EXPECT_EQ(file.right(128), id3v1.toBytes());
        EXPECT_EQ(folderEntries(dir.path()), QStringList{QStringLiteral("03 Song.mp3")});

        TagLib::MPEG::File mpeg(QFile::encodeName(path).constData());
        ASSERT_TRUE(mpeg.isValid());
        EXPECT_EQ(mpeg.firstFrameOffset(), start);
        ASSERT_NE(mpeg.audioProperties(), nullptr);
        EXPECT_EQ(mpeg.audioProperties()->sampleRate(), 44100);

        TagLib::ID3v2::Tag* v2 = mpeg.ID3v2Tag();
        ASSERT_NE(v2, nullptr);
        EXPECT_EQ(v2->header()->majorVersion(), 3u);
        EXPECT_EQ(frameText(v2, "TRCK"), QStringLiteral("3/12"));
        EXPECT_EQ(v2->track(), 3u);
        EXPECT_EQ(qs(v2->title()), c.title);
        EXPECT_EQ(qs(v2->artist()), c.artist);
        EXPECT_EQ(qs(v2->album()), c.album);
        EXPECT_EQ(v2->year(), 2001u);
        EXPECT_EQ(qs(v2->genre()), QStringLiteral("Pop"));
        EXPECT_EQ(frameText(v2, "TCOM"), c.composer);
        EXPECT_EQ(frameText(v2, "TOPE"), c.artist);
        EXPECT_EQ(frameText(v2, "TCOP"), QStringLiteral("All rights reserved by ") + c.artist);
        EXPECT_EQ(frameText(v2, "TENC"), QStringLiteral("Trackmill 2.0"));
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

TEST_F(TagWriterTest, TaggingTwiceReplacesTheVersion2TagInsteadOfStackingIt)
{
    // Five seconds: more than one 64 KiB piece of copying.
    mp3 = sineMp3(5000);
    ASSERT_GT(mp3.size(), 64 * 1024);
    ASSERT_TRUE(writeWholeFile(path, mp3));
    TagEditorFields fields = editorFields({"", "Band", "Album", "Song", "", "", "", "", ""});
    TagSources sources{QStringLiteral("Band"), QStringLiteral("Album"), false, QStringLiteral("/")};
    TrackToTag track{path, QStringLiteral("Song"), QStringLiteral("Song"), 1, 2};
    ASSERT_EQ(writer.SaveTagid3v11(track, sources, fields), QString());
    ASSERT_EQ(writer.SaveTagID3v23(track, sources, fields), QString());
    const QByteArray v1Tag = id3v1.toBytes();

    fields.comment2 = QString(7000, QChar('x'));  // a longer tag the second time
    track.title = QStringLiteral("Other title");
    ASSERT_EQ(writer.SaveTagID3v23(track, sources, fields), QString());
    fields.comment2 = QStringLiteral("short");  // and a shorter one the third
    ASSERT_EQ(writer.SaveTagID3v23(track, sources, fields), QString());

    const QByteArray file = readWholeFile(path);
    const qint64 start = 10 + v2TagSize(file);
    EXPECT_EQ(file.mid(start), mp3 + v1Tag);

    TagLib::MPEG::File mpeg(QFile::encodeName(path).constData());
    ASSERT_NE(mpeg.ID3v2Tag(), nullptr);
    EXPECT_EQ(qs(mpeg.ID3v2Tag()->title()), QStringLiteral("Other title"));
    EXPECT_EQ(qs(mpeg.ID3v2Tag()->comment()), QStringLiteral("short"));
    EXPECT_EQ(mpeg.firstFrameOffset(), start);
}

TEST(Id3v2FileWriter, LengthOfLeadingVersion2Tags)
{
    const auto header = [](char major, char flags, quint32 size) {
        return QByteArray("ID3", 3) + QByteArray(1, major) + QByteArray(1, '\0') + QByteArray(1, flags)
               + Id3v23TagBuilder::syncsafe(size);
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
        {"two tags one after the other",
         header(3, 0, 4) + QByteArray(4, '\0') + header(3, 0, 6) + QByteArray(6, '\0') + audio, 30},
        {"size byte with bit 7 set is no header",
         QByteArray("ID3\x03\x00\x00\x00\x00\x80\x01", 10) + audio, 0},
        {"version 5 is unknown", header(5, 0, 4) + QByteArray(4, '\0') + audio, 0},
        {"tag reaching beyond the end is no tag", header(3, 0, 500) + audio, 0},
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
    const struct
    {
        const char* name;
        const char* separator;
        const char* artist;
        const char* title;
    } cases[] = {
        {"Band/Song", "/", "Band", "Song"},
        {"Band / Song", "/", "Band ", " Song"},  // nothing trimmed
        {"Song", "/", "Song", "Song"},           // no separator: whole name both times
        {"Band/Song", "", "Band/Song", "Band/Song"},
        {"A/B/C", "/", "A", "B/C"},
        {"Band - Song", " - ", "Band", "- Song"},  // only the first character is dropped
        {"/Song", "/", "", "Song"},
        {"Band/", "/", "Band", ""},
    };
    for (const auto& c : cases) {
        TagEditorFields f;
        f.title = QStringLiteral("old");
        QString result = QStringLiteral("unchanged");
        ASSERT_TRUE(TagWriter::Split(QString::fromUtf8(c.name), QString::fromUtf8(c.separator), 0, f, result));
        EXPECT_EQ(result, QString::fromUtf8(c.artist)) << c.name;
        for (const QString* field : {&f.artist, &f.artist2, &f.composer2, &f.originalArtist2})
            EXPECT_EQ(*field, QString::fromUtf8(c.artist)) << c.name;
        EXPECT_EQ(f.title, QStringLiteral("old"));
        ASSERT_TRUE(TagWriter::Split(QString::fromUtf8(c.name), QString::fromUtf8(c.separator), 1, f, result));
        EXPECT_EQ(result, QString::fromUtf8(c.title)) << c.name;
        EXPECT_EQ(f.title, QString::fromUtf8(c.title)) << c.name;
        EXPECT_EQ(f.title2, QString::fromUtf8(c.title)) << c.name;
    }
    TagEditorFields f;
    QString result = QStringLiteral("unchanged");
    EXPECT_FALSE(TagWriter::Split(QStringLiteral("Band/Song"), QStringLiteral("/"), 2, f, result));
    EXPECT_EQ(result, QStringLiteral("unchanged"));
    EXPECT_TRUE(f.artist.isEmpty());
}

TEST_F(TagWriterTest, SplitNamesTakeTheArtistOfThisTrack)
{
    TagEditorFields fields = editorFields({"", "Various", "Sampler", "", "", "", "", "", ""});
    TagSources sources{QStringLiteral("Various"), QStringLiteral("Sampler"), true, QStringLiteral("/")};

    // Version 1.1 tag: artist from the name, album from the main window.
    TrackToTag first{path, QStringLiteral("First Song"), QStringLiteral("First Band/First Song"), 1, 2};
    ASSERT_EQ(writer.SaveTagid3v11(first, sources, fields), QString());
    EXPECT_EQ(id3v1.artist(), QStringLiteral("First Band"));
    EXPECT_EQ(id3v1.album(), QStringLiteral("Sampler"));
    EXPECT_EQ(fields.artist, QStringLiteral("First Band"));
    ASSERT_EQ(writer.SaveTagID3v23(first, sources, fields), QString());
    EXPECT_EQ(fields.copyright2, QStringLiteral("All rights reserved by First Band"));

    // The next track without a version 1.1 tag: its copyright and artist
    // frames still name its own artist, not the previous track's.
    const QString second = dir.filePath(QStringLiteral("04 Other.mp3"));
    ASSERT_TRUE(writeWholeFile(second, mp3));
    TrackToTag next{second, QStringLiteral("Other Song"), QStringLiteral("Second Band/Other Song"), 2, 2};
    ASSERT_EQ(writer.SaveTagID3v23(next, sources, fields), QString());
    EXPECT_EQ(fields.copyright2, QStringLiteral("All rights reserved by Second Band"));
    TagLib::MPEG::File mpeg(QFile::encodeName(second).constData());
    ASSERT_NE(mpeg.ID3v2Tag(), nullptr);
    EXPECT_EQ(qs(mpeg.ID3v2Tag()->artist()), QStringLiteral("Second Band"));
    EXPECT_EQ(frameText(mpeg.ID3v2Tag(), "TCOP"), QStringLiteral("All rights reserved by Second Band"));
    EXPECT_EQ(frameText(mpeg.ID3v2Tag(), "TRCK"), QStringLiteral("2/2"));
}

// Makes a folder refuse new entries for the lifetime of the guard: the
// immutable attribute when running as root (permissions do not stop root),
// the permission bits otherwise.
class UnwritableFolder
{
public:
    explicit UnwritableFolder(const QString& folder)
        : m_folder(QFile::encodeName(folder))
    {
        if (geteuid() == 0) {
            m_fd = open(m_folder.constData(), O_RDONLY | O_DIRECTORY);
            int flags = 0;
            if (m_fd >= 0 && ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0) {
                flags |= FS_IMMUTABLE_FL;
                m_immutable = ioctl(m_fd, FS_IOC_SETFLAGS, &flags) == 0;
            }
        } else {
            m_chmod = chmod(m_folder.constData(), 0555) == 0;
        }
    }
    ~UnwritableFolder()
    {
        if (m_immutable) {
            int flags = 0;
            ioctl(m_fd, FS_IOC_GETFLAGS, &flags);
            flags &= ~FS_IMMUTABLE_FL;
            ioctl(m_fd, FS_IOC_SETFLAGS, &flags);
        }
        if (m_fd >= 0)
            close(m_fd);
        if (m_chmod)
            chmod(m_folder.constData(), 0755);
    }
    // Whether creating a file there really fails.
    bool effective() const
    {
        const QByteArray probe = m_folder + "/probe";
        const int fd = open(probe.constData(), O_CREAT | O_WRONLY, 0644);
        if (fd < 0)
            return true;
        close(fd);
        unlink(probe.constData());
        return false;
    }

private:
    QByteArray m_folder;
    int m_fd = -1;
    bool m_immutable = false;
    bool m_chmod = false;
};

TEST_F(TagWriterTest, FailuresLeaveTheMp3FileAsItWasAndNoTemporaryFile)
{
    TagEditorFields fields = editorFields({"", "Band", "Album", "Song", "", "", "", "", ""});
    TagSources sources{QStringLiteral("Band"), QStringLiteral("Album"), false, QStringLiteral("/")};

    // A missing file: both writers report it, neither creates anything.
    const QString missing = dir.filePath(QStringLiteral("missing.mp3"));
    TrackToTag gone{missing, QStringLiteral("Song"), QStringLiteral("Song"), 1, 1};
    EXPECT_TRUE(writer.SaveTagid3v11(gone, sources, fields).contains(missing));
    EXPECT_TRUE(writer.SaveTagID3v23(gone, sources, fields).contains(missing));
    EXPECT_EQ(folderEntries(dir.path()), QStringList{QStringLiteral("03 Song.mp3")});

    // A folder where no temporary file can be made.
    TrackToTag track{path, QStringLiteral("Song"), QStringLiteral("Song"), 1, 1};
    {
        UnwritableFolder guard(dir.path());
        if (!guard.effective())
            GTEST_SKIP() << "cannot make a folder unwritable here";
        const QString error = writer.SaveTagID3v23(track, sources, fields);
        EXPECT_FALSE(error.isEmpty());
        EXPECT_TRUE(error.contains(path)) << error.toStdString();
    }
    EXPECT_EQ(readWholeFile(path), mp3);
    EXPECT_EQ(folderEntries(dir.path()), QStringList{QStringLiteral("03 Song.mp3")});
}

TEST_F(TagWriterTest, AFailedCopyLeavesTheMp3FileAsItWas)
{
    // A file size limit below the MP3 file's size makes writing the copy
    // fail half way (EFBIG), as a full disk would.
    TagEditorFields fields = editorFields({"", "Band", "Album", "Song", "", "", "", "", ""});
    TagSources sources{QStringLiteral("Band"), QStringLiteral("Album"), false, QStringLiteral("/")};
    TrackToTag track{path, QStringLiteral("Song"), QStringLiteral("Song"), 1, 1};

    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit low = old;
    low.rlim_cur = rlim_t(mp3.size() / 2);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &low), 0);
    const QString error = writer.SaveTagID3v23(track, sources, fields);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readWholeFile(path), mp3);
    EXPECT_EQ(folderEntries(dir.path()), QStringList{QStringLiteral("03 Song.mp3")});
}

}
}
