// SPDX-License-Identifier: GPL-2.0-or-later
// Disc ids from a table of contents, and the CDDB entry points end to end
// against the local test server.
#include "akrip32.h"
#include "akrip32_testing.h"
#include "cddbserver.h"
#include "cddbtoc.h"
#include "discimage.h"
#include "testenvironment.h"

#include <discid/discid.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace akrip::cddb {
namespace {

using trackmill::test::CddbServer;
using Behaviour = CddbServer::Behaviour;
using Clock = std::chrono::steady_clock;
namespace di = trackmill::discimage;

constexpr BYTE kAudio = 0x10, kData = 0x14;
constexpr HCDROM kHandle = 1;

// A TOC in LBAs (track 1 = 0) or in 0,M,S,F addressing (lead-in included).
TOC makeToc(const std::vector<uint32_t>& starts, uint32_t leadOut, bool msf = false, const std::vector<BYTE>& controls = {})
{
    TOC toc {};
    toc.firstTrack = 1;
    toc.lastTrack = BYTE(starts.size());
    for (std::size_t i = 0; i <= starts.size(); ++i) {
        const bool end = i == starts.size();
        const uint32_t lba = end ? leadOut : starts[i], f = lba + 150;
        const uint32_t a = msf ? (f / 4500) << 16 | (f / 75 % 60) << 8 | f % 75 : lba;
        toc.tracks[i].ADR = end ? kData : i < controls.size() ? controls[i] : kAudio;
        toc.tracks[i].trackNumber = end ? 0xAA : BYTE(i + 1);
        for (int b = 0; b < 4; ++b)
            toc.tracks[i].addr[b] = BYTE(a >> (24 - 8 * b));
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
    std::vector<uint32_t> many;
    for (uint32_t i = 0; i < 99; ++i)
        many.push_back(i * 3000);
    const std::vector<std::pair<std::vector<uint32_t>, uint32_t>> cases = {
        {{0}, 15000}, {many, 99 * 3000 + 1234}, {{0, 100000, 200000, 300000}, 359849}};
    for (const auto& [starts, leadOut] : cases) {
        const CddbDisc disc = discFromToc(makeToc(starts, leadOut), false);
        ASSERT_TRUE(disc.valid);
        EXPECT_EQ(disc.discIdText(), libdiscidFreedbId(starts, leadOut));
        EXPECT_EQ(discFromToc(makeToc(starts, leadOut, true), true).discIdText(), disc.discIdText());
    }
}

TEST(CddbDiscId, DataTracksCountForCddbButNotForTheCdPlayer)
{
    EXPECT_EQ(discFromToc(makeToc(kThreeStarts, 40000, true), true).cdPlayerId, "C0C67");
    const CddbDisc mixed = discFromToc(makeToc(kThreeStarts, 40000, false, {kData, kAudio, kAudio}), false);
    EXPECT_EQ(mixed.cdPlayerId, "C0A67");
    EXPECT_EQ(mixed.discIdText(), libdiscidFreedbId(kThreeStarts, 40000));
    EXPECT_EQ(discFromToc(makeToc({0}, 40000, false, {kData}), false).cdPlayerId, "0000");
    // A control byte other than exactly 0x14 counts as audio (pre-emphasis, copy bit).
    EXPECT_EQ(discFromToc(makeToc(kThreeStarts, 40000, false, {0x11, 0x12, 0x13}), false).cdPlayerId, "C0C67");
}

TEST(CddbDiscId, ImplausibleTocsAreRefused)
{
    TOC tooMany = makeToc({0}, 1000);
    tooMany.lastTrack = 100;
    TOC badMsf = makeToc({0, 5000}, 9000, true);
    badMsf.tracks[1].addr[2] = 60; // 60 seconds
    EXPECT_FALSE(discFromToc(tooMany, false).valid);
    EXPECT_FALSE(discFromToc(badMsf, true).valid);
    EXPECT_FALSE(discFromToc(makeToc({0, 9000, 5000}, 12000), false).valid) << "backwards";
    EXPECT_FALSE(discFromToc(makeToc({0, 9000}, 4000), false).valid) << "lead-out before a track";
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
        const TOC toc = makeToc(kThreeStarts, 40000);
        AkripTestSetCddbToc(&toc);
        CDDBSetOption(CDDB_OPT_SERVER, "127.0.0.1", 0);
        CDDBSetOption(CDDB_OPT_USER, "tester@example.org", 0);
        CDDBSetOption(CDDB_OPT_HTTPPORT, "", server.port());
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

    const std::string id = discFromToc(makeToc(kThreeStarts, 40000), false).discIdText();
    CddbServer server;
    CDDBQUERYITEM items[5];
    CDDBQUERY block {};
};

TEST_F(CddbClient, QueryAndEntryRequestsAsSent)
{
    server.setQueryAnswer(CddbServer::exactMatch("rock", id, "The Band / First Album"));
    server.setReadAnswer("rock", id, CddbServer::entry("rock", id, {"DTITLE=The Band / First Album", "TTITLE0=One"}));
    ASSERT_EQ(query(), 1u);
    EXPECT_STREQ(items[0].artist, "The Band");
    char buffer[100];
    ASSERT_EQ(CDDBGetDiskInfo(&items[0], buffer, sizeof buffer), 1u);
    EXPECT_STREQ(buffer, "DTITLE=The Band / First Album\nTTITLE0=One\n");

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].cmd, "cddb query " + id + " 3 150 18783 36070 535");
    EXPECT_EQ(requests[0].hello, "tester example.org Trackmill 2.0");
    EXPECT_EQ(requests[0].proto, "6");
    EXPECT_EQ(requests[0].host, "127.0.0.1:" + std::to_string(server.port()));
    EXPECT_EQ(requests[0].target.rfind("/~cddb/cddb.cgi?", 0), 0u);
    EXPECT_EQ(requests[1].cmd, "cddb read rock " + id);
}

