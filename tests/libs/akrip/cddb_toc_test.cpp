// SPDX-License-Identifier: GPL-2.0-or-later
// Disc ids from a table of contents: the CDDB id against libdiscid, the CD
// Player database id against hand-computed sums.
#include "cddbtoc.h"

#include <discid/discid.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace akrip::cddb {
namespace {

constexpr BYTE kAudio = 0x10;
constexpr BYTE kData = 0x14;

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
    // Audio at 00:02:00, 04:10:33 and 08:00:70: 0x200 + 0x40A21 + 0x80046.
    const std::vector<uint32_t> starts = {0, 18633, 35920};
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

}
}
