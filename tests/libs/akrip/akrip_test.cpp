// SPDX-License-Identifier: GPL-2.0-or-later
// The drive part of the CD ripping library against generated disc images:
// drive list, handles, tables of contents, audio reads, and CUE sheets that
// must not get past it (or only as far as they can be trusted).
#include "akrip32.h"
#include "akrip32_testing.h"
#include "discimage.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <thread>

using namespace trackmill;
namespace fs = std::filesystem;

namespace {

const DWORD kOk = SS_COMP, kErr = SS_ERR, kBad = SS_INVALID_SRB;
const char* kCue = "FILE \"x.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";

// Tracks first..last, then the lead-out: big-endian LBA, or MSF as 0x00MMSSFF.
std::vector<uint32_t> addresses(const TOC& toc)
{
    std::vector<uint32_t> a;
    for (int i = 0; i < toc.lastTrack - toc.firstTrack + 2 && i < TRACKS_PER_DISK; ++i) {
        const BYTE* b = toc.tracks[i].addr;
        a.push_back(uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3]);
    }
    return a;
}

discimage::DiscSpec audioSpec(std::vector<uint64_t> trackBytes)
{
    discimage::DiscSpec discSpec;
    discSpec.trackBytes = std::move(trackBytes);
    return discSpec;
}

struct ReadBuffer {
    explicit ReadBuffer(uint32_t frames) : bytes(TRACKBUFEXTRA + size_t(frames) * 2352, 0xCD) { get()->maxLen = frames * 2352; }
    TRACKBUF* get() { return reinterpret_cast<TRACKBUF*>(bytes.data()); }
    std::vector<uint8_t> bytes;
};

struct RipResult {
    std::vector<uint8_t> pcm;
    int reads = 0;
    DWORD lastStatus = SS_COMP;
};

class AkripTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        AkripTestReset();
        AkripTestUsePhysicalDrives(0);
        std::string pattern = (fs::temp_directory_path() / "akrip-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        AkripTestSetDiscsDir(dir_.c_str());
    }
    void TearDown() override
    {
        for (HCDROM h : opened_)
            CloseCDHandle(h);
        AkripTestReset();
        AkripTestUsePhysicalDrives(0);
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }

    std::string path(const std::string& name) const { return dir_ + "/" + name; }
    void writeFile(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(path(name), std::ios::binary) << bytes;
    }
    discimage::DiscLayout writeDisc(const std::string& name, const discimage::DiscSpec& discSpec) const
    {
        return discimage::writeDisc(path(name), discSpec);
    }
    CDLIST driveList(BYTE max = MAXCDLIST) const
    {
        CDLIST list {};
        list.max = max;
        EXPECT_EQ(GetCDList(&list), kOk);
        return list;
    }
    HCDROM open(BYTE ha) // closed in TearDown; 0 when refused
    {
        GETCDHAND req {};
        req.size = sizeof req;
        req.ver = 1;
        req.ha = ha;
        const HCDROM h = GetCDHandle(&req);
        if (h)
            opened_.push_back(h);
        return h;
    }
    DWORD readToc(HCDROM h, bool msf, TOC& toc) const
    {
        EXPECT_EQ(ModifyCDParms(h, CDP_MSF, msf ? 1 : 0), 1u);
        return ReadTOC(h, &toc);
    }
    // Reads [start, start + length) 26 sectors at a time, as the ripper
    // does, up to the first failing read.
    RipResult rip(HCDROM h, uint32_t start, uint32_t length) const
    {
        RipResult r;
        ReadBuffer buffer(26);
        TRACKBUF* t = buffer.get();
        while (length > 0) {
            const uint32_t n = length < 26 ? length : 26;
            t->startFrame = start;
            t->numFrames = n;
            t->len = 12345;
            t->status = 99;
            r.lastStatus = ReadCDAudioLBA(h, t);
            ++r.reads;
            EXPECT_EQ(r.lastStatus, t->status);
            EXPECT_EQ(t->len, r.lastStatus == SS_COMP ? n * 2352 : 0u) << "a failed read hands back no data";
            if (r.lastStatus != SS_COMP)
                break;
            r.pcm.insert(r.pcm.end(), t->buf + t->startOffset, t->buf + t->startOffset + t->len);
            start += n;
            length -= n;
        }
        return r;
    }

    std::string dir_;
    std::vector<HCDROM> opened_;
};

