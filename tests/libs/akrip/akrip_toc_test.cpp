// SPDX-License-Identifier: GPL-2.0-or-later
// Tables of contents of disc images (written by the image writer and its
// tool), and CUE sheets that must not get past the library (or only as far
// as they can be trusted).
#include "akriptestfixture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace trackmill;
using namespace trackmill::test;

namespace {

class TocTest : public AkripTest {};

uint32_t msfOf(uint32_t lba)
{
    const uint32_t abs = lba + 150;
    return (abs / 4500) << 16 | (abs / 75 % 60) << 8 | abs % 75;
}

std::string readAll(const std::string& file)
{
    std::ostringstream s;
    s << std::ifstream(file, std::ios::binary).rdbuf();
    return s.str();
}

}

// (LBA starts and lengths are checked by every exact rip.)
TEST_F(TocTest, MsfAddressesCountTheTwoSecondLeadIn)
{
    discimage::DiscSpec discSpec = audioSpec({2352 * 75 + 4, 2352 * 26 * 3, 1001, 2352 * 300 - 4});
    discSpec.copyPermitted = true;
    const discimage::DiscLayout layout = writeDisc("disc", discSpec);
    const HCDROM h = open(0);
    TOC toc {};
    ASSERT_EQ(readToc(h, true, toc), static_cast<DWORD>(SS_COMP));
    EXPECT_EQ(toc.tocLen[0] << 8 | toc.tocLen[1], 2 + 8 * 5);
    const std::vector<TocEntry> e = tocEntries(toc);
    ASSERT_EQ(e.size(), 5u);
    EXPECT_EQ(e[0].address, 0x00000200u) << "track 1 at 00:02:00";
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(e[i].address, msfOf(layout.trackStart[i])) << i;
        EXPECT_EQ(e[i].control, 0x12) << "copy permitted audio";
        EXPECT_EQ(e[i].number, i + 1);
    }
    EXPECT_EQ(e[4].number, 0xAA);
    EXPECT_EQ(e[4].address, msfOf(layout.totalSectors));
    // Back to LBAs on the same handle.
    ASSERT_EQ(readToc(h, false, toc), static_cast<DWORD>(SS_COMP));
    EXPECT_EQ(tocEntries(toc)[1].address, 76u) << "75 sectors and 4 bytes take 76 sectors";
}

TEST_F(TocTest, FinalDataTrackLiesBeyondTheSessionGap)
{
    discimage::DiscSpec discSpec = audioSpec({2352 * 40, 2352 * 33 + 7});
    discSpec.dataTrack = true;
    discSpec.dataSectors = 3;
    const discimage::DiscLayout layout = writeDisc("enhanced", discSpec);
    EXPECT_EQ(layout.audioEnd, 74u);
    EXPECT_EQ(layout.dataStart, 74u + 11400);
    EXPECT_EQ(layout.totalSectors, 74u + 11400 + 3);
    // The image as written: a zero gap, then mode 1 sectors whose headers
    // count the lead-in in BCD (11624 = 02:34:74, then a carry).
    const std::string bin = readAll(layout.binPath);
    ASSERT_EQ(bin.size(), layout.totalSectors * size_t {2352});
    EXPECT_EQ(bin.find_first_not_of('\0', 74 * 2352), layout.dataStart * size_t {2352} + 1) << "zero gap";
    const char* msf[] = {"\x02\x34\x74", "\x02\x35\x00", "\x02\x35\x01"};
    for (uint32_t i = 0; i < 3; ++i)
        EXPECT_EQ(bin.substr((layout.dataStart + i) * size_t {2352}, 16),
                  std::string("\x00\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x00", 12) + std::string(msf[i], 3) + '\x01');
    EXPECT_NE(readAll(layout.cuePath).find("TRACK 03 MODE1/2352\r\n    INDEX 00 00:00:74\r\n    INDEX 01 02:32:74"),
              std::string::npos);

    const HCDROM h = open(0);
    TOC toc {};
    ASSERT_EQ(readToc(h, false, toc), static_cast<DWORD>(SS_COMP));
    const std::vector<TocEntry> e = tocEntries(toc);
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(toc.lastTrack, 3);
    EXPECT_EQ(e[1].control, 0x10);
    EXPECT_EQ(e[2].control, 0x14);
    EXPECT_NE(e[3].control, 0x14) << "the lead-out is no data track";
    EXPECT_EQ(e[3].address, layout.totalSectors);

    // The ripper's rule (the next entry's address less 11250 sectors when it
    // is a data track) gives the last audio track exactly its audio.
    ASSERT_EQ(e[2].address - e[1].address - 11250, 34u);
    const RipResult r = rip(h, e[1].address, 34);
    EXPECT_EQ(r.lastStatus, static_cast<DWORD>(SS_COMP));
    std::vector<uint8_t> expected = discimage::trackPcm(discSpec, 2);
    expected.resize(34 * 2352, 0);
    EXPECT_TRUE(r.pcm == expected);

    // The gap and the data track are no audio.
    for (const uint32_t start : {layout.audioEnd - 1, layout.audioEnd + 5000, layout.dataStart})
        EXPECT_EQ(rip(h, start, 2).lastStatus, static_cast<DWORD>(SS_ERR)) << start;
}

