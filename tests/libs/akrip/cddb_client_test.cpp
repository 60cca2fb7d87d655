// SPDX-License-Identifier: GPL-2.0-or-later
// Disc ids from a table of contents (the CDDB id against libdiscid, the CD
// Player database id against hand-computed sums), and the CDDB entry points
// end to end against the local test server.
#include "akrip32.h"
#include "akrip32_testing.h"
#include "cddbserver.h"
#include "cddbtoc.h"
#include "discimage.h"
#include "testenvironment.h"

#include <discid/discid.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace akrip::cddb {
namespace {

using trackmill::test::CddbServer;
using Behaviour = CddbServer::Behaviour;
using Clock = std::chrono::steady_clock;
namespace di = trackmill::discimage;

constexpr BYTE kAudio = 0x10;
constexpr BYTE kData = 0x14;
constexpr HCDROM kHandle = 1;

void putAddress(TOCTRACK& t, uint32_t a)
{
    for (int b = 0; b < 4; ++b)
        t.addr[b] = BYTE(a >> (24 - 8 * b));
}

// A TOC in logical block addresses (track 1 = 0), as parameter 36 = 0 gives.
TOC lbaToc(const std::vector<uint32_t>& starts, uint32_t leadOut, const std::vector<BYTE>& controls = {})
{
    TOC toc {};
    toc.firstTrack = 1;
    toc.lastTrack = BYTE(starts.size());
    for (std::size_t i = 0; i <= starts.size(); ++i) {
        toc.tracks[i].ADR = i == starts.size() ? kData : i < controls.size() ? controls[i] : kAudio;
        toc.tracks[i].trackNumber = i == starts.size() ? 0xAA : BYTE(i + 1);
        putAddress(toc.tracks[i], i == starts.size() ? leadOut : starts[i]);
    }
    return toc;
}

// The same disc in 0,M,S,F addressing (lead-in included).
TOC msfToc(const TOC& lba)
{
    TOC toc = lba;
    for (int i = 0; i <= lba.lastTrack - lba.firstTrack + 1; ++i) {
        const BYTE* a = lba.tracks[i].addr;
        const uint32_t frames = ((uint32_t(a[0]) << 24) | (a[1] << 16) | (a[2] << 8) | a[3]) + 150;
        putAddress(toc.tracks[i], (frames / 4500) << 16 | (frames / 75 % 60) << 8 | frames % 75);
    }
    return toc;
}

std::string libdiscidFreedbId(const std::vector<uint32_t>& starts, uint32_t leadOut)
{
    std::vector<int> offsets = {int(leadOut + 150)};
    for (const uint32_t start : starts)
        offsets.push_back(int(start + 150));
    DiscId* d = discid_new();
    EXPECT_EQ(discid_put(d, 1, int(starts.size()), offsets.data()), 1);
    const std::string id = discid_get_freedb_id(d);
    discid_free(d);
    return id;
}

// Audio at 00:02:00, 04:10:33 and 08:00:70: 0x200 + 0x40A21 + 0x80046.
const std::vector<uint32_t> kThreeStarts = {0, 18633, 35920};

TEST(CddbDiscId, AgreesWithLibdiscid)
{
    struct Case { const char* name; std::vector<uint32_t> starts; uint32_t leadOut; };
    std::vector<uint32_t> many;
    for (uint32_t i = 0; i < 99; ++i)
        many.push_back(i * 3000);
    const std::vector<Case> cases = {
        {"one track", {0}, 15000},
        {"twelve tracks", {0, 13442, 29020, 44617, 60131, 78002, 93455, 109231, 124890, 141777, 160012, 179334}, 198765},
        {"ninety-nine tracks", many, 99 * 3000 + 1234},
        {"near eighty minutes", {0, 100000, 200000, 300000}, 359849},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CddbDisc disc = discFromToc(lbaToc(c.starts, c.leadOut), false);
        ASSERT_TRUE(disc.valid);
        EXPECT_EQ(disc.discIdText(), libdiscidFreedbId(c.starts, c.leadOut));
        EXPECT_EQ(discFromToc(msfToc(lbaToc(c.starts, c.leadOut)), true).discIdText(), disc.discIdText());
    }
}

TEST(CddbDiscId, DataTracksCountForCddbButNotForTheCdPlayer)
{
    const std::vector<uint32_t>& starts = kThreeStarts;
    EXPECT_EQ(discFromToc(lbaToc(starts, 40000), false).cdPlayerId, "C0C67");
    EXPECT_EQ(discFromToc(msfToc(lbaToc(starts, 40000)), true).cdPlayerId, "C0C67");
    const CddbDisc mixed = discFromToc(lbaToc(starts, 40000, {kData, kAudio, kAudio}), false);
    EXPECT_EQ(mixed.cdPlayerId, "C0A67");
    EXPECT_EQ(mixed.discIdText(), libdiscidFreedbId(starts, 40000));
    EXPECT_EQ(discFromToc(lbaToc(starts, 40000, {kAudio, kAudio, kData}), false).cdPlayerId, "40C21");
    EXPECT_EQ(discFromToc(lbaToc({0}, 40000, {kData}), false).cdPlayerId, "0000");
    // A control byte other than exactly 0x14 counts as audio (pre-emphasis, copy bit).
    EXPECT_EQ(discFromToc(lbaToc(starts, 40000, {0x11, 0x12, 0x13}), false).cdPlayerId, "C0C67");
    EXPECT_EQ(cdPlayerIdText(0x1F), "001F");
    EXPECT_EQ(cdPlayerIdText(0xFFFFFFFF), "FFFFFFFF");
}

TEST(CddbDiscId, ImplausibleTocsAreRefused)
{
    TOC noTracks = lbaToc({0}, 1000);
    noTracks.firstTrack = 0;
    TOC reversed = lbaToc({0}, 1000);
    reversed.firstTrack = 5;
    reversed.lastTrack = 4;
    TOC tooMany = lbaToc({0}, 1000);
    tooMany.lastTrack = 100;
    TOC badMsf = msfToc(lbaToc({0, 5000}, 9000));
    badMsf.tracks[1].addr[2] = 60; // 60 seconds
    TOC hugeLba = lbaToc({0, 5000}, 9000);
    hugeLba.tracks[1].addr[0] = 0xFF;

    for (const auto& [name, toc, msf] : std::vector<std::tuple<const char*, TOC, bool>>{
             {"no first track", noTracks, false},
             {"last before first", reversed, false},
             {"more than 99", tooMany, false},
             {"backwards", lbaToc({0, 9000, 5000}, 12000), false},
             {"lead-out before a track", lbaToc({0, 9000}, 4000), false},
             {"lead-out at track 1", lbaToc({0}, 0), false},
             {"MSF seconds out of range", badMsf, true},
             {"huge address", hugeLba, false},
         }) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(discFromToc(toc, msf).valid);
    }
}