TEST_F(AkripTest, DriveListNamesCueImagesInOrderUpToEightAndTheCapacity)
{
    for (const char* name : {"b.cue", "A.CUE", ".hidden.cue", "d.cue", "e.cue", "f.cue", "g.cue", "h.cue", "i.cue"})
        writeFile(name, kCue); // hidden files are no discs
    writeFile("c.Cue", "not a cue sheet at all"); // listed: a drive with an unreadable disc
    writeFile("notes.txt", "x");
    fs::create_directory(path("folder.cue"));
    ASSERT_EQ(::mkfifo(path("pipe.cue").c_str(), 0600), 0); // must not block the scan
    std::string longName = "a";
    for (int i = 0; i < 40; ++i)
        longName += "\xC3\xA9"; // two bytes
    writeFile(longName + ".cue", kCue);

    const CDLIST list = driveList(200);
    ASSERT_EQ(list.num, MAXCDLIST);
    const std::string ids[] = {"IMAGE A", "IMAGE " + longName.substr(0, 57), "IMAGE b", "IMAGE c"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(list.cd[i].id, ids[i]) << "cut to 64 bytes on a character boundary";
        EXPECT_EQ(list.cd[i].ha, i);
    }
    CDLIST three;
    std::memset(&three, 0x5A, sizeof three);
    three.max = 3;
    ASSERT_EQ(GetCDList(&three), kOk);
    EXPECT_EQ(three.num, 3);
    EXPECT_EQ(three.cd[3].ha, 0x5A) << "records beyond the capacity are not touched";
    EXPECT_EQ(GetCDList(nullptr), kBad);
}

TEST_F(AkripTest, MalformedHandleRequestsAreRefusedAndClosedHandlesAreDead)
{
    writeDisc("disc", audioSpec({2352 * 10}));
    const BYTE bad[][5] = {{11, 1, 0, 0, 0}, {12, 1, 1, 0, 0}, {12, 1, 0, 1, 0}, {12, 1, 0, 0, 1}};
    for (const auto& b : bad) {
        GETCDHAND req {};
        std::memcpy(&req, b, 5); // size, version, host adapter, target, LUN
        EXPECT_EQ(GetCDHandle(&req), 0u) << int(b[0]) << int(b[2]) << int(b[3]) << int(b[4]);
    }
    const HCDROM a = open(0);
    const HCDROM b = open(0);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, a);
    EXPECT_EQ(CloseCDHandle(a), 1);
    EXPECT_EQ(CloseCDHandle(a), 0) << "closed twice";

    TOC toc {};
    EXPECT_NE(ReadTOC(a, &toc), kOk);
    ReadBuffer buf(1);
    buf.get()->numFrames = 1;
    EXPECT_NE(ReadCDAudioLBA(a, buf.get()), kOk);
    EXPECT_EQ(buf.get()->len, 0u);
    EXPECT_EQ(readToc(b, false, toc), kOk) << "the other handle on the drive still works";
}

TEST_F(AkripTest, ImageCutShortOrRemovedUnderAnOpenHandle)
{
    const discimage::DiscLayout layout = writeDisc("disc", audioSpec({2352 * 100}));
    const HCDROM h = open(0);
    TOC toc {};
    ASSERT_EQ(readToc(h, false, toc), kOk);
    fs::resize_file(layout.binPath, 2352 * 50);
    EXPECT_EQ(rip(h, 0, 50).lastStatus, kOk);
    EXPECT_EQ(rip(h, 40, 26).lastStatus, kErr);
    fs::rename(layout.binPath, path("elsewhere")); // an eject
    EXPECT_EQ(readToc(h, false, toc), kErr);
    EXPECT_EQ(toc.lastTrack, 0) << "no stale TOC";
    fs::rename(path("elsewhere"), layout.binPath); // and an insert
    EXPECT_EQ(readToc(h, false, toc), kOk);
    EXPECT_EQ(addresses(toc).back(), 50u);
}

