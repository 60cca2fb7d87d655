// SPDX-License-Identifier: GPL-2.0-or-later
// The disc image writer: padding of odd lengths, the Enhanced-CD layout,
// content that a test can regenerate, and the mkdiscimage tool.
#include "akriptestfixture.h"

#include <cstdlib>
#include <fstream>

using namespace trackmill;
using namespace trackmill::test;

namespace {

class DiscImageTest : public AkripTest {
protected:
    std::string readAll(const std::string& file) const
    {
        std::ifstream in(file, std::ios::binary | std::ios::ate);
        std::string bytes(static_cast<size_t>(in.tellg()), '\0');
        in.seekg(0);
        in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return bytes;
    }
};

}

TEST_F(DiscImageTest, OddLengthsArePaddedWithZerosToWholeSectors)
{
    discimage::DiscSpec discSpec;
    discSpec.trackBytes = {5, 2352, 2353};
    const discimage::DiscLayout layout = writeDisc("odd", discSpec);
    EXPECT_EQ(layout.trackStart, (std::vector<uint32_t> {0, 1, 2}));
    EXPECT_EQ(layout.trackSectors, (std::vector<uint32_t> {1, 1, 2}));
    EXPECT_EQ(layout.totalSectors, 4u);

    const std::string bin = readAll(layout.binPath);
    ASSERT_EQ(bin.size(), 4u * 2352);
    for (size_t t = 0; t < 3; ++t) {
        const std::vector<uint8_t> pcm = discimage::trackPcm(discSpec, static_cast<int>(t) + 1);
        const size_t at = layout.trackStart[t] * 2352;
        EXPECT_EQ(bin.compare(at, pcm.size(), std::string(pcm.begin(), pcm.end())), 0) << t;
        const size_t padEnd = at + layout.trackSectors[t] * 2352;
        EXPECT_EQ(bin.find_first_not_of('\0', at + pcm.size()) >= padEnd, true) << "padding of track " << t + 1;
    }
    const std::string cue = readAll(layout.cuePath);
    EXPECT_NE(cue.find("FILE \"odd.bin\" BINARY"), std::string::npos);
    EXPECT_NE(cue.find("TRACK 03 AUDIO\r\n    INDEX 01 00:00:02"), std::string::npos);
}

TEST_F(DiscImageTest, ContentIsDeterministicAndDiffersPerTrack)
{
    discimage::DiscSpec discSpec;
    discSpec.trackBytes = {4096, 4096};
    EXPECT_EQ(discimage::trackPcm(discSpec, 1), discimage::trackPcm(discSpec, 1));
    EXPECT_NE(discimage::trackPcm(discSpec, 1), discimage::trackPcm(discSpec, 2));

    // The music is audible, never clipped, and also regenerates exactly.
    discSpec.content = discimage::Content::Music;
    discSpec.trackBytes = {discimage::bytesForSeconds(4), discimage::bytesForSeconds(4)};
    const std::vector<uint8_t> a = discimage::trackPcm(discSpec, 1);
    EXPECT_EQ(a, discimage::trackPcm(discSpec, 1));
    EXPECT_NE(a, discimage::trackPcm(discSpec, 2));
    int peak = 0;
    for (size_t i = 0; i + 1 < a.size(); i += 2)
        peak = std::max(peak, std::abs(static_cast<int16_t>(a[i] | a[i + 1] << 8)));
    EXPECT_GT(peak, 8000);
    EXPECT_LT(peak, 32000);
}

TEST_F(DiscImageTest, DataTrackIsLaidOutLikeAnEnhancedCd)
{
    discimage::DiscSpec discSpec;
    discSpec.trackBytes = {2352 * 10 + 1};
    discSpec.dataTrack = true;
    discSpec.dataSectors = 3;
    const discimage::DiscLayout layout = writeDisc("plus", discSpec);
    EXPECT_EQ(layout.audioEnd, 11u);
    EXPECT_EQ(layout.dataStart, 11u + 11400);
    EXPECT_EQ(layout.totalSectors, 11u + 11400 + 3);

    const std::string bin = readAll(layout.binPath);
    ASSERT_EQ(bin.size(), layout.totalSectors * size_t {2352});
    // The first byte of a sync pattern is zero too.
    EXPECT_EQ(bin.find_first_not_of('\0', 10 * 2352 + 1), layout.dataStart * size_t {2352} + 1) << "zero gap";
    for (uint32_t i = 0; i < 3; ++i) {
        const std::string s = bin.substr((layout.dataStart + i) * size_t {2352}, 2352);
        EXPECT_EQ(s.substr(0, 12), std::string("\x00\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x00", 12));
        // Sector 11411 + i is 11561 + i with the lead-in: 02:34:11 in BCD.
        EXPECT_EQ(static_cast<uint8_t>(s[12]), 0x02);
        EXPECT_EQ(static_cast<uint8_t>(s[13]), 0x34);
        EXPECT_EQ(static_cast<uint8_t>(s[14]), 0x11 + i);
        EXPECT_EQ(s[15], 1) << "mode 1";
    }
    const std::string cue = readAll(layout.cuePath);
    EXPECT_NE(cue.find("TRACK 02 MODE1/2352\r\n    INDEX 00 00:00:11\r\n    INDEX 01 02:32:11"), std::string::npos)
        << cue;
}

TEST_F(DiscImageTest, ToolWritesImagesTheLibraryReads)
{
    const std::string base = path("Tool Disc");
    const std::string command = std::string("'") + MKDISCIMAGE_PATH + "' --track 1.5 --track 2 --data 20 '" + base
        + "' > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    ASSERT_NE(std::system(("'" + std::string(MKDISCIMAGE_PATH) + "' --track 0 x 2> /dev/null").c_str()), 0)
        << "a track of no length is refused";

    const CDLIST list = driveList();
    ASSERT_EQ(list.num, 1);
    EXPECT_STREQ(list.cd[0].id, "IMAGE Tool Disc");
    TOC toc {};
    ASSERT_EQ(readToc(open(0), false, toc), static_cast<DWORD>(SS_COMP));
    const std::vector<TocEntry> e = tocEntries(toc);
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[1].address, 113u) << "1.5 s take 112.5 sectors";
    EXPECT_EQ(e[2].control, 0x14);
    EXPECT_EQ(e[2].address - e[1].address - 11250, 150u) << "2 s of audio by the program's rule";
}