TEST_F(TocTest, ImageToolWritesImagesTheLibraryReads)
{
    const std::string tool = std::string("'") + MKDISCIMAGE_PATH + "'";
    ASSERT_EQ(std::system((tool + " --track 1.5 --track 2 --data 20 '" + path("Tool Disc") + "' > /dev/null").c_str()), 0);
    ASSERT_NE(std::system((tool + " --track 0 x 2> /dev/null").c_str()), 0) << "a track of no length is refused";

    const CDLIST list = driveList();
    ASSERT_EQ(list.num, 1);
    EXPECT_STREQ(list.cd[0].id, "IMAGE Tool Disc");
    TOC toc {};
    ASSERT_EQ(readToc(open(0), false, toc), static_cast<DWORD>(SS_COMP));
    const std::vector<TocEntry> e = tocEntries(toc);
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[1].address, 113u) << "1.5 s take 112.5 sectors";
    EXPECT_EQ(e[2].address - e[1].address - 11250, 150u) << "2 s of audio by the ripper's rule";
}

TEST_F(TocTest, NinetyNineTracksFillTheTable)
{
    discimage::DiscSpec discSpec;
    discSpec.trackBytes.assign(99, 2352);
    writeDisc("full", discSpec);
    TOC toc {};
    ASSERT_EQ(readToc(open(0), false, toc), static_cast<DWORD>(SS_COMP));
    EXPECT_EQ(toc.lastTrack, 99);
    EXPECT_EQ(toc.tocLen[0] << 8 | toc.tocLen[1], 802);
    EXPECT_EQ(toc.tracks[98].addr[3], 98);
    EXPECT_EQ(toc.tracks[99].trackNumber, 0xAA);
    EXPECT_EQ(toc.tracks[99].addr[3], 99);
}

// Each row: the sheet, the BIN written beside it (name and zero sectors; no
// BIN when the name is empty), the tracks the TOC lists (0: ReadTOC fails,
// the program's no-disc row) and the lead-out.
namespace {

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

std::vector<CueCase> cueCases()
{
    const std::string t1 = "TRACK 01 AUDIO\nINDEX 01 00:00:00";
    const std::string t2 = "TRACK 02 AUDIO\nINDEX 01 00:01:00"; // sector 75
    const std::string t3 = "TRACK 03 AUDIO\nINDEX 01 00:02:00"; // sector 150
    std::string hundred = "FILE \"x.bin\" BINARY\n";
    char line[64];
    for (int i = 1; i <= 100; ++i) {
        std::snprintf(line, sizeof line, "TRACK %02d AUDIO\nINDEX 01 00:%02d:%02d\n", i, i / 75, i % 75);
        hundred += line;
    }
    return {
        {"plain", sheet("x.bin", {t1, t2, t3}), "x.bin", 200, 3, 200},
        {"BIN name in another letter case", sheet("X.BIN", {t1}), "x.bin", 10, 1, 10},
        {"Windows path on the FILE line", sheet("C:\\Rips\\x.bin", {t1}), "x.bin", 10, 1, 10},
        {"BOM, CRLF, comments and descriptions",
         "\xEF\xBB\xBFREM GENRE Pop\r\nPERFORMER \"Someone\"\r\nTITLE \"A title\"\r\nFILE x.bin BINARY\r\n"
         "  TRACK 01 AUDIO\r\n    TITLE \"One\"\r\n    FLAGS DCP PRE\r\n    PREGAP 00:02:00\r\n"
         "    INDEX 01 00:00:00\r\n    INDEX 02 00:00:10\r\n",
         "x.bin", 20, 1, 20},
        {"audio pregap in the file", sheet("x.bin", {t1, "TRACK 02 AUDIO\nINDEX 00 00:00:50\nINDEX 01 00:01:00"}),
         "x.bin", 100, 2, 100},
        {"BIN missing", sheet("gone.bin", {t1}), "", 0, 0, 0},
        {"BIN outside the folder", sheet("../x.bin", {t1}), "", 0, 0, 0},
        {"FILE naming a folder", sheet("..", {t1}), "", 0, 0, 0},
        {"BIN ends within the last track", sheet("x.bin", {t1, t2, t3}), "x.bin", 100, 2, 100},
        {"BIN ends before track 1's audio", sheet("x.bin", {"TRACK 01 AUDIO\nINDEX 01 00:01:00"}), "x.bin", 75, 0, 0},
        {"tracks out of order", sheet("x.bin", {t1, t3, t2}), "x.bin", 200, 0, 0},
        {"first track not 1", sheet("x.bin", {"TRACK 02 AUDIO\nINDEX 01 00:00:00"}), "x.bin", 200, 0, 0},
        {"100 tracks", hundred, "x.bin", 200, 0, 0},
        {"start before the previous track's",
         sheet("x.bin", {"TRACK 01 AUDIO\nINDEX 01 00:02:00", "TRACK 02 AUDIO\nINDEX 01 00:01:00"}), "x.bin", 200, 0, 0},
        {"zero-length track", sheet("x.bin", {t1, t2, "TRACK 03 AUDIO\nINDEX 01 00:01:00"}), "x.bin", 200, 0, 0},
        {"pregap before the previous start",
         sheet("x.bin", {"TRACK 01 AUDIO\nINDEX 01 00:01:00", "TRACK 02 AUDIO\nINDEX 00 00:00:10\nINDEX 01 00:02:00"}),
         "x.bin", 200, 0, 0},
        {"track without INDEX 01", sheet("x.bin", {t1, "TRACK 02 AUDIO", t3}), "x.bin", 200, 0, 0},
        {"INDEX 01 twice", sheet("x.bin", {t1, "INDEX 01 00:00:10"}), "x.bin", 200, 0, 0},
        {"INDEX outside a track", sheet("x.bin", {"INDEX 01 00:00:00", t1}), "x.bin", 200, 0, 0},
        {"60 seconds", sheet("x.bin", {"TRACK 01 AUDIO\nINDEX 01 00:60:00"}), "x.bin", 20000, 0, 0},
        {"75 frames", sheet("x.bin", {"TRACK 01 AUDIO\nINDEX 01 00:00:75"}), "x.bin", 200, 0, 0},
        {"negative time", sheet("x.bin", {"TRACK 01 AUDIO\nINDEX 01 -1:00:00"}), "x.bin", 200, 0, 0},
        {"track far beyond the BIN", sheet("x.bin", {t1, "TRACK 02 AUDIO\nINDEX 01 999:00:00"}), "x.bin", 200, 1, 200},
        {"huge time", sheet("x.bin", {t1, "TRACK 02 AUDIO\nINDEX 01 99999999:00:00"}), "x.bin", 200, 0, 0},
        {"two FILE lines", sheet("x.bin", {t1, "FILE \"x.bin\" BINARY", t2}), "x.bin", 200, 0, 0},
        {"WAVE file", "FILE \"x.bin\" WAVE\n" + t1 + "\n", "x.bin", 200, 0, 0},
        {"cooked data sectors", sheet("x.bin", {"TRACK 01 MODE1/2048\nINDEX 01 00:00:00"}), "x.bin", 200, 0, 0},
        {"unterminated quote", "FILE \"x.bin BINARY\n" + t1 + "\n", "x.bin", 200, 0, 0},
        {"unknown command", sheet("x.bin", {t1, "EJECT NOW"}), "x.bin", 200, 0, 0},
        {"no tracks", sheet("x.bin", {}), "x.bin", 200, 0, 0},
        {"binary garbage", std::string("\x01\x02\x00\xFF FILE\n", 10), "x.bin", 200, 0, 0},
        {"oversized sheet", sheet("x.bin", {t1, "REM " + std::string(300 * 1024, 'a')}), "x.bin", 200, 0, 0},
        {"image over 99 minutes", sheet("x.bin", {t1}), "x.bin", 100 * 4500, 0, 0},
    };
}

}