// A BIN shorter than its sheet says keeps every track of the sheet; what
// it lacks is a read error of the track, never a short track. The same
// when the BIN is cut short under an open handle and the TOC read again.
TEST_F(AkripTest, ImageCutShortIsAReadErrorOfItsTracks)
{
    const discimage::DiscSpec three = audioSpec({2352 * 100, 2352 * 100, 2352 * 100});
    const discimage::DiscLayout layout = writeDisc("disc", three);
    fs::resize_file(layout.binPath, 2352 * 150); // within track 2
    const HCDROM h = open(0);
    TOC toc {};
    ASSERT_EQ(readToc(h, false, toc), kOk);
    EXPECT_EQ(addresses(toc), (std::vector<uint32_t> {0, 100, 200, 200 + 300})) << "track 3 gets the shortest length";
    EXPECT_EQ(rip(h, 0, 100).pcm, discimage::trackPcm(three, 1));
    const RipResult second = rip(h, 100, 100);
    EXPECT_EQ(second.lastStatus, kErr);
    EXPECT_EQ(second.pcm.size(), 26u * 2352) << "whole reads up to the first that needs a missing sector";
    const RipResult third = rip(h, 200, 300);
    EXPECT_EQ(std::make_pair(third.lastStatus, third.pcm.size()), std::make_pair(kErr, size_t(0)));

    // Cut short after the TOC was read: a new TOC read still lists the
    // tracks as they were, and the last one fails where the BIN ends.
    const discimage::DiscLayout whole = writeDisc("other", audioSpec({2352 * 100, 2352 * 100}));
    const HCDROM g = open(1);
    ASSERT_EQ(readToc(g, false, toc), kOk);
    const std::vector<uint32_t> before = addresses(toc);
    fs::resize_file(whole.binPath, 2352 * 150);
    ASSERT_EQ(readToc(g, false, toc), kOk);
    EXPECT_EQ(addresses(toc), before);
    EXPECT_EQ(rip(g, 100, 100).lastStatus, kErr);
    // Grown again (the image rewritten in place), it reads whole.
    fs::resize_file(whole.binPath, 2352 * 200);
    EXPECT_EQ(rip(g, 100, 100).lastStatus, kOk);
}

// Also: a rip needs no earlier TOC read on its handle.
TEST_F(AkripTest, ReadsGoOnWhileOtherHandlesComeAndGo)
{
    const discimage::DiscSpec discSpec = audioSpec({2352 * 260 + 9});
    writeDisc("disc", discSpec);
    const HCDROM h = open(0);
    std::vector<uint8_t> expected = discimage::trackPcm(discSpec, 1);
    expected.resize(261 * 2352, 0);
    bool exact = true;
    std::thread reader([&] {
        for (int round = 0; round < 20; ++round)
            exact = exact && rip(h, 0, 261).pcm == expected;
    });
    for (int round = 0; round < 50; ++round) {
        const HCDROM other = open(0);
        TOC toc {};
        EXPECT_EQ(ReadTOC(other, &toc), kOk);
        driveList();
        EXPECT_EQ(CloseCDHandle(other), 1);
    }
    reader.join();
    EXPECT_TRUE(exact);
}

TEST_F(AkripTest, MsfAddressesCountTheTwoSecondLeadIn)
{
    discimage::DiscSpec discSpec = audioSpec({2352 * 75 + 4, 1001, 2352 * 300 - 4});
    discSpec.copyPermitted = true;
    writeDisc("disc", discSpec);
    const HCDROM h = open(0);
    TOC toc {};
    ASSERT_EQ(readToc(h, true, toc), kOk);
    EXPECT_EQ(toc.tocLen[0] << 8 | toc.tocLen[1], 2 + 8 * 4);
    EXPECT_EQ(toc.tracks[1].ADR, 0x12) << "copy permitted audio";
    EXPECT_EQ(toc.tracks[3].trackNumber, 0xAA);
    EXPECT_EQ(addresses(toc), (std::vector<uint32_t> {0x0200, 0x0301, 0x0302, 0x0702})) << "LBA 0, 76, 77, 377";
    ASSERT_EQ(readToc(h, false, toc), kOk);
    EXPECT_EQ(addresses(toc)[1], 76u) << "back to LBAs: 75 sectors and 4 bytes take 76";
}

TEST_F(AkripTest, FinalDataTrackLiesBeyondTheSessionGap)
{
    discimage::DiscSpec discSpec = audioSpec({2352 * 40, 2352 * 33 + 7});
    discSpec.dataTrack = true;
    discSpec.dataSectors = 3;
    const discimage::DiscLayout layout = writeDisc("enhanced", discSpec);
    const HCDROM h = open(0);
    TOC toc {};
    ASSERT_EQ(readToc(h, false, toc), kOk);
    const std::vector<uint32_t> a = addresses(toc);
    ASSERT_EQ(a.size(), 4u);
    EXPECT_EQ(toc.tracks[1].ADR, 0x10);
    EXPECT_EQ(toc.tracks[2].ADR, 0x14);
    EXPECT_NE(toc.tracks[3].ADR, 0x14) << "the lead-out is no data track";
    EXPECT_EQ(a[3], layout.totalSectors);
    EXPECT_EQ(a[2] - a[1] - 11250, 34u) << "the ripper's rule gives the last audio track its audio";
    for (const uint32_t start : {layout.audioEnd - 1, layout.audioEnd + 5000, layout.dataStart})
        EXPECT_EQ(rip(h, start, 2).lastStatus, kErr) << "no audio at " << start;
}

