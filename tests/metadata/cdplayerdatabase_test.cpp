// SPDX-License-Identifier: GPL-2.0-or-later
// The CD Player database: disc id, readers for the three windows, writer.
#include "metadata/cdplayerdatabase.h"
#include "metadata/discid.h"
#include "testenvironment.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace trackmill {
namespace {

// MSF address as a drive reports it: 0, M, S, F big-endian.
quint32 msf(int m, int s, int f)
{
    return quint32(m) << 16 | quint32(s) << 8 | quint32(f);
}

TEST(CdPlayerDiscId, SumOfAudioTrackAddresses)
{
    struct Case { const char* name; QList<TocAddress> tracks; const char* id; };
    const QList<Case> cases = {
        {"three audio tracks", {{0x10, msf(0, 2, 0)}, {0x10, msf(4, 10, 33)}, {0x10, msf(8, 0, 70)}}, "C0C67"},
        {"first track data", {{0x14, msf(0, 2, 0)}, {0x10, msf(4, 10, 33)}, {0x10, msf(8, 0, 70)}}, "C0A67"},
        {"last track data", {{0x10, msf(0, 2, 0)}, {0x10, msf(4, 10, 33)}, {0x14, msf(8, 0, 70)}}, "40C21"},
        {"only 0x14 is data", {{0x10, 0x200}, {0x11, 0x1}, {0x12, 0x1}, {0x16, 0x1}, {0x04, 0x1}}, "0204"},
        {"padded to four digits", {{0x10, 0x1F}}, "001F"},
        {"nothing", {}, "0000"},
        {"only data", {{0x14, msf(0, 2, 0)}}, "0000"},
        {"wraps at 32 bits", {{0x10, 0xFFFFFFFF}, {0x10, 0x201}}, "0200"},
        {"more than four digits", {{0x10, 0x12345}}, "12345"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cdPlayerDiscId(c.tracks), QString::fromLatin1(c.id)) << c.name;
}

TEST(CdPlayerDiscId, FromTocRecord)
{
    QByteArray toc(804, '\0');
    toc[2] = 1;
    toc[3] = 3;
    const quint32 addresses[4] = {msf(0, 2, 0), msf(4, 10, 33), msf(8, 0, 70), msf(9, 0, 0)};
    for (int i = 0; i < 4; ++i) {
        char* entry = toc.data() + 4 + 8 * i;
        entry[1] = i < 3 ? 0x10 : 0x14;
        entry[2] = char(i < 3 ? i + 1 : 0xAA);
        for (int b = 0; b < 4; ++b)
            entry[4 + b] = char(addresses[i] >> (24 - 8 * b));
    }
    EXPECT_EQ(cdPlayerDiscIdFromToc(toc), "C0C67"); // the lead-out is not counted

    QByteArray bogus = toc;
    bogus[2] = 5; // last before first
    EXPECT_EQ(cdPlayerDiscIdFromToc(bogus), "0000");
    bogus = toc;
    bogus[2] = 0;
    bogus[3] = char(255); // more entries than the record holds
    EXPECT_FALSE(cdPlayerDiscIdFromToc(bogus).isEmpty());
    EXPECT_EQ(cdPlayerDiscIdFromToc(toc.left(4 + 8 * 2)), "40C21"); // short record
    EXPECT_EQ(cdPlayerDiscIdFromToc(QByteArray()), "0000");
}

class CdPlayerDatabaseTest : public ::testing::Test
{
protected:
    void SetUp() override { QDir(dir).removeRecursively(); }

    void writeFile(const QByteArray& bytes)
    {
        QDir().mkpath(dir);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray fileBytes()
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    const QString dir = test::isolatedRoot() + QStringLiteral("/config/Trackmill");
    const QString path = dir + QStringLiteral("/CDPLAYER.INI");
};

// A known disc: ten audio tracks and a final data track.
const QByteArray kKnownDisc = "[C0C67]\r\nEntryTypeInt=1\r\nARTIST=The Band\r\nTitle=The Album\r\nyear=1999\r\n"
                              "genre=17\r\nnumtracks=10\r\n0=One\r\n1=Two\r\n2=Three\r\n3=Four\r\n4=Five\r\n"
                              "5=Six\r\n6=Seven\r\n7=Eight\r\n8=Nine\r\n9=Ten\r\n";

TEST_F(CdPlayerDatabaseTest, MainWindowNames)
{
    EXPECT_FALSE(CdPlayerDatabase(path).namesForMainWindow("C0C67", 12)) << "no file";
    writeFile(kKnownDisc);
    const auto names = CdPlayerDatabase(path).namesForMainWindow("c0c67", 12); // header + 11 track rows
    ASSERT_TRUE(names);
    EXPECT_EQ(names->artist, "The Band");
    EXPECT_EQ(names->album, "The Album");
    ASSERT_EQ(names->rowNames.size(), 11);
    EXPECT_EQ(names->rowNames[9], "Ten");
    EXPECT_EQ(names->rowNames[10], "DataTrack");

    // Names missing in the middle stay empty; only the last row is special.
    writeFile("[0200]\nartist=A\n1=second\n");
    const auto sparse = CdPlayerDatabase(path).namesForMainWindow("0200", 4);
    ASSERT_TRUE(sparse);
    EXPECT_EQ(sparse->rowNames, (QStringList{"", "second", "DataTrack"}));

    // Without an artist the disc is unknown and the window keeps its names.
    writeFile("[C0C67]\r\nartist=\r\ntitle=Album without artist\r\n0=x\r\n[OTHER]\r\nartist=Y\r\n");
    EXPECT_FALSE(CdPlayerDatabase(path).namesForMainWindow("C0C67", 12));
    EXPECT_FALSE(CdPlayerDatabase(path).isKnown("C0C67"));

    // Other programs' windows-1252 is read as such.
    writeFile("[C0C67]\r\nartist=Mot\xF6rhead\r\ntitle=Ace \x96 Spades\r\n0=\xC3\xA9t\xC3\xA9\r\n");
    const auto legacy = CdPlayerDatabase(path).namesForMainWindow("C0C67", 2);
    ASSERT_TRUE(legacy);
    EXPECT_EQ(legacy->artist, QString::fromUtf8("Mot\xC3\xB6rhead"));
    EXPECT_EQ(legacy->album, QString::fromUtf8("Ace \xE2\x80\x93 Spades"));
    EXPECT_EQ(legacy->rowNames.first(), QString::fromUtf8("\xC3\xA9t\xC3\xA9"));
}

TEST_F(CdPlayerDatabaseTest, TrackNameTabAndTagEditorGenre)
{
    writeFile(kKnownDisc + "[A]\r\nartist=x\r\ngenre=0\r\n[B]\r\nartist=x\r\n[D]\r\ngenre=junk\r\n");
    const CdPlayerDatabase db(path);

    const TrackNameTabNames known = db.namesForTrackNameTab("C0C67", 12, true);
    EXPECT_TRUE(known.known);
    EXPECT_EQ(known.year, "1999");
    EXPECT_EQ(known.genre, 17);
    EXPECT_EQ(known.availableTracks, 10);
    EXPECT_EQ(known.tracks.size(), 10);
    EXPECT_TRUE(known.showCount);

    const TrackNameTabNames unknown = db.namesForTrackNameTab("ABCD", 13, false);
    EXPECT_FALSE(unknown.known);
    EXPECT_EQ(unknown.availableTracks, 12);
    ASSERT_EQ(unknown.tracks.size(), 12);
    EXPECT_EQ(unknown.tracks[8], "AudioTrack 09");
    EXPECT_EQ(unknown.tracks.last(), "AudioTrack 12");

    const TrackNameTabNames single = db.namesForTrackNameTab("ABCD", 2, false);
    EXPECT_TRUE(single.tracks.isEmpty());
    EXPECT_FALSE(single.showCount);

    // A stored 0, none, junk or no section select "Pop".
    for (const char* id : {"A", "B", "D", "missing"})
        EXPECT_EQ(db.genreForTagEditor(id), 98) << id;
    EXPECT_EQ(db.genreForTagEditor("C0C67"), 17);
}

TEST_F(CdPlayerDatabaseTest, StoreWritesTheSectionInOrderAndKeepsTheRest)
{
    CdPlayerDatabase db(path); // the folder does not exist yet
    ASSERT_TRUE(db.store("C0C67", {"The Band", "The Album", "1999", 98, {"One", "Two"}})) << db.errorString().toStdString();
    EXPECT_EQ(fileBytes(), "[C0C67]\r\nEntryTypeInt=1\r\nartist=The Band\r\ntitle=The Album\r\nyear=1999\r\n"
                           "genre=98\r\nnumtracks=2\r\n0=One\r\n1=Two\r\n");

    writeFile("; discs\r\n[1234]\r\nartist=Other\r\n0=Keep\r\n\r\n[C0C67]\r\nARTIST=Old\r\n0=old one\r\n"
              "1=old two\r\n2=old three\r\n\r\n[FFFF]\r\nartist=Last\r\n");
    ASSERT_TRUE(db.store("C0C67", {"New", "Album", "", 3, {"new one"}}));
    EXPECT_EQ(fileBytes(), "; discs\r\n[1234]\r\nartist=Other\r\n0=Keep\r\n\r\n[C0C67]\r\nARTIST=New\r\n"
                           "0=new one\r\n1=old two\r\n2=old three\r\nEntryTypeInt=1\r\ntitle=Album\r\nyear=\r\n"
                           "genre=3\r\nnumtracks=1\r\n\r\n[FFFF]\r\nartist=Last\r\n");

    // Stored again, a ten-name disc with a final data track keeps ten.
    writeFile(kKnownDisc);
    const TrackNameTabNames tab = db.namesForTrackNameTab("C0C67", 12, true);
    ASSERT_TRUE(db.store("C0C67", {tab.artist, tab.album, tab.year, tab.genre, tab.tracks}));
    EXPECT_TRUE(fileBytes().contains("numtracks=10\r\n"));
    EXPECT_FALSE(fileBytes().contains("\r\n10="));
}

TEST_F(CdPlayerDatabaseTest, NamesSurviveTheRoundTrip)
{
    CdPlayerDatabase db(path);
    const QStringList tracks = {" leading space", "trailing space ", "\"Quoted\"", "'single'",
                                QString::fromUtf8("Bj\xC3\xB6rk \xE6\x97\xA5\xE6\x9C\xAC"), "a=b; c", "",
                                "[NotASection]", "line\nbreak"};
    ASSERT_TRUE(db.store("ABCD", {" Artist ", "\"Album\"", "2001", 5, tracks}));

    const TrackNameTabNames back = db.namesForTrackNameTab("ABCD", int(tracks.size()) + 1, false);
    EXPECT_EQ(back.artist, " Artist ");
    EXPECT_EQ(back.album, "\"Album\"");
    ASSERT_EQ(back.tracks.size(), tracks.size());
    for (qsizetype i = 0; i + 1 < tracks.size(); ++i)
        EXPECT_EQ(back.tracks[i], tracks[i]) << i;
    // A line break cannot live in an INI value; it must not start a line.
    EXPECT_FALSE(back.tracks.last().contains('\n'));
    EXPECT_FALSE(db.isKnown("NotASection"));
}

TEST_F(CdPlayerDatabaseTest, StoreReportsAFileThatCannotBeWritten)
{
    QDir().mkpath(path); // a folder where the file should be
    CdPlayerDatabase db(path);
    EXPECT_FALSE(db.store("C0C67", {"A", "B", "", 0, {}}));
    EXPECT_FALSE(db.errorString().isEmpty());
}

}
}