TEST_F(CddbClient, BrokenAnswersGiveNoMatch)
{
    struct Case { const char* name; std::string answer; Behaviour behaviour; };
    const std::vector<Case> cases = {
        {"HTTP error", CddbServer::exactMatch("rock", "01", "A / B"), Behaviour::HttpError},
        {"closed mid-list", CddbServer::matchList(211, {"rock 01 A / B", "rock 02 C / D"}), Behaviour::CloseMidAnswer},
        {"not HTTP", "", Behaviour::Raw},
    };
    server.setRawResponse(std::string("\0\xff garbage\r\n\r\n200 rock 01 A / B\r\n", 33));
    for (const Case& c : cases) {
        server.setQueryAnswer(c.answer);
        server.setBehaviour(c.behaviour);
        EXPECT_EQ(query(), 0u) << c.name;
        EXPECT_EQ(items[0].categ[0], 0) << c.name;
    }
}

TEST_F(CddbClient, EntryFailuresAndForgedRecordsSendNothing)
{
    CDDBQUERYITEM record = item("rock", "0a0b0c0d");
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(CDDBGetDiskInfo(&record, buffer, sizeof buffer), 0u) << "not in the database";
    EXPECT_EQ(buffer[0], 0);
    server.setReadAnswer("rock", "0a0b0c0d", "210 rock 0a0b0c0d entry\r\nTTITLE0=One\r\n");
    EXPECT_EQ(CDDBGetDiskInfo(&record, buffer, sizeof buffer), 0u) << "no terminating \".\"";

    const int before = server.requestCount();
    CDDBQUERYITEM forged = item("../etc", "0a0b0c0d");
    EXPECT_EQ(CDDBGetDiskInfo(&forged, buffer, sizeof buffer), 0u);
    std::memset(&forged, 'A', sizeof forged); // no terminators anywhere
    EXPECT_EQ(CDDBGetDiskInfo(&forged, buffer, sizeof buffer), 0u);
    EXPECT_EQ(CDDBGetDiskInfo(&record, nullptr, 32000), 0u);
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
        std::vector<char> buffer(std::size_t(maxLen) + 64, '#');
        ASSERT_EQ(CDDBGetDiskInfo(&record, buffer.data(), maxLen), 1u);
        const std::size_t length = std::strlen(buffer.data());
        EXPECT_LT(length, std::size_t(maxLen));
        EXPECT_TRUE(length == 0 || buffer[length - 1] == '\n') << "whole lines only";
        EXPECT_EQ(std::string(buffer.begin() + maxLen, buffer.end()), std::string(64, '#')) << maxLen;
    }
}

