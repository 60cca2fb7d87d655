// SPDX-License-Identifier: GPL-2.0-or-later
// Verified reads of the CD ripping library (libcdio-paranoia over the
// library's own image reader) against generated disc images with injected
// faults, and the AccurateRip identity of discs with data tracks.
#include "akrip32.h"
#include "akrip32_testing.h"
#include "cddbserver.h"
#include "discimage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace trackmill;
namespace fs = std::filesystem;

namespace {

constexpr uint32_t kSector = 2352;

struct Read {
    std::vector<uint8_t> pcm;
    DWORD status = SS_COMP;
    uint32_t failedAt = 0; // sector of the read that failed
};

class SecureReadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        AkripTestReset();
        AkripTestUsePhysicalDrives(0);
        std::string pattern = (fs::temp_directory_path() / "akrip-secure-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        AkripTestSetDiscsDir(dir_.c_str());
    }
    void TearDown() override
    {
        if (handle_)
            CloseCDHandle(handle_);
        AkripTestReset();
        AkripTestUsePhysicalDrives(0);
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    // One disc in the folder, opened, its TOC read, reads verified or not.
    HCDROM open(bool secure)
    {
        GETCDHAND req {};
        req.size = sizeof req;
        req.ver = 1;
        handle_ = GetCDHandle(&req);
        EXPECT_NE(handle_, 0u);
        TOC toc {};
        EXPECT_EQ(ModifyCDParms(handle_, CDP_MSF, 0), 1u);
        EXPECT_EQ(ReadTOC(handle_, &toc), SS_COMP);
        EXPECT_EQ(ModifyCDParms(handle_, CDP_SECURE, secure ? 1 : 0), 1u);
        return handle_;
    }

    // [start, start + length) in reads of 26 sectors, as the ripper reads.
    Read rip(uint32_t start, uint32_t length)
    {
        Read r;
        std::vector<uint8_t> storage(TRACKBUFEXTRA + 26 * kSector);
        TRACKBUF* t = reinterpret_cast<TRACKBUF*>(storage.data());
        while (length > 0) {
            const uint32_t n = length < 26 ? length : 26;
            t->startFrame = start;
            t->numFrames = n;
            t->maxLen = 26 * kSector;
            r.status = ReadCDAudioLBA(handle_, t);
            r.pcm.insert(r.pcm.end(), t->buf, t->buf + t->len);
            if (r.status != SS_COMP) {
                r.failedAt = start;
                break;
            }
            start += n;
            length -= n;
        }
        return r;
    }

    CDREADSTATS stats()
    {
        CDREADSTATS s {};
        EXPECT_EQ(GetCDReadStats(handle_, &s), SS_COMP);
        return s;
    }

    std::vector<uint8_t> bin(const discimage::DiscLayout& layout, uint32_t first, uint32_t count)
    {
        std::ifstream in(layout.binPath, std::ios::binary);
        std::vector<uint8_t> bytes(size_t(count) * kSector);
        in.seekg(std::streamoff(first) * kSector);
        in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
        return bytes;
    }

    discimage::DiscLayout disc(std::vector<uint64_t> sectors, bool data = false,
                               discimage::Content content = discimage::Content::TestPattern)
    {
        discimage::DiscSpec discSpec;
        for (uint64_t s : sectors)
            discSpec.trackBytes.push_back(s * kSector);
        discSpec.dataTrack = data;
        discSpec.content = content;
        return discimage::writeDisc(dir_ + "/disc", discSpec);
    }

    std::string dir_;
    HCDROM handle_ = 0;
};

TEST_F(SecureReadTest, CleanDiscReadsByteForByteWithNothingToRepair)
{
    const discimage::DiscLayout layout = disc({300, 251, 400});
    open(true);
    // Across a track boundary and up to the lead-out.
    const Read r = rip(0, layout.audioEnd);
    ASSERT_EQ(r.status, SS_COMP);
    EXPECT_EQ(r.pcm, bin(layout, 0, layout.audioEnd));
    const CDREADSTATS s = stats();
    EXPECT_EQ(s.sectors, layout.audioEnd);
    EXPECT_EQ(s.rereads + s.repairs + s.skips, 0u);
    EXPECT_EQ(s.errorSector, 0xFFFFFFFFu);
    EXPECT_EQ(stats().sectors, 0u) << "counted afresh after each call";

    // A read that jumps back (the next track read again) seeks.
    const Read again = rip(300, 251);
    EXPECT_EQ(again.pcm, bin(layout, 300, 251));
}

TEST_F(SecureReadTest, SectorFailingOnceIsReadAgainAndRepaired)
{
    const discimage::DiscLayout layout = disc({400});
    AkripTestFailSector(123, 1);
    open(true);
    const Read r = rip(0, 400);
    ASSERT_EQ(r.status, SS_COMP);
    EXPECT_EQ(r.pcm, bin(layout, 0, 400));
    const CDREADSTATS s = stats();
    EXPECT_GE(s.rereads, 1u);
    EXPECT_EQ(s.skips, 0u);
    EXPECT_EQ(s.errorSector, 0xFFFFFFFFu);

    // A plain read has no second try: the designed read error.
    AkripTestFailSector(123, 1);
    ModifyCDParms(handle_, CDP_SECURE, 0);
    const Read plain = rip(0, 400);
    EXPECT_EQ(plain.status, SS_ERR);
    EXPECT_EQ(plain.failedAt, 104u);
}

TEST_F(SecureReadTest, SectorThatNeverReadsFailsTheReadAtThatSectorAfterTheRetries)
{
    const discimage::DiscLayout layout = disc({300});
    AkripTestFailSector(150, AKRIP_FAULT_ALWAYS);
    open(true);
    const Read r = rip(0, 300);
    ASSERT_EQ(r.status, SS_ERR) << "never skipped silently";
    EXPECT_LE(r.failedAt, 130u) << "paranoia gives up where it cannot verify any more";
    // Only whole verified sectors before the bad one come back.
    ASSERT_LE(r.pcm.size(), size_t(150) * kSector);
    EXPECT_EQ(r.pcm, bin(layout, 0, uint32_t(r.pcm.size() / kSector)));
    const CDREADSTATS s = stats();
    EXPECT_GE(s.skips, 1u);
    EXPECT_EQ(s.errorSector, 150u) << "the sector the drive would not read";

    // The retries are the caller's to choose, in fives.
    EXPECT_EQ(ModifyCDParms(handle_, CDP_RETRIES, 5), 1u);
    for (DWORD bad : {0u, 3u, 105u})
        EXPECT_EQ(ModifyCDParms(handle_, CDP_RETRIES, bad), 0u) << bad;
    EXPECT_EQ(rip(130, 26).status, SS_ERR);
}

TEST_F(SecureReadTest, JitteredReadsAreCorrectedByOverlap)
{
    // Music: paranoia matches overlaps on real-looking audio.
    const discimage::DiscLayout layout = disc({600}, false, discimage::Content::Music);
    for (const int32_t shift : {7, -13}) {
        AkripTestJitterReads(3, shift);
        open(true);
        const Read r = rip(0, 600);
        ASSERT_EQ(r.status, SS_COMP);
        EXPECT_TRUE(r.pcm == bin(layout, 0, 600)) << "jitter of " << shift << " samples left in the audio";
        EXPECT_GE(stats().repairs, 1u);
        CloseCDHandle(handle_);
        handle_ = 0;
    }
}

TEST_F(SecureReadTest, DataTrackIsNeverReadAndTheAudioBeforeItIs)
{
    const discimage::DiscLayout layout = disc({200, 120}, /*data*/ true);
    open(true);
    const Read audio = rip(200, 120);
    ASSERT_EQ(audio.status, SS_COMP);
    EXPECT_EQ(audio.pcm, bin(layout, 200, 120));
    EXPECT_EQ(rip(layout.audioEnd, 1).status, SS_ERR) << "the gap before the data session";
    EXPECT_EQ(rip(layout.dataStart, 26).status, SS_ERR) << "the data track";
    EXPECT_EQ(rip(300, 26).status, SS_ERR) << "a read running into the gap";
    EXPECT_EQ(rip(0, 26).pcm, bin(layout, 0, 26)) << "and reading goes on afterwards";
}

// A CUE sheet for hand-made tables of contents over a sparse BIN: tracks
// as (data?, start LBA), the BIN ends at the lead-out.
void writeSheet(const std::string& dir, const std::vector<std::pair<bool, uint32_t>>& tracks, uint32_t leadOut)
{
    std::string cue = "FILE \"toc.bin\" BINARY\n";
    char line[96];
    for (size_t i = 0; i < tracks.size(); ++i) {
        const uint32_t s = tracks[i].second;
        std::snprintf(line, sizeof line, "  TRACK %02zu %s\n    INDEX 01 %02u:%02u:%02u\n", i + 1,
                      tracks[i].first ? "MODE1/2352" : "AUDIO", s / 4500, s / 75 % 60, s % 75);
        cue += line;
    }
    std::ofstream(dir + "/toc.cue") << cue;
    std::ofstream(dir + "/toc.bin").close();
    fs::resize_file(dir + "/toc.bin", uint64_t(leadOut) * kSector);
}

TEST_F(SecureReadTest, AccurateRipIdentityLeavesDataTracksOutOfTheSums)
{
    // A generated Enhanced CD: audio at 0, 300, 750, the audio ends at 1125,
    // the data track starts 11400 sectors later at 12525 and holds 600.
    // id1 = 0 + 300 + 750 + 13125 = 14175; id2 = 1 + 2*300 + 3*750 + 4*13125
    // = 55351; CDDB: digit sums of 2, 6, 12, 169 s = 2 + 6 + 3 + 16 = 27,
    // 13125 / 75 = 175 s, 4 tracks.
    const discimage::DiscLayout layout = disc({300, 450, 375}, /*data*/ true);
    ASSERT_EQ(layout.dataStart, 12525u);
    open(false);
    ARDISCID id {};
    ASSERT_EQ(GetAccurateRipId(handle_, &id), SS_COMP);
    EXPECT_EQ(id.id1, 14175u);
    EXPECT_EQ(id.id2, 55351u);
    EXPECT_EQ(id.cddb, 0x1B00AF04u);
    EXPECT_EQ(id.audioTracks, 3);
    EXPECT_EQ(id.firstAudio, 1);
    EXPECT_STREQ(id.name, "dBAR-003-0000375f-0000d837-1b00af04.bin");
    CloseCDHandle(handle_);
    handle_ = 0;
    fs::remove(layout.cuePath);
    fs::remove(layout.binPath);

    struct Disc {
        const char* what;
        std::vector<std::pair<bool, uint32_t>> tracks;
        uint32_t leadOut;
        const char* name;
        int firstAudio;
    };
    const Disc discs[] = {
        // Published identities: an Enhanced CD (data last) and a mixed-mode
        // disc (data first: its audio tracks are numbered from 1 in id2).
        {"enhanced",
         {{false, 0}, {false, 15537}, {false, 31691}, {false, 50866}, {false, 66466}, {false, 81202},
          {false, 99409}, {false, 115920}, {false, 133093}, {false, 149847}, {false, 161560}, {false, 177682},
          {true, 207106}},
         210385, "dBAR-012-0013bd5a-00b8d489-c60af50d.bin", 1},
        {"mixed mode", {}, 261976 - 150, "dBAR-028-00517a54-05a845d2-af0da31d.bin", 2},
    };
    std::vector<std::pair<bool, uint32_t>> mixed;
    for (uint32_t lba : {150u, 66728u, 76502u, 85963u, 93760u, 104048u, 116066u, 124743u, 134206u, 142916u,
                         151852u, 160720u, 169425u, 178731u, 188459u, 196711u, 206354u, 214845u, 223686u, 225746u,
                         226384u, 232668u, 239447u, 239931u, 244989u, 254264u, 260066u, 261222u, 261674u})
        mixed.push_back({mixed.empty(), lba - 150});
    for (Disc d : discs) {
        if (d.tracks.empty())
            d.tracks = mixed;
        writeSheet(dir_, d.tracks, d.leadOut);
        GETCDHAND req {};
        req.size = sizeof req;
        req.ver = 1;
        handle_ = GetCDHandle(&req);
        ASSERT_EQ(GetAccurateRipId(handle_, &id), SS_COMP) << d.what;
        EXPECT_STREQ(id.name, d.name) << d.what;
        EXPECT_EQ(id.firstAudio, d.firstAudio) << d.what;
        CloseCDHandle(handle_);
        handle_ = 0;
    }
}

TEST_F(SecureReadTest, DatabaseAnswersFoundMissingAndUnreachable)
{
    AkripTestCddbLoopbackOnly(1);
    AkripTestSetCddbTimeouts(2000, 3000);
    test::CddbServer server;
    ASSERT_TRUE(server.listening());
    ARDISCID id {};
    id.id1 = 0x0013bd5a;
    id.audioTracks = 12;
    std::strcpy(id.name, "dBAR-012-0013bd5a-00b8d489-c60af50d.bin");
    const std::string body("\x01\x02\x03\x00\xff", 5);
    server.setFile("/accuraterip/a/5/d/dBAR-012-0013bd5a-00b8d489-c60af50d.bin", body);
    const std::string host = "127.0.0.1:" + std::to_string(server.port());

    BYTE buf[64];
    DWORD len = 99;
    char reason[80];
    // A CDDB lookup's spent time limit or its cancellation is not ours.
    CDDBSetOption(CDDB_OPT_TIMELIMIT, nullptr, 1);
    CDDBCancel();
    ::usleep(5000);
    EXPECT_EQ(AccurateRipQuery(&id, host.c_str(), buf, sizeof buf, &len, reason, sizeof reason), DWORD(AR_FOUND))
        << reason;
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), len), body);

    EXPECT_EQ(AccurateRipQuery(&id, host.c_str(), buf, 4, &len, reason, sizeof reason), DWORD(AR_FAILED))
        << "longer than the caller's buffer";
    EXPECT_STREQ(reason, "answer too long");

    id.id1 = 0x0013bd5b;
    EXPECT_EQ(AccurateRipQuery(&id, host.c_str(), buf, sizeof buf, &len, reason, sizeof reason), DWORD(AR_NOT_FOUND));
    EXPECT_EQ(len, 0u);

    server.setBehaviour(test::CddbServer::Behaviour::Silent);
    EXPECT_EQ(AccurateRipQuery(&id, host.c_str(), buf, sizeof buf, &len, reason, sizeof reason), DWORD(AR_FAILED))
        << "a server that never answers ends at the time limit";
    EXPECT_NE(std::string(reason), "");
    EXPECT_EQ(AccurateRipQuery(&id, "www.accuraterip.com", buf, sizeof buf, &len, reason, sizeof reason),
              DWORD(AR_FAILED));
    EXPECT_EQ(AccurateRipQuery(&id, "127.0.0.1:70000", buf, sizeof buf, &len, reason, sizeof reason),
              DWORD(AR_FAILED));
    EXPECT_STREQ(reason, "invalid server port");
    AkripTestResetCddb();
}

}
