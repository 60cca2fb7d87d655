// SPDX-License-Identifier: GPL-2.0-or-later
// Audio reads: a rip of every track brings back exactly the PCM that went
// into the image; reads the drive cannot serve fail with no data.
#include "akriptestfixture.h"

#include <filesystem>

using namespace trackmill;
using namespace trackmill::test;

namespace {

class ReadTest : public AkripTest {
protected:
    // Rips every track of drive `ha` by the TOC, as the ripper does, and
    // compares with the PCM that went in plus the zero padding of its last
    // sector.
    void expectExactRip(BYTE ha, const discimage::DiscSpec& discSpec)
    {
        const HCDROM h = open(ha);
        TOC toc {};
        ASSERT_EQ(readToc(h, false, toc), static_cast<DWORD>(SS_COMP));
        const std::vector<TocEntry> e = tocEntries(toc);
        ASSERT_EQ(e.size(), discSpec.trackBytes.size() + 1);
        for (size_t i = 0; i + 1 < e.size(); ++i) {
            SCOPED_TRACE("track " + std::to_string(i + 1));
            const uint32_t length = e[i + 1].address - e[i].address;
            const RipResult r = rip(h, e[i].address, length);
            EXPECT_EQ(r.lastStatus, static_cast<DWORD>(SS_COMP));
            EXPECT_EQ(r.reads, static_cast<int>((length + 25) / 26));
            std::vector<uint8_t> expected = discimage::trackPcm(discSpec, static_cast<int>(i) + 1);
            expected.resize(static_cast<size_t>(length) * 2352, 0);
            EXPECT_TRUE(r.pcm == expected);
        }
    }
};

}

TEST_F(ReadTest, RipOfEveryTrackReturnsExactlyThePcmThatWentIn)
{
    // Whole sectors, 26 × k + 5 sectors, part sectors, odd byte counts, a
    // single sample.
    const discimage::DiscSpec odd =
        audioSpec({discimage::bytesForSamples(44100 * 3 + 17), 2352 * (26 * 4 + 5), 2352 * 26, 1001, 4,
                   discimage::bytesForSeconds(1.37) + 3});
    writeDisc("disc", odd);
    // A BIN named otherwise than its CUE, beside a decoy named like the CUE.
    discimage::DiscSpec renamed = audioSpec({2352 * 30 + 100, 2352 * 12});
    renamed.binFileName = "Audio data (1).bin";
    writeDisc("My Disc", renamed);
    writeFile("My Disc.bin", std::string(100 * 2352, '\0'));

    expectExactRip(0, renamed); // "My Disc" sorts before "disc"
    expectExactRip(1, odd);
}

TEST_F(ReadTest, ReadsTheDriveCannotServeFailWithNoData)
{
    const discimage::DiscLayout layout = writeDisc("disc", audioSpec({2352 * 100}));
    const HCDROM h = open(0);
    const uint32_t full = 26 * 2352;
    struct Case {
        const char* what;
        uint32_t start, frames, maxLen;
        DWORD status;
    };
    const Case cases[] = {
        {"up to the lead-out", 74, 26, full, SS_COMP},
        {"across the lead-out", 90, 26, full, SS_ERR},
        {"at the lead-out", layout.totalSectors, 1, full, SS_ERR},
        {"far beyond", 0xFFFFFFF0u, 26, full, SS_ERR},
        {"buffer too small", 0, 26, full - 1, SS_INVALID_SRB},
        {"no sectors", 0, 0, full, SS_INVALID_SRB},
        {"count overflowing the byte size", 0, 0x80000000u, full, SS_INVALID_SRB},
    };
    ReadBuffer buf(26);
    TRACKBUF* t = buf.get();
    for (const Case& c : cases) {
        t->startFrame = c.start;
        t->numFrames = c.frames;
        t->maxLen = c.maxLen;
        t->len = 999;
        EXPECT_EQ(ReadCDAudioLBA(h, t), c.status) << c.what;
        EXPECT_EQ(t->status, c.status) << c.what;
        EXPECT_EQ(t->len, c.status == SS_COMP ? c.frames * 2352 : 0u) << c.what;
    }
    t->numFrames = 1;
    EXPECT_EQ(ReadCDAudioLBA(0, t), static_cast<DWORD>(SS_INVALID_HA));
    EXPECT_EQ(ReadCDAudioLBA(h, nullptr), static_cast<DWORD>(SS_INVALID_SRB));

    // A BIN cut short after the TOC was read.
    std::filesystem::resize_file(layout.binPath, 2352 * 50);
    EXPECT_EQ(rip(h, 0, 50).lastStatus, static_cast<DWORD>(SS_COMP));
    EXPECT_EQ(rip(h, 40, 26).lastStatus, static_cast<DWORD>(SS_ERR));
}

TEST_F(ReadTest, InjectedFaultIsSurfacedWithoutData)
{
    writeDisc("disc", audioSpec({2352 * 200}));
    const HCDROM h = open(0);

    AkripTestFailReads(100, SS_ERR);
    EXPECT_EQ(rip(h, 74, 26).lastStatus, static_cast<DWORD>(SS_COMP)) << "ends just before sector 100";
    const RipResult r = rip(h, 0, 200);
    EXPECT_EQ(r.lastStatus, static_cast<DWORD>(SS_ERR));
    EXPECT_EQ(r.reads, 4) << "three whole reads, the fourth touches sector 100";
    EXPECT_EQ(r.pcm.size(), 78u * 2352);

    AkripTestFailReads(0, 0x42);
    EXPECT_EQ(rip(h, 150, 26).lastStatus, 0x42u);
    AkripTestFailReads(100, 0);
    EXPECT_EQ(rip(h, 0, 200).lastStatus, static_cast<DWORD>(SS_COMP)) << "fault removed";
}
