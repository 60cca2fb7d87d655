// SPDX-License-Identifier: GPL-2.0-or-later
// Vorbis comments of FLAC tracks: which fields a track gets, and the
// comments put into a finished file as a tag reader then finds them, the
// audio untouched.
#include "tags/vorbiscomments.h"

#include "tags/genrelist.h"
#include "tags/tagfields.h"
#include "metadata/coverart.h"

#include "flacreading.h"
#include "jpegfixture.h"
#include "wavfixture.h"

#include <gtest/gtest.h>
#include <taglib/flacfile.h>
#include <taglib/xiphcomment.h>

#include <QFileInfo>
#include <QTemporaryDir>

using namespace trackmill;
using namespace trackmill::test;

namespace {

QStringList names(const FlacComments& c)
{
    QStringList out;
    for (const auto& [name, value] : c)
        out << QString::fromLatin1(name) + QLatin1Char('=') + value;
    return out;
}

TEST(VorbisComments, FieldsOfATrack)
{
    VorbisTrack t;
    t.artist = t.albumArtist = QStringLiteral("The Band");
    t.album = QStringLiteral("Live");
    t.title = QStringLiteral("Song/With:Bad*Chars?");
    t.number = 3;
    t.total = 12;
    t.date = QStringLiteral("1999");
    t.genre = QStringLiteral("Rock");
    t.encoder = QStringLiteral("Trackmill");
    EXPECT_EQ(names(vorbisComments(t)),
              (QStringList{"ARTIST=The Band", "ALBUM=Live", "TITLE=Song/With:Bad*Chars?", "TRACKNUMBER=3",
                           "TRACKTOTAL=12", "DATE=1999", "GENRE=Rock", "ENCODER=Trackmill"}));

    // A sampler's track: its own artist, the disc's as ALBUMARTIST; disc
    // numbers once known, a count without a number never.
    t.artist = QStringLiteral("Guest");
    t.disc = 2;
    t.discTotal = 3;
    const QStringList sampler = names(vorbisComments(t));
    EXPECT_TRUE(sampler.contains("ALBUMARTIST=The Band"));
    EXPECT_TRUE(sampler.contains("DISCNUMBER=2"));
    EXPECT_TRUE(sampler.contains("DISCTOTAL=3"));
    for (const auto& [disc, total] : {std::pair{0, 3}, {1, 1}, {4, 3}}) {
        t.disc = disc;
        t.discTotal = total;
        EXPECT_FALSE(names(vorbisComments(t)).join('|').contains("DISC")) << disc << "/" << total;
    }
}

// A FLAC track's comments from the tag editor's values, those its MP3's
// version 2.3 tag would get, the memo's lines ending in LF. With Split the
// track's own artist, composer and copyright, and the disc's artist as
// ALBUMARTIST. The fields themselves do not change.
TEST(VorbisComments, FromTheTagFields)
{
    GenreList genres;
    TagFields tags(genres);
    tags.initialize(QStringLiteral("The Band"), QStringLiteral("Live"));
    tags.setYears(QStringLiteral("2001"));
    TagEditorFields f = tags.fields();
    f.comment2 = QStringLiteral("one\r\ntwo");
    tags.setFields(f);
    const TagEditorFields before = tags.fields();
    const TrackToTag track{"x.flac", "Night Song", "Guest/Night Song", 3, 9};
    TagSources sources{"The Band", "Live", true, "/"};
    EXPECT_EQ(names(tags.vorbisComments(track, sources)),
              (QStringList{"ARTIST=Guest", "ALBUMARTIST=The Band", "ALBUM=Live", "TITLE=Night Song", "TRACKNUMBER=3",
                           "TRACKTOTAL=9", "DATE=2001", "GENRE=Pop", "COMMENT=one\ntwo", "COMPOSER=Guest",
                           "COPYRIGHT=All rights reserved by Guest", "ENCODER=Trackmill 2.0"}));
    EXPECT_EQ(tags.fields(), before);

    sources.split = false;
    const QStringList whole = names(tags.vorbisComments(track, sources));
    EXPECT_TRUE(whole.contains("ARTIST=The Band"));
    EXPECT_TRUE(whole.contains("COPYRIGHT=All rights reserved by The Band"));
    EXPECT_FALSE(whole.join('|').contains("ALBUMARTIST"));
}

class VorbisCommentsFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FlacWriter w;
        ASSERT_TRUE(w.open(file, {}, {{"TITLE", QStringLiteral("old")}, {"GENRE", QStringLiteral("old")}}, 0));
        ASSERT_TRUE(w.write(pcm.constData(), pcm.size()));
        ASSERT_TRUE(w.finish());
    }

    QString field(const char* name) const
    {
        TagLib::FLAC::File f(QFile::encodeName(file).constData());
        const TagLib::StringList values = f.xiphComment() ? f.xiphComment()->fieldListMap()[name] : TagLib::StringList();
        return values.isEmpty() ? QStringLiteral("<none>") : QString::fromStdString(values.front().to8Bit(true));
    }

    QTemporaryDir dir;
    QString file = dir.filePath("t.flac");
    QByteArray pcm = makePcm16(2 * 44100, 2, 44100, 9);
};

