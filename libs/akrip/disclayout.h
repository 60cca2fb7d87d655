// SPDX-License-Identifier: LGPL-2.1-or-later
// The disc as the library reports it: table of contents entries and the
// sectors that may be read as audio. Addresses are logical block addresses
// counted from 0 at track 1's start; a sector is 2352 bytes, 75 per second.
#ifndef AKRIP_DISCLAYOUT_H
#define AKRIP_DISCLAYOUT_H

#include "akrip32.h"

#include <cstdint>
#include <vector>

namespace akrip {

constexpr uint32_t kSectorBytes = 2352;
constexpr int32_t kLeadInSectors = 150; // the 2 s before track 1 in MSF addresses

// Control byte of a TOC entry as the program reads it: ADR 1 in the high
// nibble, the Q-channel control bits in the low one. Only these three are
// reported; pre-emphasis and four-channel bits are dropped so an audio
// track is always recognised as audio.
constexpr uint8_t kControlAudio = 0x10;
constexpr uint8_t kControlAudioCopyPermitted = 0x12;
constexpr uint8_t kControlData = 0x14;

struct TocTrack {
    uint8_t number = 0;
    uint8_t control = kControlAudio;
    int32_t lba = 0;     // start as reported in the TOC
    int32_t discLba = 0; // start as recorded on the disc (differs only for
                         // a data session, see kSessionGapSectors)
};

// The program takes 11250 sectors (2 min 30 s) off an audio track that is
// followed by a data track. On an Enhanced CD the data session starts 11400
// sectors after the audio (lead-out 6750, lead-in 4500, pregap 150), so the
// TOC reports such a data track 150 sectors early: the program then reads
// exactly the audio. discLba keeps the recorded start (CDDB disc ids).
constexpr int32_t kSessionGapSectors = 11250;
constexpr int32_t kEnhancedGapSectors = 11400;

struct SectorRange {
    int32_t first = 0;
    int32_t end = 0; // one past the last sector
};

struct DiscLayout {
    std::vector<TocTrack> tracks; // ascending numbers, 1 to 99 entries
    int32_t leadOut = 0;
    std::vector<SectorRange> audio; // readable audio, sorted, adjacent ranges merged

    // True when every sector of [first, first + count) lies in audio and
    // before the lead-out. count 0 is never audio.
    bool isAudio(int64_t first, int64_t count) const;
    // Adds [first, end) to the audio ranges, merging with the last range
    // when they touch. Ranges must be added in ascending order.
    void addAudio(int32_t first, int32_t end);
};

// Writes the 804-byte TOC: length, first and last track, the track entries
// and the lead-out entry (track 0xAA). msf: addresses as 0,M,S,F including
// the 2 s lead-in, else big-endian LBAs.
void fillToc(const DiscLayout& layout, bool msf, TOC* toc);

}

#endif
