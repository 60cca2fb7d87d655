// SPDX-License-Identifier: LGPL-2.1-or-later
// What the CDDB query needs from a table of contents, and the CD Player
// database id of the same disc.
#pragma once

#include "akrip32.h"

#include <cstdint>
#include <string>
#include <vector>

namespace akrip::cddb {

struct CddbDisc
{
    bool valid = false;
    uint32_t discId = 0;            // the standard CDDB disc id
    std::vector<uint32_t> offsets;  // frame offsets of every track, 150-frame lead-in included
    uint32_t leadOutFrames = 0;     // lead-out offset, lead-in included
    uint32_t lengthSeconds = 0;     // leadOutFrames / 75
    std::string cdPlayerId;         // section name in CDPLAYER.INI (sum of audio MSF addresses)

    // "discid" as eight lower-case hex digits.
    std::string discIdText() const;
    // The arguments of "cddb query": discid ntrks off1 ... offN nsecs.
    std::string queryArguments() const;
};

// Reads an 804-byte TOC. msfAddresses: false for logical block addresses
// counted from 0 at track 1 (parameter 36 = 0), true for 0,M,S,F addresses
// that include the 2 s lead-in (parameter 36 = 1). Every track counts for
// the CDDB id, data tracks included; only audio tracks (control byte not
// 0x14) count for the CD Player id. A TOC that is not plausible (no tracks,
// more than 99, addresses going backwards, no lead-out) gives valid = false.
CddbDisc discFromToc(const TOC& toc, bool msfAddresses);

// The CD Player database id of a sum of MSF addresses: upper-case hex,
// at least four digits.
std::string cdPlayerIdText(uint32_t msfSum);

}