// Comments that fit the padding go in without the file changing size; the
// old ones are gone; longer ones than the padding still make a sound file.
TEST_F(VorbisCommentsFile, ReplaceTheOldCommentsAndKeepTheAudio)
{
    const qint64 size = QFileInfo(file).size();
    EXPECT_EQ(writeVorbisComments(file, {{"TITLE", QStringLiteral("Ünïcødé 日本語")}}), QString());
    EXPECT_EQ(QFileInfo(file).size(), size);
    EXPECT_EQ(field("TITLE"), QStringLiteral("Ünïcødé 日本語"));
    EXPECT_EQ(field("GENRE"), QStringLiteral("<none>"));
    EXPECT_TRUE(decoded(file) == pcm);

    const QString huge(20000, QLatin1Char('x'));
    EXPECT_EQ(writeVorbisComments(file, {{"COMMENT", huge}}), QString());
    EXPECT_EQ(field("COMMENT"), huge);
    EXPECT_TRUE(decoded(file) == pcm);
}

// The front cover as a picture block, in place of the one the file had;
// the audio untouched though the file had to grow.
TEST_F(VorbisCommentsFile, FrontCoverAsAPictureBlock)
{
    for (const QByteArray& cover : {noiseJpeg(120, 90), noiseJpeg(30, 20)}) {
        EXPECT_EQ(writeVorbisComments(file, {{"TITLE", QStringLiteral("t")}}, cover, "image/jpeg"), QString());
        TagLib::FLAC::File f(QFile::encodeName(file).constData());
        const TagLib::List<TagLib::FLAC::Picture*> pictures = f.pictureList();
        ASSERT_EQ(pictures.size(), 1u);
        EXPECT_EQ(pictures.front()->type(), TagLib::FLAC::Picture::FrontCover);
        EXPECT_EQ(QString::fromStdString(pictures.front()->mimeType().to8Bit()), "image/jpeg");
        EXPECT_EQ(QByteArray(pictures.front()->data().data(), int(pictures.front()->data().size())), cover);
        EXPECT_EQ(pictures.front()->width(), jpegSize(cover)->first);
        EXPECT_TRUE(decoded(file) == pcm);
    }
    // Without a cover the picture stays.
    EXPECT_EQ(writeVorbisComments(file, {{"TITLE", QStringLiteral("u")}}), QString());
    EXPECT_EQ(TagLib::FLAC::File(QFile::encodeName(file).constData()).pictureList().size(), 1u);
}

TEST_F(VorbisCommentsFile, AFileThatIsNoFlacIsLeftAlone)
{
    const QString wav = dir.filePath("t.wav");
    ASSERT_TRUE(writeBytes(wav, makeWavBytes(pcm, 2, 44100)));
    const QString error = writeVorbisComments(wav, {{"TITLE", QStringLiteral("x")}});
    EXPECT_TRUE(error.startsWith(wav + ": ")) << error.toStdString();
    QFile f(wav);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll() == makeWavBytes(pcm, 2, 44100));
    EXPECT_TRUE(writeVorbisComments(file, {{"BAD=NAME", QStringLiteral("x")}}).startsWith(file + ": "));
    EXPECT_EQ(field("TITLE"), QStringLiteral("old"));
}

}