std::string cdPlayerIni()
{
    return std::string(std::getenv("XDG_CONFIG_HOME")) + "/Trackmill/CDPLAYER.INI";
}

std::string readAll(const std::string& file)
{
    std::ostringstream text;
    text << std::ifstream(file, std::ios::binary).rdbuf();
    return text.str();
}

CDDBQUERYITEM item(const char* categ, const char* id)
{
    CDDBQUERYITEM record {};
    std::strcpy(record.categ, categ);
    std::strcpy(record.cddbId, id);
    return record;
}

class CddbClient : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.listening());
        AkripTestResetCddb();
        AkripTestSetCddbTimeouts(1000, 2000);
        const TOC toc = lbaToc(kThreeStarts, 40000);
        AkripTestSetCddbToc(&toc);
        CDDBSetOption(CDDB_OPT_SERVER, "127.0.0.1", 0);
        CDDBSetOption(CDDB_OPT_CGI, "/~cddb/cddb.cgi", 0);
        CDDBSetOption(CDDB_OPT_USER, "tester@example.org", 0);
        CDDBSetOption(CDDB_OPT_AGENT, "Trackmill 2.0", 0);
        CDDBSetOption(CDDB_OPT_USEPROXY, "", 0);
        CDDBSetOption(CDDB_OPT_HTTPPORT, "", server.port());
        CDDBSetOption(CDDB_OPT_USECDPLAYERINI, "", 0);
        std::filesystem::remove(cdPlayerIni());
    }
    void TearDown() override { AkripTestResetCddb(); }

    // Runs a query with room for 5 matches, as the program does.
    DWORD query(HCDROM handle = kHandle)
    {
        std::memset(items, 0, sizeof items);
        block.num = 5;
        block.q = items;
        CDDBQuery(handle, &block);
        return block.num;
    }

    const std::string id = discFromToc(lbaToc(kThreeStarts, 40000), false).discIdText();
    CddbServer server;
    CDDBQUERYITEM items[5];
    CDDBQUERY block {};
};