TEST_F(TocTest, HostileCueSheets)
{
    std::ofstream(path("x.bin")) << std::string(2352 * 10, '\0'); // beside the folder, never to be read
    const std::string sub = path("case");
    AkripTestSetDiscsDir(sub.c_str());
    for (const CueCase& c : cueCases()) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(sub);
        std::filesystem::create_directory(sub);
        std::ofstream(sub + "/disc.cue", std::ios::binary) << c.cue;
        if (*c.binName) {
            std::ofstream(sub + "/" + c.binName, std::ios::binary).close();
            std::filesystem::resize_file(sub + "/" + c.binName, static_cast<uintmax_t>(c.binSectors) * 2352);
        }

        ASSERT_EQ(driveList().num, 1) << "every CUE is listed as a drive";
        const HCDROM h = open(0);
        TOC toc {};
        const DWORD status = readToc(h, false, toc);
        if (c.tracks == 0) {
            EXPECT_EQ(status, static_cast<DWORD>(SS_ERR));
            EXPECT_EQ(toc.lastTrack, 0);
            EXPECT_EQ(rip(h, 0, 1).lastStatus, static_cast<DWORD>(SS_ERR));
        } else {
            ASSERT_EQ(status, static_cast<DWORD>(SS_COMP));
            const std::vector<TocEntry> e = tocEntries(toc);
            ASSERT_EQ(e.size(), static_cast<size_t>(c.tracks) + 1);
            EXPECT_EQ(e.back().address, c.leadOut);
            // Everything listed can be read to the lead-out, nothing beyond.
            const RipResult r = rip(h, 0, c.leadOut);
            EXPECT_EQ(r.lastStatus, static_cast<DWORD>(SS_COMP));
            EXPECT_EQ(r.pcm.size(), static_cast<size_t>(c.leadOut) * 2352);
            EXPECT_EQ(rip(h, c.leadOut - 1, 2).lastStatus, static_cast<DWORD>(SS_ERR));
        }
        CloseCDHandle(h);
        opened_.clear();
    }
}
