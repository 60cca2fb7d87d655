// SPDX-License-Identifier: GPL-2.0-or-later
// Verified reading through the whole program: the WAV command over a
// generated disc with a local AccurateRip server, the grid's results, the
// rip log's per-track lines and checksums (computed here independently),
// the cue sheet read back by libcue, and read faults from the ripping
// library's hook.
#include "rip/trackripper.h"

#include "akrip32.h"
#include "akrip32_testing.h"
#include "cddbserver.h"
#include "programrun.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include "cuetext.h"
#include <zlib.h>

#include <fstream>

using namespace trackmill;
using namespace trackmill::test;
using Kind = RecordingMessageBoxes::Kind;

namespace {

constexpr qint64 kSector = 2352;

void put32(std::string& s, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        s += char((v >> (8 * i)) & 0xFF);
}

class SecureRunTest : public ProgramRunTest
{
protected:
    void SetUp() override
    {
        discSpec.content = discimage::Content::Music;
        insertDisc({discimage::bytesForSeconds(2.4), discimage::bytesForSeconds(1.3) + 8,
                    discimage::bytesForSeconds(1.9)});
        ASSERT_TRUE(server.listening());
    }

    void start()
    {
        ProgramRunTest::start("Verified", {1, 2, 3});
        ASSERT_TRUE(app->tracks().CD());
        LanguageTexts t = texts();
        t.reading.shortAccurate = "OK, AR %1";
        t.reading.shortRepaired = "OK, repaired %1";
        t.reading.shortReadError = "Read error";
        t.reading.shortNotVerified = "Not verified";
        t.reading.shortNotAccurate = "Not accurate";
        t.reading.longAccurate = "Accurately ripped (confidence %1 of %2, %3)";
        t.reading.longNotAccurate = "Not accurate (%1 submissions disagree)";
        t.reading.longNotInDatabase = "Not in database";
        t.reading.longReadError = "Read error at sector %1";
        t.reading.longReads = "Re-reads %1, repairs %2, skips %3";
        t.reading.accurateCount = "%1 of %2 tracks accurately ripped";
        app->languageTexts() = t;
        app->settings().readMode = 0;
        app->settings().accurateRipServer = QString("127.0.0.1:%1").arg(server.port());
    }

    QString albumDir() const { return output + "/The Band/Verified/"; }
    QString wav(int n) const { return albumDir() + QString("%1 - Song %2.wav").arg(n, 2, 10, QLatin1Char('0')).arg(n); }
    QString info(int n) const { return app->tracks().cell(5, n); }