TEST_F(CddbClient, ExactMatchThenEntry)
{
    server.setQueryAnswer(CddbServer::exactMatch("rock", id, "The Band / First Album"));
    server.setReadAnswer("rock", id,
                         CddbServer::entry("rock", id,
                                           {"# xmcd", "#\t150", "DISCID=" + id, "DTITLE=The Band / First Album",
                                            "TTITLE0=Opening", "TTITLE1=Clos", "TTITLE1=ing", "EXTD="}));

    ASSERT_EQ(query(), 1u);
    EXPECT_STREQ(items[0].categ, "rock");
    EXPECT_EQ(items[0].cddbId, id);
    EXPECT_STREQ(items[0].artist, "The Band");
    EXPECT_STREQ(items[0].title, "First Album");

    std::vector<char> buffer(32000, 'x');
    ASSERT_EQ(CDDBGetDiskInfo(&items[0], buffer.data(), 32000), 1u);
    EXPECT_EQ(std::string(buffer.data()),
              "DISCID=" + id + "\nDTITLE=The Band / First Album\nTTITLE0=Opening\nTTITLE1=Closing\nEXTD=\n");
    EXPECT_FALSE(std::filesystem::exists(cdPlayerIni())) << "nothing stored without option 8";

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].cmd, "cddb query " + id + " 3 150 18783 36070 535");
    EXPECT_EQ(requests[0].hello, "tester example.org Trackmill 2.0");
    EXPECT_EQ(requests[0].proto, "6");
    EXPECT_EQ(requests[0].host, "127.0.0.1:" + std::to_string(server.port()));
    EXPECT_EQ(requests[0].target.rfind("/~cddb/cddb.cgi?", 0), 0u);
    EXPECT_EQ(requests[1].cmd, "cddb read rock " + id);
}

TEST_F(CddbClient, MatchListFillsAtMostTheCapacity)
{
    std::vector<std::string> lines;
    for (int i = 0; i < 7; ++i)
        lines.push_back("misc 0000000" + std::to_string(i) + " Artist " + std::to_string(i) + " / Album");
    server.setQueryAnswer(CddbServer::matchList(211, lines));
    ASSERT_EQ(query(), 5u);
    EXPECT_STREQ(items[4].cddbId, "00000004");
    EXPECT_STREQ(items[4].artist, "Artist 4");
}

TEST_F(CddbClient, NoMatchAndBrokenAnswersGiveNoMatch)
{
    struct Case { const char* name; std::string answer; Behaviour behaviour; };
    const std::vector<Case> cases = {
        {"no match", "202 No match found.\r\n", Behaviour::Normal},
        {"HTTP error", CddbServer::exactMatch("rock", "01", "A / B"), Behaviour::HttpError},
        {"closed mid-list", CddbServer::matchList(211, {"rock 01 A / B", "rock 02 C / D"}), Behaviour::CloseMidAnswer},
        {"not HTTP", "", Behaviour::Raw},
    };
    server.setRawResponse(std::string("\0\xff garbage\r\n\r\n200 rock 01 A / B\r\n", 33));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server.setQueryAnswer(c.answer);
        server.setBehaviour(c.behaviour);
        EXPECT_EQ(query(), 0u);
        EXPECT_EQ(items[0].categ[0], 0);
    }
}

