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
    // Rips every track by the TOC, as the ripper does, and compares with
    // the PCM that went in (plus the zero padding of its last sector).
    void expectExactRip(const discimage::DiscSpec& discSpec)
    {
        const HCDROM h = open(0);
        ASSERT_NE(h, 0u);
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
            ASSERT_EQ(r.pcm.size(), expected.size());
            EXPECT_TRUE(r.pcm == expected) << "first difference at byte "
                                          << (std::mismatch(r.pcm.begin(), r.pcm.end(), expected.begin()).first
                                              - r.pcm.begin());
        }
    }

    DWORD readOnce(HCDROM h, uint32_t start, uint32_t frames, uint32_t maxLen, DWORD* len = nullptr)
    {
        ReadBuffer buf(26); // maxLen of every case is at most 26 sectors
        TRACKBUF* t = buf.get();
        t->startFrame = start;
        t->numFrames = frames;
        t->maxLen = maxLen;
        t->len = 999;
        const DWORD status = ReadCDAudioLBA(h, t);
        EXPECT_EQ(t->status, status);
        if (len)
            *len = t->len;
        return status;
    }
};

}

TEST_F(ReadTest, RipOfEveryTrackReturnsExactlyThePcmThatWentIn)
{
    discimage::DiscSpec discSpec;
    // Odd lengths: whole sectors, 26 × k + 5 sectors, part sectors, odd
    // byte counts, a single sample.
    discSpec.trackBytes = {discimage::bytesForSamples(44100 * 3 + 17), 2352 * (26 * 4 + 5), 2352 * 26, 1001, 4,
                       discimage::bytesForSeconds(1.37) + 3};
    writeDisc("disc", discSpec);
    expectExactRip(discSpec);
}

TEST_F(ReadTest, BinWithAnotherNameIsTheOneRead)
{
    discimage::DiscSpec discSpec;
    discSpec.trackBytes = {2352 * 30 + 100, 2352 * 12};
    discSpec.binFileName = "Audio data (1).bin";
    writeDisc("My Disc", discSpec);
    // A decoy named like the CUE must not be read.
    writeZeroBin("My Disc.bin", 100);
    expectExactRip(discSpec);
}

TEST_F(ReadTest, ReadsTheDriveCannotServeFailWithNoData)
{
    const discimage::DiscLayout layout = writeDisc("disc", audioSpec({2352 * 100}));
    const HCDROM h = open(0);
    const uint32_t full = 26 * 2352;
    DWORD len = 0;

    struct Case {
        const char* what;
        uint32_t start, frames, maxLen;
        DWORD status;
    };
    const Case cases[] = {
        {"within the disc", 74, 26, full, SS_COMP},
        {"up to the lead-out", 74, 26, full, SS_COMP},
        {"across the lead-out", 90, 26, full, SS_ERR},
        {"at the lead-out", layout.totalSectors, 1, full, SS_ERR},
        {"far beyond", 0xFFFFFFF0u, 26, full, SS_ERR},
        {"buffer too small", 0, 26, full - 1, SS_INVALID_SRB},
        {"no sectors", 0, 0, full, SS_INVALID_SRB},
        {"count overflowing the byte size", 0, 0x80000000u, full, SS_INVALID_SRB},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(readOnce(h, c.start, c.frames, c.maxLen, &len), c.status) << c.what;
        EXPECT_EQ(len, c.status == SS_COMP ? c.frames * 2352 : 0u) << c.what;
    }
    EXPECT_EQ(readOnce(0, 0, 1, full), static_cast<DWORD>(SS_INVALID_HA));
    EXPECT_EQ(ReadCDAudioLBA(h, nullptr), static_cast<DWORD>(SS_INVALID_SRB));
}

TEST_F(ReadTest, ReadWorksWithoutAnEarlierTocRead)
{
    discimage::DiscSpec discSpec;
    discSpec.trackBytes = {2352 * 10};
    writeDisc("disc", discSpec);
    const RipResult r = rip(open(0), 0, 10);
    EXPECT_TRUE(r.pcm == discimage::trackPcm(discSpec, 1));
}

TEST_F(ReadTest, BinCutShortAfterTheTocFailsTheRead)
{
    const discimage::DiscLayout layout = writeDisc("disc", audioSpec({2352 * 100}));
    const HCDROM h = open(0);
    TOC toc {};
    ASSERT_EQ(readToc(h, false, toc), static_cast<DWORD>(SS_COMP));
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

    AkripTestFailReads(0, SS_ABORTED);
    EXPECT_EQ(rip(h, 0, 1).lastStatus, static_cast<DWORD>(SS_ABORTED));
    AkripTestFailReads(0, 0x42);
    EXPECT_EQ(rip(h, 150, 26).lastStatus, 0x42u);

    AkripTestFailReads(100, 0);
    EXPECT_EQ(rip(h, 0, 200).lastStatus, static_cast<DWORD>(SS_COMP)) << "fault removed";
}
