// SPDX-License-Identifier: GPL-2.0-or-later
// FLAC files as other programs read them: decoded by libsndfile, comments
// read by TagLib, the metadata blocks walked with libFLAC's own reader.
#include "encoder/flacwriter.h"

#include "flacreading.h"
#include "wavfixture.h"

#include "filesizelimit.h"

#include <gtest/gtest.h>
#include <taglib/flacfile.h>
#include <taglib/xiphcomment.h>

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>
#include <vector>

using namespace trackmill;
using namespace trackmill::test;

namespace {

constexpr int kRate = 44100;

class FlacWriterTest : public ::testing::TestWithParam<int>
{
protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
};

// 25 s of audio fed in pieces of every awkward size, a frame split across
// calls included: the file decodes to exactly the samples, its MD5 is
// theirs, a seek point stands every 10 s and the padding is there.
TEST_P(FlacWriterTest, DecodesToTheSamplesFedInAnyPieces)
{
    const long frames = 25L * kRate + 3;
    const QByteArray pcm = test::makePcm16(frames, 2, kRate, 11);
    const QString file = path("track.flac");
    FlacWriter w;
    ASSERT_TRUE(w.open(file, FlacSettings{GetParam(), true}, {{"TITLE", QStringLiteral("Song")}}, frames))
        << w.errorText().toStdString();
    const qsizetype pieces[] = {1, 2, 5, 4, 4095, 3, 65536, 7, 588 * 4 * 26};
    qsizetype at = 0;
    for (int i = 0; at < pcm.size(); ++i) {
        const qsizetype n = std::min(pieces[i % std::size(pieces)], pcm.size() - at);
        ASSERT_TRUE(w.write(pcm.constData() + at, n)) << w.errorText().toStdString();
        at += n;
    }
    ASSERT_TRUE(w.finish()) << w.errorText().toStdString();
    EXPECT_FALSE(w.isOpen());
    EXPECT_EQ(w.framesWritten(), frames);

    sf_count_t decodedFrames = 0;
    EXPECT_TRUE(decoded(file, &decodedFrames) == pcm);
    EXPECT_EQ(decodedFrames, frames);
    const Blocks b = blocksOf(file);
    EXPECT_EQ(b.md5, QCryptographicHash::hash(pcm, QCryptographicHash::Md5));
    EXPECT_EQ(b.totalSamples, FLAC__uint64(frames));
    // A seek point lands on the first sample of the block that holds its
    // target, at most one block (4608 samples at any level) before it.
    ASSERT_EQ(b.seekPoints.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_LE(b.seekPoints[i], i * 441000);
        EXPECT_LT(i * 441000 - b.seekPoints[i], 4608u);
    }
    EXPECT_EQ(b.padding, 8192u);
    EXPECT_EQ(b.types.front(), FLAC__METADATA_TYPE_STREAMINFO);
}

INSTANTIATE_TEST_SUITE_P(Levels, FlacWriterTest, ::testing::Values(0, 5, 8));

// Comments as a tag reader finds them: UTF-8 of any script, a title longer
// than any ID3v1 field, empty values left out, the order kept.
TEST_F(FlacWriterTest, CommentsReadBackWithATagReader)
{
    const QString file = path("names.flac");
    const QString longTitle = QString(300, QChar(0x00e9));
    const FlacComments comments = {
        {"ARTIST", QStringLiteral("Пётр Ильич 日本語")}, {"ALBUM", QStringLiteral("Démo Album: Vol/1")},
        {"TITLE", longTitle},                           {"GENRE", QString()},
        {"TRACKNUMBER", QStringLiteral("3")},           {"TRACKTOTAL", QStringLiteral("12")},
    };
    FlacWriter w;
    ASSERT_TRUE(w.open(file, {}, comments, 0));
    const QByteArray pcm = test::makePcm16(kRate, 2, kRate, 3);
    ASSERT_TRUE(w.write(pcm.constData(), pcm.size()));
    ASSERT_TRUE(w.finish()) << w.errorText().toStdString();

    TagLib::FLAC::File f(QFile::encodeName(file).constData());
    ASSERT_TRUE(f.isValid());
    TagLib::Ogg::XiphComment* x = f.xiphComment();
    ASSERT_NE(x, nullptr);
    const auto field = [&](const char* name) {
        const TagLib::StringList values = x->fieldListMap()[name];
        return values.isEmpty() ? QStringLiteral("<none>") : QString::fromStdString(values.front().to8Bit(true));
    };
    EXPECT_EQ(field("ARTIST"), QStringLiteral("Пётр Ильич 日本語"));
    EXPECT_EQ(field("ALBUM"), QStringLiteral("Démo Album: Vol/1"));
    EXPECT_EQ(field("TITLE"), longTitle);
    EXPECT_EQ(field("GENRE"), QStringLiteral("<none>"));
    EXPECT_EQ(field("TRACKTOTAL"), QStringLiteral("12"));
    EXPECT_EQ(x->fieldCount(), 5u);
    // No length known: no seek table, the rest as always.
    EXPECT_TRUE(blocksOf(file).seekPoints.empty());
    EXPECT_EQ(blocksOf(file).padding, 8192u);
}

// Nothing that looks complete is left behind: an abandoned file, a writer
// dropped before its end and a write the system refuses all remove the
// file; the error names the file and the system's reason.
TEST_F(FlacWriterTest, AbortsAndFailuresLeaveNoFile)
{
    const QByteArray pcm = test::makePcm16(5 * kRate, 2, kRate, 5);
    {
        FlacWriter w;
        ASSERT_TRUE(w.open(path("a.flac"), {}, {}, 5 * kRate));
        ASSERT_TRUE(w.write(pcm.constData(), pcm.size() / 2));
        w.abandon();
        EXPECT_FALSE(QFile::exists(path("a.flac")));
        EXPECT_FALSE(w.isOpen());
        ASSERT_TRUE(w.open(path("b.flac"), {}, {}, 0));
        ASSERT_TRUE(w.write(pcm.constData(), 4096));
    }
    EXPECT_FALSE(QFile::exists(path("b.flac")));

    // A file size limit stands in for a full disk: the write fails with a
    // reason of the system's, as ENOSPC would.
    FileSizeLimit limit(64 * 1024);
    ASSERT_TRUE(limit.set());
    FlacWriter w;
    bool ok = w.open(path("full.flac"), {}, {}, 5 * kRate);
    for (qsizetype at = 0; ok && at < pcm.size(); at += 8192)
        ok = w.write(pcm.constData() + at, std::min<qsizetype>(8192, pcm.size() - at));
    if (ok)
        ok = w.finish();
    limit.lift();
    EXPECT_FALSE(ok);
    EXPECT_EQ(w.errorText(), path("full.flac") + ": " + QString::fromLocal8Bit(strerror(EFBIG)));
    w.abandon();
    EXPECT_FALSE(QFile::exists(path("full.flac")));
}

// Refused before anything is written: a level libFLAC does not have, a
// comment name the format forbids, a destination that is no regular file
// (which must never be removed), a folder that is not there.
TEST_F(FlacWriterTest, RefusesWhatItCannotWrite)
{
    FlacWriter w;
    EXPECT_FALSE(w.open(path("x.flac"), FlacSettings{9, true}, {}, 0));
    EXPECT_FALSE(w.open(path("x.flac"), {}, {{"BAD=NAME", QStringLiteral("v")}}, 0));
    EXPECT_FALSE(QFile::exists(path("x.flac")));
    EXPECT_FALSE(w.open(QStringLiteral("/dev/null"), {}, {}, 0));
    EXPECT_EQ(w.errorText(), QStringLiteral("/dev/null: not a regular file"));
    EXPECT_TRUE(QFile::exists(QStringLiteral("/dev/null")));
    EXPECT_FALSE(w.open(path("none/x.flac"), {}, {}, 0));
    EXPECT_TRUE(w.errorText().endsWith(QString::fromLocal8Bit(strerror(ENOENT))));
    EXPECT_FALSE(w.write("abcd", 4));
}

}
