// SPDX-License-Identifier: GPL-2.0-or-later
// Track checksums against published vectors and against Debian's
// independent checker (accuraterip-checksum, package whipper) on tracks
// ripped from a generated image with the drive's read offset applied.
#include "rip/wavfilesink.h"
#include "secure/offsetreader.h"
#include "secure/trackchecksums.h"
#include "secure/verifyingsink.h"

#include "akrip32.h"
#include "akrip32_testing.h"
#include "discimage.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>

using namespace trackmill;

namespace {

// The facts' synthetic track: frame k has L = 7k, R = 0xFFFF - k.
QByteArray pattern(quint32 frames)
{
    QByteArray pcm(qsizetype(frames) * 4, Qt::Uninitialized);
    for (quint32 k = 0; k < frames; ++k) {
        const quint16 l = quint16(7 * k), r = quint16(0xFFFF - k);
        pcm[4 * k] = char(l);
        pcm[4 * k + 1] = char(l >> 8);
        pcm[4 * k + 2] = char(r);
        pcm[4 * k + 3] = char(r >> 8);
    }
    return pcm;
}

TEST(TrackChecksums, PublishedVectorsFirstMiddleLastAndSingleTrack)
{
    struct Case {
        quint32 frames;
        bool first, last;
        quint32 v1, v2;
    };
    const Case cases[] = {
        {5880, true, true, 0x1F8AEC0C, 0x1F8AF704},     {5880, true, false, 0x8EA05A80, 0x8F586CE3},
        {5880, false, false, 0x3C26B068, 0x3D1EB097},   {5880, false, true, 0xCD1141F4, 0xCD513AB8},
        {294000, true, true, 0x9CB12D74, 0xB8D4D754},   {294000, false, false, 0x5A633850, 0x9244CEE9},
    };
    for (const Case& c : cases) {
        const QByteArray pcm = pattern(c.frames);
        TrackChecksums sums;
        sums.begin(c.frames, c.first, c.last);
        // In odd pieces: a frame may straddle two writes.
        for (qsizetype at = 0; at < pcm.size(); at += 4099)
            sums.add(pcm.constData() + at, std::min<qsizetype>(4099, pcm.size() - at));
        EXPECT_EQ(sums.accurateRipV1(), c.v1) << c.frames << c.first << c.last;
        EXPECT_EQ(sums.accurateRipV2(), c.v2) << c.frames << c.first << c.last;
    }
    // Shorter than the skipped 5 sectors: nothing takes part.
    TrackChecksums tiny;
    tiny.begin(100, true, false);
    tiny.add(pattern(100).constData(), 400);
    EXPECT_EQ(tiny.accurateRipV1(), 0u);

    TrackChecksums crc;
    crc.begin(0, false, false);
    crc.add("123456789", 9);
    EXPECT_EQ(crc.crc32(), 0xCBF43926u) << "the CRC-32 check value";
    const char loud[] = {0, char(0x80), char(0xFF), 0x7F};
    crc.begin(1, false, false);
    crc.add(loud, 4);
    EXPECT_EQ(crc.peak(), 32768);
}

class OffsetRipTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        AkripTestReset();
        AkripTestUsePhysicalDrives(0);
        AkripTestSetDiscsDir(QFile::encodeName(dir.path()).constData());
        // Music: three tracks of uneven lengths, the last one ends the disc.
        discSpec.content = discimage::Content::Music;
        discSpec.trackBytes = {discimage::bytesForSeconds(2.5), discimage::bytesForSeconds(1.7) + 4 * 100,
                           discimage::bytesForSeconds(2.2)};
        layout = discimage::writeDisc(QDir(dir.path()).filePath("disc").toStdString(), discSpec);
        GETCDHAND req {};
        req.size = sizeof req;
        req.ver = 1;
        handle = GetCDHandle(&req);
        ASSERT_NE(handle, 0u);
        TOC toc;
        ModifyCDParms(handle, CDP_MSF, 0);
        ASSERT_EQ(ReadTOC(handle, &toc), SS_COMP);
    }
    void TearDown() override
    {
        CloseCDHandle(handle);
        AkripTestReset();
        AkripTestUsePhysicalDrives(0);
    }

    // The disc's samples from `first` (a sample number, may be negative)
    // on, zeros outside the audio.
    QByteArray discSamples(qint64 first, qint64 count) const
    {
        std::ifstream in(layout.binPath, std::ios::binary);
        const qint64 total = qint64(layout.audioEnd) * 588;
        QByteArray out(count * 4, '\0');
        for (qint64 i = 0; i < count; ++i) {
            const qint64 s = first + i;
            if (s < 0 || s >= total)
                continue;
            in.seekg(s * 4);
            in.read(out.data() + i * 4, 4);
        }
        return out;
    }

    // Rips track (1-based) with the offset as the ripper reads: 26 sectors
    // at a time through the offset reader, into a WAV file.
    QString rip(int track, int offset, TrackChecksums* sums)
    {
        const qint64 start = layout.trackStart[track - 1];
        const qint64 length = layout.trackSectors[track - 1];
        const QString path = QDir(dir.path()).filePath(QString("t%1_%2.wav").arg(track).arg(offset));
        WavFileSink file(path);
        VerifyingSink sink(file, track == 1, track == 3);
        OffsetReader reader(offset, 0, layout.audioEnd);
        QString error;
        EXPECT_TRUE(sink.begin(quint64(length) * 2352, &error));
        std::vector<char> storage(TRACKBUFEXTRA + 26 * 2352);
        auto* t = reinterpret_cast<TRACKBUF*>(storage.data());
        t->maxLen = 26 * 2352;
        for (qint64 at = 0; at < length; at += 26) {
            const qint64 n = std::min<qint64>(26, length - at);
            EXPECT_EQ(reader.read(handle, start + at, n, t), DWORD(SS_COMP));
            EXPECT_TRUE(sink.write(reinterpret_cast<const char*>(t->buf), t->len, &error));
        }
        EXPECT_TRUE(sink.end(AudioSink::End::Complete, &error));
        *sums = sink.checksums();
        QFile wav(path);
        EXPECT_TRUE(wav.open(QIODevice::ReadOnly));
        EXPECT_TRUE(wav.readAll().mid(44) == discSamples(start * 588 + offset, length * 588))
            << "track " << track << " offset " << offset;
        return path;
    }

    QTemporaryDir dir;
    discimage::DiscSpec discSpec;
    discimage::DiscLayout layout;
    HCDROM handle = 0;
};

TEST_F(OffsetRipTest, ChecksumsMatchTheIndependentCheckerWithEveryOffset)
{
    const QString checker = QStringLiteral("/usr/bin/accuraterip-checksum");
    ASSERT_TRUE(QFile::exists(checker)) << "scripts/install-deps.sh installs whipper";
    for (const int offset : {0, 6, -30}) {
        for (const int track : {1, 2, 3}) {
            TrackChecksums sums;
            const QString wav = rip(track, offset, &sums);
            for (const bool v1 : {true, false}) {
                QProcess p;
                p.start(checker, {v1 ? "--accuraterip-v1" : "--accuraterip-v2", wav, QString::number(track), "3"});
                ASSERT_TRUE(p.waitForFinished(60000));
                const QString printed = QString::fromLatin1(p.readAllStandardOutput()).trimmed();
                const quint32 ours = v1 ? sums.accurateRipV1() : sums.accurateRipV2();
                EXPECT_EQ(printed, QString("%1").arg(ours, 8, 16, QLatin1Char('0')).toUpper())
                    << "track " << track << " offset " << offset << (v1 ? " v1" : " v2");
            }
        }
    }
}

}