// The CD Player database as the library stores into it: through a link that
// stays a link, keeping the file's mode, and with no names of an earlier,
// longer entry left over; one that is a FIFO is refused, not waited on.
TEST_F(CddbClient, StoredNamesReplaceTheSectionsNumberedKeysThroughALink)
{
    namespace fs = std::filesystem;
    const fs::path config = std::getenv("XDG_CONFIG_HOME");
    const fs::path database = config / "Trackmill" / "CDPLAYER.INI", real = config / "shared" / "cd.ini";
    fs::create_directories(database.parent_path());
    fs::create_directories(real.parent_path());
    std::ofstream(real, std::ios::binary) << "[C0C67]\r\nEntryTypeInt=1\r\nartist=Old\r\ntitle=Old\r\nnumtracks=5\r\n"
                                             "0=o0\r\n1=o1\r\n2=o2\r\n3=o3\r\n4=o4\r\n";
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("../shared/cd.ini", database);

    CDDBSetOption(CDDB_OPT_USECDPLAYERINI, "", 1);
    server.setQueryAnswer(CddbServer::exactMatch("rock", id, "The Band / First Album"));
    server.setReadAnswer("rock", id, CddbServer::entry("rock", id, {"DTITLE=The Band / First Album", "DYEAR=1999",
                                                                    "TTITLE0=One", "TTITLE1=Two", "TTITLE2=Three"}));
    const auto fetch = [&] {
        char buffer[1000];
        ASSERT_EQ(query(), 1u);
        ASSERT_EQ(CDDBGetDiskInfo(&items[0], buffer, sizeof buffer), 1u);
    };
    fetch();
    const auto contents = [&] {
        std::ifstream in(real, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_EQ(contents(), "[C0C67]\r\nEntryTypeInt=1\r\nartist=The Band\r\ntitle=First Album\r\nnumtracks=3\r\n"
                          "0=One\r\n1=Two\r\n2=Three\r\nyear=1999\r\n");
    EXPECT_TRUE(fs::is_symlink(database));
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(real.parent_path()), {}), 1) << "no temporary file left";

    fs::remove(database);
    ASSERT_EQ(mkfifo(database.c_str(), 0600), 0);
    alarm(20);  // a writer that waits on the FIFO fails instead of hanging
    fetch();
    alarm(0);
    EXPECT_EQ(std::string(AkripTestCddbLastError()), "could not write " + database.string() + ": not a regular file");
    EXPECT_TRUE(fs::is_fifo(database));
    fs::remove_all(database.parent_path());
    fs::remove_all(real.parent_path());
}

TEST_F(CddbClient, StalledOrMissingServerEndsWithinTheTimeout)
{
    server.setQueryAnswer(CddbServer::exactMatch("rock", "01", "A / B") + std::string(400, ' '));
    uint16_t deadPort = CddbServer().port();
    for (const auto behaviour : {Behaviour::Silent, Behaviour::Slow, Behaviour::Normal}) {
        server.setBehaviour(behaviour, 100);
        if (behaviour == Behaviour::Normal)
            CDDBSetOption(CDDB_OPT_HTTPPORT, "", deadPort);
        const auto start = Clock::now();
        EXPECT_EQ(query(), 0u);
        EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(4000));
    }
}

TEST_F(CddbClient, OneTimeLimitForTheWholeLookup)
{
    // Every answer trickles in and would take 2 s of the 4 s each exchange
    // may take; the lookup's limit of 1.5 s ends the query and the entries
    // it would fetch after it.
    const std::string entry = CddbServer::entry("rock", "01", {"DTITLE=A / B", "TTITLE0=" + std::string(80, 'x')});
    server.setQueryAnswer(CddbServer::exactMatch("rock", "01", "A / B") + std::string(60, ' '));
    server.setReadAnswer("rock", "01", entry);
    server.setBehaviour(Behaviour::Slow, 20);
    AkripTestSetCddbTimeouts(1000, 4000);
    CDDBSetOption(CDDB_OPT_TIMELIMIT, "", 1500);
    const auto start = Clock::now();
    query();
    CDDBQUERYITEM record = item("rock", "01");
    char buffer[512];
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(CDDBGetDiskInfo(&record, buffer, sizeof buffer), 0u);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(2500));
    EXPECT_LE(server.requestCount(), 2) << "a request after the limit went out";

    // Lifted, the same server answers in full.
    CDDBSetOption(CDDB_OPT_TIMELIMIT, "", 0);
    server.setBehaviour(Behaviour::Normal);
    EXPECT_EQ(CDDBGetDiskInfo(&record, buffer, sizeof buffer), 1u);
}