TEST_F(AkripTest, ReadsTheDriveCannotServeFailWithNoData)
{
    writeDisc("disc", audioSpec({2352 * 100}));
    const HCDROM h = open(0);
    const uint32_t full = 26 * 2352;
    struct Case {
        const char* what;
        uint32_t start, frames, maxLen;
        DWORD status;
    };
    const Case cases[] = {
        {"across the lead-out", 90, 26, full, kErr},
        {"far beyond", 0xFFFFFFF0u, 26, full, kErr},
        {"buffer too small", 0, 26, full - 1, kBad},
        {"no sectors", 0, 0, full, kBad},
        {"count overflowing the byte size", 0, 0x80000000u, full, kBad},
    };
    ReadBuffer buf(26);
    TRACKBUF* t = buf.get();
    for (const Case& c : cases) {
        t->startFrame = c.start;
        t->numFrames = c.frames;
        t->maxLen = c.maxLen;
        t->len = 999;
        EXPECT_EQ(ReadCDAudioLBA(h, t), c.status) << c.what;
        EXPECT_EQ(t->len, 0u) << c.what;
    }
    EXPECT_EQ(ReadCDAudioLBA(h, nullptr), kBad);
}

TEST_F(AkripTest, InjectedFaultIsSurfacedWithoutData)
{
    writeDisc("disc", audioSpec({2352 * 200}));
    const HCDROM h = open(0);
    AkripTestFailReads(100, 0x42);
    EXPECT_EQ(rip(h, 74, 26).lastStatus, kOk) << "ends just before sector 100";
    const RipResult r = rip(h, 0, 200);
    EXPECT_EQ(r.lastStatus, 0x42u);
    EXPECT_EQ(r.reads, 4) << "three whole reads, the fourth touches sector 100";
    EXPECT_EQ(r.pcm.size(), 78u * 2352);
}

// The sheet, the BIN beside it (name, zero sectors; none when unnamed), the
// tracks the TOC lists (0: ReadTOC fails, the no-disc row) and the lead-out.
struct CueCase {
    const char* name;
    std::string cue;
    const char* binName;
    uint32_t binSectors;
    int tracks;
    uint32_t leadOut;
};

std::string sheet(const char* file, const std::vector<std::string>& lines)
{
    std::string text = std::string("FILE \"") + file + "\" BINARY\n";
    for (const std::string& l : lines)
        text += l + "\n";
    return text;
}