TEST_F(CddbClient, EntryFailures)
{
    CDDBQUERYITEM record = item("rock", "0a0b0c0d");
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(CDDBGetDiskInfo(&record, buffer, sizeof buffer), 0u) << "not in the database";
    EXPECT_EQ(buffer[0], 0);
    server.setReadAnswer("rock", "0a0b0c0d", "210 rock 0a0b0c0d entry\r\nTTITLE0=One\r\n");
    EXPECT_EQ(CDDBGetDiskInfo(&record, buffer, sizeof buffer), 0u) << "no terminating \".\"";

    // Records that could not come from a query send nothing.
    const int before = server.requestCount();
    CDDBQUERYITEM forged = item("../etc", "0a0b0c0d");
    EXPECT_EQ(CDDBGetDiskInfo(&forged, buffer, sizeof buffer), 0u);
    std::memset(&forged, 'A', sizeof forged); // no terminators anywhere
    EXPECT_EQ(CDDBGetDiskInfo(&forged, buffer, sizeof buffer), 0u);
    EXPECT_EQ(CDDBGetDiskInfo(nullptr, buffer, sizeof buffer), 0u);
    EXPECT_EQ(CDDBGetDiskInfo(&record, nullptr, 32000), 0u);
    EXPECT_EQ(CDDBGetDiskInfo(&record, buffer, 0), 0u);
    EXPECT_EQ(server.requestCount(), before);
}

TEST_F(CddbClient, EntryNeverOverrunsTheBuffer)
{
    std::vector<std::string> lines;
    for (int i = 0; i < 99; ++i)
        lines.push_back("TTITLE" + std::to_string(i) + "=" + std::string(250, char('a' + i % 26)));
    for (int i = 0; i < 400; ++i)
        lines.push_back("EXTD=" + std::string(250, 'e'));
    server.setReadAnswer("rock", "0a0b0c0d", CddbServer::entry("rock", "0a0b0c0d", lines));
    CDDBQUERYITEM record = item("rock", "0a0b0c0d");

    for (const int maxLen : {32000, 1000, 1}) {
        SCOPED_TRACE(maxLen);
        std::vector<char> buffer(std::size_t(maxLen) + 64, '#');
        ASSERT_EQ(CDDBGetDiskInfo(&record, buffer.data(), maxLen), 1u);
        const std::size_t length = std::strlen(buffer.data());
        EXPECT_LT(length, std::size_t(maxLen));
        EXPECT_TRUE(length == 0 || buffer[length - 1] == '\n') << "whole lines only";
        for (std::size_t i = std::size_t(maxLen); i < buffer.size(); ++i)
            ASSERT_EQ(buffer[i], '#') << "written past maxLen at " << i;
    }
}

TEST_F(CddbClient, StalledOrMissingServerEndsWithinTheTimeout)
{
    server.setQueryAnswer(CddbServer::exactMatch("rock", "01", "A / B") + std::string(400, ' '));
    for (const auto behaviour : {Behaviour::Silent, Behaviour::Slow}) {
        server.setBehaviour(behaviour, 100);
        const auto start = Clock::now();
        EXPECT_EQ(query(), 0u);
        EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(4000));
    }

    uint16_t deadPort;
    {
        CddbServer gone;
        deadPort = gone.port();
    }
    CDDBSetOption(CDDB_OPT_HTTPPORT, "", deadPort);
    const auto start = Clock::now();
    EXPECT_EQ(query(), 0u);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(3000));
}