TEST_F(CddbClient, CancelEndsTheRunningRequestAndTheLaterOnes)
{
    server.setQueryAnswer(CddbServer::exactMatch("rock", "01", "A / B"));
    server.setBehaviour(Behaviour::Silent);
    AkripTestSetCddbTimeouts(1000, 20000);
    const auto start = Clock::now();
    std::thread user([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        CDDBCancel();
    });
    EXPECT_EQ(query(), 0u);
    user.join();
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(2500));
    EXPECT_EQ(server.requestCount(), 1);

    // Cancelled stays cancelled: nothing goes out until a new lookup sets its limit.
    server.setBehaviour(Behaviour::Normal);
    EXPECT_EQ(query(), 0u);
    EXPECT_EQ(server.requestCount(), 1);
    CDDBSetOption(CDDB_OPT_TIMELIMIT, "", 5000);
    EXPECT_EQ(query(), 1u);
}

TEST_F(CddbClient, ProxyOnlyByOptionAndThenWithTheAbsoluteUrl)
{
    setenv("http_proxy", "http://127.0.0.1:1", 1); // dead, and not to be used
    server.setQueryAnswer(CddbServer::exactMatch("rock", "01020304", "Via / Proxy"));
    EXPECT_EQ(query(), 1u);
    unsetenv("http_proxy");

    CDDBSetOption(CDDB_OPT_SERVER, "cddb.example.invalid", 0);
    CDDBSetOption(CDDB_OPT_HTTPPORT, "", 80);
    CDDBSetOption(CDDB_OPT_USEPROXY, "", 1);
    CDDBSetOption(CDDB_OPT_PROXY, "127.0.0.1", 0);
    CDDBSetOption(CDDB_OPT_PROXYPORT, "", server.port());
    ASSERT_EQ(query(), 1u);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].target.rfind("http://cddb.example.invalid/~cddb/cddb.cgi?", 0), 0u) << requests[1].target;
    EXPECT_EQ(requests[1].host, "cddb.example.invalid");
}

TEST_F(CddbClient, BadSettingsOrNoTocSendNothing)
{
    struct Case { int option; const char* text; int value; const char* error; };
    const std::vector<Case> cases = {
        {CDDB_OPT_PROXYPORT, "", 70000, "invalid proxy port"},
        {CDDB_OPT_PROXY, "127.0.0.1/x", 0, "invalid proxy host"},
        {CDDB_OPT_SERVER, "evil@127.0.0.1", 0, "invalid server host"},
        {CDDB_OPT_CGI, "/cddb.cgi?cmd=x", 0, "invalid CGI path"},
        {CDDB_OPT_HTTPPORT, "", 0, "invalid server port"},
    };
    for (const Case& c : cases) {
        SetUp();
        CDDBSetOption(CDDB_OPT_USEPROXY, "", 1);
        CDDBSetOption(CDDB_OPT_PROXY, "127.0.0.1", 0);
        CDDBSetOption(CDDB_OPT_PROXYPORT, "", server.port());
        CDDBSetOption(c.option, c.text, c.value);
        EXPECT_EQ(query(), 0u);
        EXPECT_STREQ(AkripTestCddbLastError(), c.error);
    }
    AkripTestSetCddbToc(nullptr);
    EXPECT_EQ(query(), 0u); // handle 1 is no open drive
    EXPECT_EQ(CDDBQuery(kHandle, nullptr), 0u);
    EXPECT_EQ(server.requestCount(), 0);
}

// From an image drive in the program's MSF mode, the query carries the data
// track where it lies, after the session gap, as any CDDB client computes it.
TEST_F(CddbClient, EnhancedCdInADriveIsQueriedAsRecorded)
{
    const std::string dir = trackmill::test::isolatedRoot().toStdString() + "/cddb-discs";
    di::DiscSpec discSpec;
    discSpec.trackBytes = {di::bytesForSeconds(4.2), di::bytesForSeconds(6)};
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
    ModifyCDParms(handle, CDP_MSF, 1);
    query(handle);

    const std::vector<uint32_t> starts = {0, disc.trackStart[1], disc.dataStart};
    std::string expected = "cddb query " + libdiscidFreedbId(starts, disc.totalSectors) + " 3";
    for (const uint32_t start : starts)
        expected += ' ' + std::to_string(start + 150);
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].cmd, expected + ' ' + std::to_string((disc.totalSectors + 150) / 75));
    TOC toc;
    ASSERT_EQ(ReadTOC(handle, &toc), 1u);
    EXPECT_EQ(toc.tracks[0].addr[2], 2) << "the handle's address mode stays as the program set it";
    CloseCDHandle(handle);
}

}
}
