// SPDX-License-Identifier: GPL-2.0-or-later
// The disc image writer: the Enhanced-CD layout and the mkdiscimage tool.
// (Padding and regenerated content are checked by every exact rip.)
#include "akriptestfixture.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

using namespace trackmill;
using namespace trackmill::test;

namespace {

class DiscImageTest : public AkripTest {};

std::string readAll(const std::string& file)
{
    std::ostringstream s;
    s << std::ifstream(file, std::ios::binary).rdbuf();
    return s.str();
}

}

TEST_F(DiscImageTest, DataTrackIsLaidOutLikeAnEnhancedCd)
{
    discimage::DiscSpec discSpec = audioSpec({2352 * 10 + 1});
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
        // Sector 11411 + i is 11561 + i with the lead-in: 02:34:11 in BCD, mode 1.
        const std::string s = bin.substr((layout.dataStart + i) * size_t {2352}, 16);
        EXPECT_EQ(s, std::string("\x00\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x00\x02\x34", 14)
                         + static_cast<char>(0x11 + i) + '\x01');
    }
    EXPECT_NE(readAll(layout.cuePath)
                  .find("TRACK 02 MODE1/2352\r\n    INDEX 00 00:00:11\r\n    INDEX 01 02:32:11"),
              std::string::npos);
}

TEST_F(DiscImageTest, ToolWritesImagesTheLibraryReads)
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
    EXPECT_EQ(e[2].control, 0x14);
    EXPECT_EQ(e[2].address - e[1].address - 11250, 150u) << "2 s of audio by the ripper's rule";
}