TEST_F(CddbClient, ProxyGetsTheAbsoluteUrlAndHostHeader)
{
    // Only option 2 turns a proxy on: a dead proxy in the environment is not used.
    setenv("http_proxy", "http://127.0.0.1:1", 1);
    server.setQueryAnswer(CddbServer::exactMatch("rock", "01020304", "Via / Proxy"));
    EXPECT_EQ(query(), 1u);
    unsetenv("http_proxy");

    CDDBSetOption(CDDB_OPT_SERVER, "cddb.example.invalid", 0);
    CDDBSetOption(CDDB_OPT_HTTPPORT, "", 80);
    CDDBSetOption(CDDB_OPT_USEPROXY, "", 1);
    CDDBSetOption(CDDB_OPT_PROXY, "127.0.0.1", 0);
    CDDBSetOption(CDDB_OPT_PROXYPORT, "", server.port());
    ASSERT_EQ(query(), 1u);
    EXPECT_STREQ(items[0].title, "Proxy");
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].target.rfind("http://cddb.example.invalid/~cddb/cddb.cgi?", 0), 0u) << requests[1].target;
    EXPECT_EQ(requests[1].host, "cddb.example.invalid");
}

TEST_F(CddbClient, BadSettingsSendNothing)
{
    struct Case { int option; const char* text; int value; const char* error; };
    const std::vector<Case> cases = {
        {CDDB_OPT_PROXYPORT, "", 0, "invalid proxy port"},
        {CDDB_OPT_PROXYPORT, "", 70000, "invalid proxy port"},
        {CDDB_OPT_PROXYPORT, "", -8080, "invalid proxy port"},
        {CDDB_OPT_PROXY, "127.0.0.1/x", 0, "invalid proxy host"},
        {CDDB_OPT_SERVER, "", 0, "invalid server host"},
        {CDDB_OPT_SERVER, "evil@127.0.0.1", 0, "invalid server host"},
        {CDDB_OPT_CGI, "/cddb.cgi?cmd=x", 0, "invalid CGI path"},
        {CDDB_OPT_HTTPPORT, "", 0, "invalid server port"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " " + std::to_string(c.value));
        SetUp();
        CDDBSetOption(CDDB_OPT_USEPROXY, "", 1);
        CDDBSetOption(CDDB_OPT_PROXY, "127.0.0.1", 0);
        CDDBSetOption(CDDB_OPT_PROXYPORT, "", server.port());
        CDDBSetOption(c.option, c.text, c.value);
        EXPECT_EQ(query(), 0u);
        EXPECT_STREQ(AkripTestCddbLastError(), c.error);
    }
    EXPECT_EQ(server.requestCount(), 0);
}

TEST_F(CddbClient, NoTocNoQuery)
{
    AkripTestSetCddbToc(nullptr);
    EXPECT_EQ(query(), 0u); // handle 1 is no open drive
    EXPECT_EQ(CDDBQuery(kHandle, nullptr), 0u);
    EXPECT_EQ(server.requestCount(), 0);

    CDDBSITELIST sites {7, nullptr};
    CDDBGetServerList(&sites);
    EXPECT_EQ(sites.num, 0u);
}

TEST_F(CddbClient, StoresTheFirstEntryReceivedInTheCdPlayerDatabase)
{
    // Another disc's section and a comment must survive byte for byte.
    std::filesystem::create_directories(std::filesystem::path(cdPlayerIni()).parent_path());
    std::ofstream(cdPlayerIni(), std::ios::binary)
        << "; my discs\r\n[1234]\r\nartist=Other\r\n0=Keep me\r\n\r\n[c0c67]\r\nARTIST=Old\r\ngenre=17\r\n5=beyond\r\n";
    server.setQueryAnswer(CddbServer::matchList(210, {"rock 11111111 First / One", "misc 22222222 Second / Two"}));
    server.setReadAnswer("rock", "11111111",
                         CddbServer::entry("rock", "11111111",
                                           {"DTITLE=First / One", "DYEAR=2001", "TTITLE0= Lead", "TTITLE1=\"Quoted\"",
                                            "TTITLE2=Third", "EXTT0=not a name"}));
    server.setReadAnswer("misc", "22222222",
                         CddbServer::entry("misc", "22222222", {"DTITLE=Second / Two", "TTITLE0=X", "TTITLE1=Y"}));
    CDDBSetOption(CDDB_OPT_USECDPLAYERINI, "", 1);

    ASSERT_EQ(query(), 2u);
    char buffer[32000];
    ASSERT_EQ(CDDBGetDiskInfo(&items[0], buffer, sizeof buffer), 1u);
    ASSERT_EQ(CDDBGetDiskInfo(&items[1], buffer, sizeof buffer), 1u);
    EXPECT_EQ(readAll(cdPlayerIni()),
              "; my discs\r\n[1234]\r\nartist=Other\r\n0=Keep me\r\n\r\n[c0c67]\r\nARTIST=First\r\n"
              "genre=17\r\n5=beyond\r\nEntryTypeInt=1\r\ntitle=One\r\nyear=2001\r\nnumtracks=3\r\n"
              "0=\" Lead\"\r\n1=\"\"Quoted\"\"\r\n2=Third\r\n");
}

