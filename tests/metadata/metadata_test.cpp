// SPDX-License-Identifier: GPL-2.0-or-later
// The CD Player database (disc id, readers for the three windows, writer)
// and the freedb lookup against a scripted CDDB client; the disc names
// tests run both through the library against the local test server.
#include "platform/hiddenlog.h"
#include "metadata/backgroundcddbservice.h"
#include "metadata/cdplayerdatabase.h"
#include "metadata/discid.h"
#include "metadata/freedblookup.h"
#include "testenvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <stdexcept>
#include <tuple>
#include <sys/stat.h>
#include <unistd.h>

namespace trackmill {
namespace {

// MSF address as a drive reports it: 0, M, S, F big-endian.
quint32 msf(int m, int s, int f) { return quint32(m) << 16 | quint32(s) << 8 | quint32(f); }

TEST(CdPlayerDiscId, SumOfAudioTrackAddresses)
{
    struct Case { const char* name; QList<TocAddress> tracks; const char* id; };
    const QList<Case> cases = {
        {"three audio tracks", {{0x10, msf(0, 2, 0)}, {0x10, msf(4, 10, 33)}, {0x10, msf(8, 0, 70)}}, "C0C67"},
        {"last track data", {{0x10, msf(0, 2, 0)}, {0x10, msf(4, 10, 33)}, {0x14, msf(8, 0, 70)}}, "40C21"},
        {"only 0x14 is data", {{0x10, 0x200}, {0x11, 0x1}, {0x12, 0x1}, {0x16, 0x1}, {0x04, 0x1}}, "0204"},
        {"padded to four digits", {{0x10, 0x1F}, {0x14, msf(0, 2, 0)}}, "001F"},
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
    // Names missing in the middle stay empty; only the last row is special.
    writeFile("[0200]\nartist=A\n1=second\n");
    const auto sparse = CdPlayerDatabase(path).namesForMainWindow("0200", 4);
    ASSERT_TRUE(sparse);
    EXPECT_EQ(sparse->rowNames, (QStringList{"", "second", "DataTrack"}));
    // Without an artist the disc is unknown and the window keeps its names.
    writeFile("[C0C67]\r\nartist=\r\ntitle=Album without artist\r\n0=x\r\n[OTHER]\r\nartist=Y\r\n");
    EXPECT_FALSE(CdPlayerDatabase(path).namesForMainWindow("C0C67", 12));
    // Other programs' windows-1252 is read as such; ids in any case.
    writeFile("[C0C67]\r\nartist=Mot\xF6rhead\r\ntitle=Ace \x96 Spades\r\n0=\xC3\xA9t\xC3\xA9\r\n");
    const auto legacy = CdPlayerDatabase(path).namesForMainWindow("c0c67", 2);
    ASSERT_TRUE(legacy);
    EXPECT_EQ(legacy->artist + legacy->album, QString::fromUtf8("Mot\xC3\xB6rheadAce \xE2\x80\x93 Spades"));
    EXPECT_EQ(legacy->rowNames.first(), QString::fromUtf8("\xC3\xA9t\xC3\xA9"));
}

TEST_F(CdPlayerDatabaseTest, TrackNameTabAndTagEditorGenre)
{
    writeFile(kKnownDisc + "[A]\r\nartist=x\r\ngenre=0\r\n[B]\r\nartist=x\r\n[D]\r\ngenre=junk\r\n");
    const CdPlayerDatabase db(path);
    const TrackNameTabNames known = db.namesForTrackNameTab("C0C67", 12, true);
    EXPECT_TRUE(known.known && known.showCount);
    EXPECT_EQ(known.availableTracks, 10);
    EXPECT_EQ(known.tracks.size(), 10);

    const TrackNameTabNames unknown = db.namesForTrackNameTab("ABCD", 13, false);
    EXPECT_FALSE(unknown.known);
    EXPECT_EQ(unknown.tracks.value(11), "AudioTrack 12");
    EXPECT_FALSE(db.namesForTrackNameTab("ABCD", 2, false).showCount);
    // A stored 0, none, junk or no section select "Pop".
    for (const char* id : {"A", "B", "D", "missing"})
        EXPECT_EQ(db.genreForTagEditor(id), 98) << id;
    EXPECT_EQ(db.genreForTagEditor("C0C67"), 17);
}

TEST_F(CdPlayerDatabaseTest, StoreWritesTheSectionInOrderAndLeavesNoOlderTrackNames)
{
    CdPlayerDatabase db(path); // the folder does not exist yet
    ASSERT_TRUE(db.store("C0C67", {"The Band", "The Album", "1999", 98, {"One", "Two"}})) << db.errorString().toStdString();
    EXPECT_EQ(fileBytes(), "[C0C67]\r\nEntryTypeInt=1\r\nartist=The Band\r\ntitle=The Album\r\nyear=1999\r\n"
                           "genre=98\r\nnumtracks=2\r\n0=One\r\n1=Two\r\n");

    writeFile("; discs\r\n[1234]\r\nartist=Other\r\n0=Keep\r\n\r\n[C0C67]\r\nARTIST=Old\r\n0=old one\r\n"
              "1=old two\r\n2=old three\r\n\r\n[FFFF]\r\nartist=Last\r\n");
    ASSERT_TRUE(db.store("C0C67", {"New", "Album", "", 3, {"new one"}}));
    // Fewer names than before: the old ones beyond the new count go, those
    // of other discs stay.
    EXPECT_EQ(fileBytes(), "; discs\r\n[1234]\r\nartist=Other\r\n0=Keep\r\n\r\n[C0C67]\r\nARTIST=New\r\n"
                           "0=new one\r\nEntryTypeInt=1\r\ntitle=Album\r\nyear=\r\n"
                           "genre=3\r\nnumtracks=1\r\n\r\n[FFFF]\r\nartist=Last\r\n");
    EXPECT_EQ(db.namesForTrackNameTab("C0C67", 4, false).tracks, (QStringList{"new one", "", ""}));
    // Stored again, a ten-name disc with a final data track keeps ten.
    writeFile(kKnownDisc);
    const TrackNameTabNames tab = db.namesForTrackNameTab("C0C67", 12, true);
    ASSERT_TRUE(db.store("C0C67", {tab.artist, tab.album, tab.year, tab.genre, tab.tracks}));
    EXPECT_TRUE(fileBytes().contains("numtracks=10\r\n"));
    EXPECT_FALSE(fileBytes().contains("\r\n10="));

    QFile::remove(path);
    QDir().mkpath(path); // a folder where the file should be
    EXPECT_FALSE(db.store("C0C67", {"A", "B", "", 0, {}}));
    EXPECT_FALSE(db.errorString().isEmpty());
}

TEST_F(CdPlayerDatabaseTest, NamesBeyondTheStoredCountAreNoTrackNames)
{
    // As earlier versions left them: a three-track store over a five-track entry.
    writeFile("[C0C67]\r\nartist=A\r\nnumtracks=3\r\n0=a\r\n1=b\r\n2=c\r\n3=stale\r\n4=stale\r\n");
    const CdPlayerDatabase db(path);
    EXPECT_EQ(db.namesForTrackNameTab("C0C67", 6, false).tracks, (QStringList{"a", "b", "c", "", ""}));
    EXPECT_EQ(db.namesForMainWindow("C0C67", 6)->rowNames, (QStringList{"a", "b", "c", "", "DataTrack"}));
    // Without a count every stored name is read, as the design has it.
    writeFile("[C0C67]\r\nartist=A\r\n0=a\r\n1=b\r\n");
    EXPECT_EQ(db.namesForTrackNameTab("C0C67", 3, false).tracks, (QStringList{"a", "b"}));
}

TEST_F(CdPlayerDatabaseTest, AFifoOrDeviceIsADamagedDatabaseNotAHang)
{
    QDir().mkpath(dir);
    ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    alarm(20);  // a reader that blocks fails instead of hanging the suite
    CdPlayerDatabase db(path);
    EXPECT_FALSE(db.isKnown("C0C67"));
    EXPECT_FALSE(db.namesForMainWindow("C0C67", 3));
    EXPECT_FALSE(db.store("C0C67", {"A", "B", "", 0, {"x"}}));
    EXPECT_EQ(db.errorString(), "Unable to write to " + path + ": not a regular file");
    EXPECT_TRUE(QFileInfo(path).isFile() == false && QFileInfo::exists(path));  // still the FIFO
    QFile::remove(path);
    ASSERT_TRUE(QFile::link("/dev/zero", path));
    EXPECT_EQ(db.namesForTrackNameTab("C0C67", 3, false).tracks, (QStringList{"AudioTrack 01", "AudioTrack 02"}));
    EXPECT_FALSE(db.store("C0C67", {"A", "B", "", 0, {"x"}}));
    EXPECT_TRUE(QFileInfo(path).isSymLink());
    alarm(0);
}

TEST_F(CdPlayerDatabaseTest, NamesSurviveTheRoundTrip)
{
    CdPlayerDatabase db(path);
    const QStringList tracks = {" leading space", "\"Quoted\"", QString::fromUtf8("Bj\xC3\xB6rk \xE6\x97\xA5"),
                                "a=b; c", "", "[NotASection]", "line\nbreak"};
    ASSERT_TRUE(db.store("ABCD", {" Artist ", "\"Album\"", "2001", 5, tracks}));

    const TrackNameTabNames back = db.namesForTrackNameTab("ABCD", int(tracks.size()) + 1, false);
    EXPECT_EQ(back.artist + back.album, " Artist \"Album\"");
    ASSERT_EQ(back.tracks.size(), tracks.size());
    EXPECT_EQ(back.tracks.mid(0, 6), tracks.mid(0, 6));
    // A line break cannot live in an INI value; it must not start a line.
    EXPECT_FALSE(back.tracks.last().contains('\n'));
    EXPECT_FALSE(db.isKnown("NotASection"));
}

class ScriptedCddb : public CddbService
{
public:
    using OptionCall = std::tuple<int, QByteArray, int>;
    void setOption(Option option, const QByteArray& text, int value) override { options.append({int(option), text, value}); }
    QList<CddbMatchRecord> query(int capacity) override
    {
        ++queries;
        return matches.mid(0, capacity);
    }
    std::optional<QString> diskInfo(const CddbMatchRecord& match) override
    {
        if (match.discId == "gone")
            throw std::runtime_error("gone");
        fetched.append(match.discId);
        if (whileFetching)
            whileFetching();
        return entries.contains(match.discId) ? std::optional(entries.at(match.discId)) : std::nullopt;
    }
    void cancel() override { ++cancels; }

    QList<OptionCall> options;
    QList<CddbMatchRecord> matches;
    std::map<QString, QString> entries; // by disc id
    int queries = 0;
    int cancels = 0;
    QStringList fetched;
    // What the user does while an entry is on its way.
    std::function<void()> whileFetching;
};

QString entryWithTitles(const QString& prefix, int count)
{
    QString text = QStringLiteral("DISCID=x\nDTITLE=%1 / Album\n").arg(prefix);
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("TTITLE%1=%2 %3\n").arg(i).arg(prefix).arg(i + 1);
    return text + QStringLiteral("EXTD=extra\nEXTT0=\nPLAYORDER=\n");
}

TEST(FreedbLookup, OptionsInOrder)
{
    using O = ScriptedCddb::OptionCall;
    struct Case { const char* name; FreedbSettings settings; QList<O> proxyOptions; };
    const QList<Case> cases = {
        {"no proxy", {false, "proxy.lan", "3128", false}, {{2, "", 0}}},
        {"proxy", {true, "proxy.lan", " 3128 ", true}, {{2, "", 1}, {1, "proxy.lan", 0}, {5, "", 3128}}},
        {"proxy without port", {true, "proxy.lan", "", false}, {{2, "", 0}}},
    };
    for (const Case& c : cases) {
        ScriptedCddb cddb;
        HiddenLog log;
        FreedbLookup(cddb, log).run(c.settings, 5);
        QList<O> expected = {{0, "gnudb.gnudb.org", 0}, {6, "/~cddb/cddb.cgi", 0},
                             {4, FreedbLookup::kDefaultEmail, 0}, {3, "Trackmill 2.0", 0}};
        expected += c.proxyOptions;
        // One limit for the whole lookup, lifted when it is over.
        expected += {O{7, "", 80}, O{8, "", c.settings.autoStore ? 1 : 0}, O{9, "", 30000}, O{9, "", 0}};
        EXPECT_EQ(cddb.options, expected) << c.name;
    }
}

TEST(FreedbLookup, ProxyPortThatIsNoNumberSendsNothing)
{
    for (const char* port : {"80a", "0x50", "0", "65536"}) {
        ScriptedCddb cddb;
        HiddenLog log;
        const FreedbResult result = FreedbLookup(cddb, log).run({true, "proxy.lan", port, false}, 5);
        EXPECT_EQ(result.status, FreedbResult::Status::InvalidProxyPort) << port;
        EXPECT_EQ(cddb.options.size() + cddb.queries, 0) << port;
        EXPECT_TRUE(log.lines().value(0).contains(QLatin1String(port)));
    }
}

// Several matches are listed and left to the user: none is fetched (each
// could cost the server's whole time limit); the chosen one is read then.
// One match is read at once, as designed.
TEST(FreedbLookup, SeveralMatchesAreTheUsersChoiceOneIsReadAtOnce)
{
    ScriptedCddb cddb;
    cddb.matches = {{"rock", "00000001", "Lost", "Entry"},
                    {"jazz", "00000002", "Second", "Match"},
                    {"misc", "00000003", "Third", "Match"}};
    cddb.entries["00000002"] = entryWithTitles("Second", 11) + "DYEAR=1987\nDGENRE=Hip Hop\n";
    HiddenLog log;
    FreedbLookup lookup(cddb, log);
    const FreedbResult several = lookup.run({}, 12);
    EXPECT_EQ(several.status, FreedbResult::Status::Several);
    EXPECT_EQ(several.matches, cddb.matches);
    EXPECT_TRUE(cddb.fetched.isEmpty());
    EXPECT_EQ(log.lines(), (QStringList{"0: rock 00000001 Lost / Entry", "1: jazz 00000002 Second / Match",
                                        "2: misc 00000003 Third / Match"}));

    const FreedbResult chosen = lookup.read({}, cddb.matches[1], 12);
    EXPECT_EQ(chosen.status, FreedbResult::Status::Found);
    EXPECT_EQ(chosen.artist + " / " + chosen.album, "Second / Match");
    ASSERT_EQ(chosen.trackNames.size(), 11);
    EXPECT_EQ(chosen.trackNames.last(), "Second 11");  // TTITLE10 is no TTITLE1
    EXPECT_EQ(chosen.year + "|" + chosen.genre, "1987|Hip Hop");
    // Each read runs under the whole lookup's limit, lifted afterwards.
    EXPECT_EQ(cddb.options.last(), (ScriptedCddb::OptionCall{9, "", 0}));
    const FreedbResult missing = lookup.read({}, cddb.matches[0], 12);
    EXPECT_EQ(missing.status, FreedbResult::Status::NotFound);
    EXPECT_TRUE(missing.artist.isEmpty());
    EXPECT_EQ(log.lines().last(), "Error while getting DiskInfo");

    // One match: read at once; an odd year is no year.
    cddb.matches = {cddb.matches[1]};
    cddb.entries["00000002"] = entryWithTitles("Only", 2) + "DYEAR=87\n";
    const FreedbResult one = FreedbLookup(cddb, log).run({}, 3);
    EXPECT_EQ(one.status, FreedbResult::Status::Found);
    EXPECT_EQ(one.trackNames, (QStringList{"Only 1", "Only 2"}));
    EXPECT_EQ(one.year, "");
    cddb.entries.clear();
    EXPECT_EQ(FreedbLookup(cddb, log).run({}, 3).status, FreedbResult::Status::NotFound);
}

TEST(FreedbLookup, ACancelledLookupNamesNothing)
{
    ScriptedCddb cddb;
    cddb.matches = {{"rock", "00000001", "First", "Match"}};
    cddb.entries["00000001"] = entryWithTitles("First", 3);
    HiddenLog log;
    FreedbLookup lookup(cddb, log);
    // The user's Close arrives while the entry is on its way.
    cddb.whileFetching = [&] { lookup.cancel(); };
    for (const FreedbResult& result : {lookup.run({}, 4), lookup.read({}, cddb.matches[0], 4)}) {
        EXPECT_EQ(result.status, FreedbResult::Status::Cancelled);
        EXPECT_TRUE(result.artist.isEmpty() && result.album.isEmpty() && result.trackNames.isEmpty());
    }
    EXPECT_EQ(cddb.fetched, QStringList{"00000001"}) << "no read after the cancel";
    EXPECT_EQ(cddb.options.last(), (ScriptedCddb::OptionCall{9, "", 0}));
}

// The settings' server, query program and e-mail address reach the
// library; emptied fields their defaults.
TEST(FreedbLookup, TheUsersServerFields)
{
    ScriptedCddb cddb;
    HiddenLog log;
    FreedbSettings settings;
    settings.cgi = "/cgi-bin/cddb.cgi";
    settings.email = "me@example.org";
    FreedbLookup(cddb, log, {"cddb.example.org", 8080, 30000}).run(settings, 5);
    using O = ScriptedCddb::OptionCall;
    EXPECT_EQ(cddb.options.mid(0, 3), (QList<O>{{0, "cddb.example.org", 0}, {6, "/cgi-bin/cddb.cgi", 0},
                                                {4, "me@example.org", 0}}));
    EXPECT_TRUE(cddb.options.contains(O{7, "", 8080}));
    cddb.options.clear();
    settings.cgi = settings.email = "  ";
    FreedbLookup(cddb, log).run(settings, 5);
    EXPECT_EQ(cddb.options.mid(1, 2), (QList<O>{{6, "/~cddb/cddb.cgi", 0}, {4, "trackmill@localhost", 0}}));
}

TEST(FreedbLookup, OnlyTrackTitlesBecomeNames)
{
    struct Case { const char* name; QString info; int rows; QStringList names; };
    const QList<Case> cases = {
        {"grid longer than the entry", "TTITLE0=A\nTTITLE1=B\nEXTD=not a name\nEXTT0=nor this\n", 5, {"A", "B"}},
        {"grid shorter than the entry", "TTITLE0=A\nTTITLE1=B\nTTITLE2=C\n", 3, {"A", "B"}},
        {"gap ends the names", "TTITLE0=A\nTTITLE2=C\n", 5, {"A"}},
        {"order of lines does not matter", "TTITLE1=B\nTTITLE0=A\n", 5, {"A", "B"}},
        {"odd keys ignored", "TTITLE0=A\nTTITLE01=x\nTTITLE+1=y\nTTITLE-1=z\nttitle1=w\nTTITLE1=B\n", 5, {"A", "B"}},
        {"first value of a repeated key", "TTITLE0=a=b\r\nTTITLE0=again\n", 5, {"a=b"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FreedbLookup::trackTitles(c.info, c.rows - 1), c.names) << c.name;
}

// The lookup runs on a worker thread (the disc names tests see the windows live on).
TEST(BackgroundCddbService, PassesCallsAndTheirExceptionsThrough)
{
    auto scripted = std::make_unique<ScriptedCddb>();
    scripted->matches = {{"rock", "1", "a", "t"}};
    BackgroundCddbService service(std::move(scripted));
    EXPECT_EQ(service.query(5).size(), 1);
    EXPECT_THROW(service.diskInfo({"rock", "gone", "", ""}), std::runtime_error);
}

}
}