    QByteArray pcm(int track) const
    {
        const std::vector<uint8_t> bytes = discimage::trackPcm(discSpec, track);
        QByteArray a(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
        // The image holds whole sectors: the padding is part of the track.
        a.append(QByteArray((kSector - a.size() % kSector) % kSector, '\0'));
        return a;
    }

    // AccurateRip v1 and v2 by Debian's independent implementation, over a
    // WAV file of the track's audio.
    std::pair<quint32, quint32> independentChecksums(int track)
    {
        const QString path = output + QString("/expected%1.wav").arg(track);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        const QByteArray audio = pcm(track);
        std::string header = "RIFF";
        put32(header, quint32(36 + audio.size()));
        header += "WAVEfmt ";
        put32(header, 16);
        header += std::string("\x01\x00\x02\x00", 4);
        put32(header, 44100);
        put32(header, 176400);
        header += std::string("\x04\x00\x10\x00", 4);
        header += "data";
        put32(header, quint32(audio.size()));
        f.write(header.data(), qint64(header.size()));
        f.write(audio);
        f.close();
        QProcess p;
        p.start("/usr/bin/python3", {"-c", QString("import accuraterip; v = accuraterip.compute('%1', %2, 3); "
                                                   "print(v[0], v[1])").arg(path).arg(track)});
        EXPECT_TRUE(p.waitForFinished(60000));
        const QStringList values = QString::fromLatin1(p.readAllStandardOutput()).split(' ');
        QFile::remove(path);
        return {values.value(0).toUInt(), values.value(1).trimmed().toUInt()};
    }

    // The database's file for the disc: one pressing, confidence 12, the
    // given checksum for each track.
    void serveDatabase(const std::vector<quint32>& crcs)
    {
        quint32 id1 = 0, id2 = 0, cddbSum = 0;
        for (size_t i = 0; i < layout.trackStart.size(); ++i) {
            id1 += layout.trackStart[i];
            id2 += std::max<quint32>(layout.trackStart[i], 1) * quint32(i + 1);
            for (quint32 s = (layout.trackStart[i] + 150) / 75; s > 0; s /= 10)
                cddbSum += s % 10;
        }
        const quint32 leadOut = layout.audioEnd;
        id1 += leadOut;
        id2 += leadOut * 4;
        const quint32 cddb = (cddbSum % 255) << 24 | (leadOut / 75) << 8 | 3;
        std::string body(1, char(3));
        put32(body, id1);
        put32(body, id2);
        put32(body, cddb);
        for (quint32 crc : crcs) {
            body += char(12);
            put32(body, crc);
            put32(body, 0);
        }
        const QString path = QString("/accuraterip/%1/%2/%3/dBAR-003-%4-%5-%6.bin")
                                 .arg(id1 & 0xF, 0, 16).arg((id1 >> 4) & 0xF, 0, 16).arg((id1 >> 8) & 0xF, 0, 16)
                                 .arg(id1, 8, 16, QLatin1Char('0')).arg(id2, 8, 16, QLatin1Char('0'))
                                 .arg(cddb, 8, 16, QLatin1Char('0'));
        server.setFile(path.toStdString(), body);
    }

    QString logText() const
    {
        QFile f(albumDir() + "The Band - Verified.log");
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    // The value of "key : value" in the log block of a track.
    static QString logField(const QString& log, int track, const QString& key)
    {
        const qsizetype at = log.indexOf(QString("\nTrack %1\n").arg(track, 2, 10, QLatin1Char('0')));
        const QRegularExpression line("\\n    " + QRegularExpression::escape(key) + " *: ([^\\n]*)");
        const QRegularExpressionMatch m = line.match(log, at < 0 ? log.size() : at);
        return m.hasMatch() ? m.captured(1) : QString();
    }

    static quint32 crc32Of(const QString& path)
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return 0;
        const QByteArray audio = f.readAll().mid(44);
        return quint32(crc32(0, reinterpret_cast<const Bytef*>(audio.constData()), uInt(audio.size())));
    }

    CddbServer server;
};

TEST_F(SecureRunTest, AccurateAndNotAccurateTracksInTheGridTheLogAndTheCueSheet)
{
    std::vector<quint32> crcs;
    for (int t = 1; t <= 3; ++t)
        crcs.push_back(t == 2 ? independentChecksums(t).first : independentChecksums(t).second);
    serveDatabase(crcs);
    // Track 2 of the disc differs from what the database knows.
    {
        std::fstream bin(layout.binPath, std::ios::in | std::ios::out | std::ios::binary);
        bin.seekp(std::streamoff(layout.trackStart[1] + 20) * kSector + 1000);
        bin.write("\x55\x66\x77\x11", 4);
    }
    start();
    press("WAV");
    expectIdle();

    EXPECT_TRUE(info(1).startsWith(" OK 00:00:")) << info(1).toStdString();
    EXPECT_TRUE(info(1).endsWith(" (OK, AR 12)")) << info(1).toStdString();
    EXPECT_TRUE(info(2).endsWith(" (Not accurate)")) << info(2).toStdString();
    EXPECT_TRUE(info(3).endsWith(" (OK, AR 12)")) << info(3).toStdString();
    EXPECT_TRUE(app->tracks().toolTip(5, 1).startsWith("Accurately ripped (confidence 12 of 12, v2)\n"
                                                       "Re-reads 0, repairs 0, skips 0\nCRC32 "));
    EXPECT_TRUE(app->tracks().toolTip(5, 2).startsWith("Not accurate (12 submissions disagree)"));
    ASSERT_EQ(boxes.messages.size(), 1);
    EXPECT_EQ(boxes.messages[0].kind, Kind::Information);
    EXPECT_TRUE(boxes.messages[0].text.endsWith("\n    2 of 3 tracks accurately ripped")) << boxes.messages[0].text.toStdString();

    const QString log = logText();
    ASSERT_FALSE(log.isEmpty());
    for (int t = 1; t <= 3; ++t) {
        EXPECT_EQ(logField(log, t, "File"), QString("%1 - Song %2.wav").arg(t, 2, 10, QLatin1Char('0')).arg(t));
        EXPECT_EQ(logField(log, t, "Copy CRC32"), QString("%1").arg(crc32Of(wav(t)), 8, 16, QLatin1Char('0')).toUpper())
            << "track " << t;
        EXPECT_EQ(logField(log, t, "Skips"), "0");
    }
    EXPECT_EQ(logField(log, 1, "AccurateRip v2"), QString("%1").arg(crcs[0], 8, 16, QLatin1Char('0')).toUpper());
    EXPECT_EQ(logField(log, 1, "Result"), "Accurately ripped (confidence 12 of 12, v2)");
    EXPECT_EQ(logField(log, 2, "Result"), "Not accurate (12 submissions disagree)");
    EXPECT_TRUE(log.contains("Read mode           : Secure (paranoia full mode, 20 retries)\n"));
    EXPECT_TRUE(log.endsWith("\nNot accurately ripped: track 2\n")) << log.toStdString();

    QFile cueFile(albumDir() + "The Band - Verified.cue");
    ASSERT_TRUE(cueFile.open(QIODevice::ReadOnly));
    Cd* cd = cue_parse_string(cueFile.readAll().constData());
    ASSERT_NE(cd, nullptr);
    EXPECT_STREQ(cueText(PTI_PERFORMER, cd_get_cdtext(cd)), "The Band");
    ASSERT_EQ(cd_get_ntrack(cd), 3);
    for (int t = 1; t <= 3; ++t) {
        Track* track = cd_get_track(cd, t);
        EXPECT_EQ(QString(track_get_filename(track)), QFileInfo(wav(t)).fileName());
        EXPECT_EQ(QString(cueText(PTI_TITLE, track_get_cdtext(track))), QString("Song %1").arg(t));
    }
    cd_delete(cd);
}

TEST_F(SecureRunTest, SectorReadOnlyOnTheSecondTryIsRepairedAndNotVerifiedWithoutDatabase)
{
    AkripTestFailSector(layout.trackStart[1] + 40, 1);
    start();
    app->tracks().setSelection(1, false);
    app->tracks().setSelection(3, false);
    press("WAV");
    expectIdle();
    EXPECT_TRUE(QRegularExpression(" \\(OK, repaired [1-9][0-9]*\\)$").match(info(2)).hasMatch()) << info(2).toStdString();
    QFile f(wav(2));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().mid(44) == pcm(2)) << "the repaired track holds the disc's audio";
    const QString log = logText();
    EXPECT_NE(logField(log, 2, "Re-reads"), "0");
    EXPECT_EQ(logField(log, 2, "Result"), "Not in database");
    EXPECT_TRUE(log.contains("AccurateRip lookup  : not in the database\n"));
    EXPECT_FALSE(QFile::exists(albumDir() + "The Band - Verified.cue")) << "not the whole disc";
}

TEST_F(SecureRunTest, UnreadableSectorIsAReadErrorWithTheDesignedBoxAndTheSectorInTheLog)
{
    const quint32 bad = layout.trackStart[1] + 30;
    AkripTestFailSector(bad, AKRIP_FAULT_ALWAYS);
    start();
    press("WAV");
    expectIdle();
    EXPECT_TRUE(info(1).endsWith("(Not verified)")) << info(1).toStdString();
    EXPECT_EQ(info(2), "ASPI error: 4 (Read error)");
    EXPECT_EQ(app->tracks().toolTip(5, 2).section('\n', 0, 0), QString("Read error at sector %1").arg(bad));
    ASSERT_EQ(boxes.messages.size(), 1);
    EXPECT_EQ(boxes.messages[0], (RecordingMessageBoxes::Message{Kind::Error, TrackRipper::ReadErrorText(4, "ASPI error")}));
    // What was read stays a valid, shorter WAV file.
    QFile f(wav(2));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray file = f.readAll();
    EXPECT_LT(file.size() - 44, pcm(2).size());
    EXPECT_TRUE(pcm(2).startsWith(file.mid(44)));
    const QString log = logText();
    EXPECT_EQ(logField(log, 2, "Read error at"), QString("sector %1").arg(bad));
    EXPECT_EQ(logField(log, 2, "Result"), QString("Read error at sector %1").arg(bad));
    EXPECT_TRUE(log.endsWith("Not ripped completely: track 2\nNot verified (not in the AccurateRip database): track 1\n"))
        << log.toStdString();
    EXPECT_FALSE(QFile::exists(albumDir() + "The Band - Verified.cue"));
    EXPECT_FALSE(QFile::exists(wav(3))) << "the run stops at the failed track";
}

}