// The TOC comes from an image drive, as from a real drive.
TEST_F(CddbClient, EnhancedCdInADriveIsQueriedAsRecorded)
{
    const std::string dir = trackmill::test::isolatedRoot().toStdString() + "/cddb-discs";
    di::DiscSpec discSpec;
    discSpec.trackBytes = {di::bytesForSeconds(4.2), di::bytesForSeconds(6), di::bytesForSeconds(3.1)};
    discSpec.dataTrack = true;
    const di::DiscLayout disc = di::writeDisc(dir + "/enhanced", discSpec);
    AkripTestReset();
    AkripTestUsePhysicalDrives(0);
    AkripTestSetDiscsDir(dir.c_str());
    AkripTestSetCddbToc(nullptr);
    GETCDHAND request {};
    request.size = 12;
    request.ver = 1;
    const HCDROM handle = GetCDHandle(&request);
    ASSERT_NE(handle, 0u);

    // What any other CDDB client computes for this disc: the data track
    // where it lies, after the session gap.
    std::vector<uint32_t> starts(disc.trackStart.begin(), disc.trackStart.end());
    starts.push_back(disc.dataStart);
    const std::string cddbId = libdiscidFreedbId(starts, disc.totalSectors);
    std::string expected = "cddb query " + cddbId + " 4";
    for (const uint32_t start : starts)
        expected += ' ' + std::to_string(start + 150);
    expected += ' ' + std::to_string((disc.totalSectors + 150) / 75);

    server.setQueryAnswer(CddbServer::exactMatch("misc", cddbId, "Image / Disc"));
    server.setReadAnswer("misc", cddbId,
                         CddbServer::entry("misc", cddbId,
                                           {"DTITLE=Image / Disc", "TTITLE0=a", "TTITLE1=b", "TTITLE2=c", "TTITLE3=data"}));
    CDDBSetOption(CDDB_OPT_USECDPLAYERINI, "", 1);

    // The program's own address mode of the handle stays as it set it.
    ModifyCDParms(handle, CDP_MSF, 1);
    ASSERT_EQ(query(handle), 1u);
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].cmd, expected);
    TOC toc;
    ASSERT_EQ(ReadTOC(handle, &toc), 1u);
    EXPECT_EQ(toc.tracks[0].addr[2], 2); // still 00:02:00, not LBA 0

    // Option 8 stores under the CD Player id, the sum of the MSF starts of
    // the audio tracks; the final data track gets no name.
    char text[32000];
    ASSERT_EQ(CDDBGetDiskInfo(&items[0], text, sizeof text), 1u);
    uint32_t sum = 0;
    for (const uint32_t start : disc.trackStart) {
        const uint32_t f = start + 150;
        sum += (f / 4500) << 16 | (f / 75 % 60) << 8 | f % 75;
    }
    char section[16];
    std::snprintf(section, sizeof section, "[%04X]", sum);
    EXPECT_EQ(readAll(cdPlayerIni()), std::string(section) + "\r\nEntryTypeInt=1\r\nartist=Image\r\ntitle=Disc\r\n"
                                                              "year=\r\nnumtracks=3\r\n0=a\r\n1=b\r\n2=c\r\n");
    CloseCDHandle(handle);
}

}
}