TEST_F(AkripTest, HostileCueSheets)
{
    const std::string t1 = "TRACK 01 AUDIO\nINDEX 01 00:00:00";
    const std::string t2 = "TRACK 02 AUDIO\nINDEX 01 00:01:00"; // sector 75
    const std::string t3 = "TRACK 03 AUDIO\nINDEX 01 00:02:00"; // sector 150
    std::vector<std::string> hundred;
    char line[64];
    for (int i = 1; i <= 100; ++i) {
        std::snprintf(line, sizeof line, "TRACK %02d AUDIO\nINDEX 01 00:%02d:%02d", i, (i - 1) / 75, (i - 1) % 75);
        hundred.push_back(line);
    }
    const std::vector<CueCase> cases = {
        {"BIN name in another letter case", sheet("X.BIN", {t1}), "x.bin", 10, 1, 10},
        {"BIN named otherwise than the CUE", sheet("Audio data (1).bin", {t1}), "Audio data (1).bin", 10, 1, 10},
        {"pregap of track 1 lies before LBA 0",
         sheet("x.bin", {"TRACK 01 AUDIO\nINDEX 00 00:00:00\nINDEX 01 00:02:00", "TRACK 02 AUDIO\nINDEX 01 00:03:00"}),
         "x.bin", 300, 2, 150},
        {"Windows path on the FILE line", sheet("C:\\Rips\\x.bin", {t1}), "x.bin", 10, 1, 10},
        {"BOM, CRLF, comments and descriptions",
         "\xEF\xBB\xBFREM GENRE Pop\r\nTITLE \"A title\"\r\nFILE x.bin BINARY\r\n  TRACK 01 AUDIO\r\n"
         "    FLAGS DCP PRE\r\n    PREGAP 00:02:00\r\n    INDEX 01 00:00:00\r\n    INDEX 02 00:00:10\r\n",
         "x.bin", 20, 1, 20},
        {"BIN missing", sheet("gone.bin", {t1}), "", 0, 0, 0},
        {"BIN outside the folder", sheet("../x.bin", {t1}), "", 0, 0, 0},
        {"FILE naming a folder", sheet("..", {t1}), "", 0, 0, 0},
        {"BIN ends within the last track", sheet("x.bin", {t1, t2, t3}), "x.bin", 200, 3, 200},
        {"BIN ends before track 1's audio", sheet("x.bin", {"TRACK 01 AUDIO\nINDEX 01 00:01:00"}), "x.bin", 75, 0, 0},
        {"track beyond 99 minutes", sheet("x.bin", {t1, "TRACK 02 AUDIO\nINDEX 01 999:00:00"}), "x.bin", 200, 0, 0},
        {"tracks out of order", sheet("x.bin", {t1, t3, t2}), "x.bin", 200, 0, 0},
        {"100 tracks", sheet("x.bin", hundred), "x.bin", 200, 0, 0},
        {"99 tracks fill the table", sheet("x.bin", {hundred.begin(), hundred.end() - 1}), "x.bin", 200, 99, 200},
        {"zero-length track", sheet("x.bin", {t1, t2, "TRACK 03 AUDIO\nINDEX 01 00:01:00"}), "x.bin", 200, 0, 0},
        {"track without INDEX 01", sheet("x.bin", {t1, "TRACK 02 AUDIO", t3}), "x.bin", 200, 0, 0},
        {"75 frames", sheet("x.bin", {"TRACK 01 AUDIO\nINDEX 01 00:00:75"}), "x.bin", 200, 0, 0},
        {"huge time", sheet("x.bin", {t1, "TRACK 02 AUDIO\nINDEX 01 99999999:00:00"}), "x.bin", 200, 0, 0},
        {"cooked data sectors", sheet("x.bin", {"TRACK 01 MODE1/2048\nINDEX 01 00:00:00"}), "x.bin", 200, 0, 0},
        {"binary garbage", std::string("\x01\x02\x00\xFF FILE\n", 10), "x.bin", 200, 0, 0},
        {"oversized sheet", sheet("x.bin", {t1, "REM " + std::string(300 * 1024, 'a')}), "x.bin", 200, 0, 0},
        {"image over 99 minutes", sheet("x.bin", {t1}), "x.bin", 100 * 4500, 0, 0},
    };
    writeFile("x.bin", std::string(2352 * 10, '\0')); // beside the folder, never to be read
    const std::string sub = path("case");
    AkripTestSetDiscsDir(sub.c_str());
    for (const CueCase& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(sub);
        fs::create_directory(sub);
        std::ofstream(sub + "/disc.cue", std::ios::binary) << c.cue;
        if (*c.binName) {
            std::ofstream(sub + "/" + c.binName, std::ios::binary).close();
            fs::resize_file(sub + "/" + c.binName, uintmax_t(c.binSectors) * 2352);
        }
        ASSERT_EQ(driveList().num, 1) << "every CUE is listed as a drive";
        const HCDROM h = open(0);
        TOC toc {};
        const DWORD status = readToc(h, false, toc);
        if (c.tracks == 0) {
            EXPECT_EQ(status, kErr);
            EXPECT_EQ(toc.lastTrack, 0);
            EXPECT_EQ(rip(h, 0, 1).lastStatus, kErr);
        } else {
            ASSERT_EQ(status, kOk);
            const std::vector<uint32_t> a = addresses(toc);
            ASSERT_EQ(a.size(), size_t(c.tracks) + 1);
            EXPECT_EQ(a.back(), c.leadOut);
            // Everything listed can be read to the lead-out, nothing beyond.
            EXPECT_EQ(rip(h, 0, c.leadOut).pcm.size(), size_t(c.leadOut) * 2352);
            EXPECT_EQ(rip(h, c.leadOut - 1, 2).lastStatus, kErr);
        }
        CloseCDHandle(h);
        opened_.clear();
    }
}

}
