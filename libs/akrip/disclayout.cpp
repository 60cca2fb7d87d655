// SPDX-License-Identifier: LGPL-2.1-or-later
#include "disclayout.h"

#include <cstring>

namespace akrip {

bool DiscLayout::isAudio(int64_t first, int64_t count) const
{
    if (count <= 0 || first < 0 || first + count > leadOut)
        return false;
    for (const SectorRange& r : audio) {
        if (first >= r.first && first + count <= r.end)
            return true;
    }
    return false;
}

void DiscLayout::addAudio(int32_t first, int32_t end)
{
    if (end <= first)
        return;
    if (!audio.empty() && audio.back().end == first)
        audio.back().end = end;
    else
        audio.push_back({first, end});
}

namespace {

void putAddress(BYTE* out, int32_t lba, bool msf)
{
    if (msf) {
        // Absolute time: the 150-sector lead-in comes before track 1.
        const uint32_t abs = static_cast<uint32_t>(lba + kLeadInSectors);
        const uint32_t minutes = abs / (60 * 75);
        out[0] = 0;
        out[1] = static_cast<BYTE>(minutes > 255 ? 255 : minutes);
        out[2] = static_cast<BYTE>(abs / 75 % 60);
        out[3] = static_cast<BYTE>(abs % 75);
    } else {
        const uint32_t v = static_cast<uint32_t>(lba);
        out[0] = static_cast<BYTE>(v >> 24);
        out[1] = static_cast<BYTE>(v >> 16);
        out[2] = static_cast<BYTE>(v >> 8);
        out[3] = static_cast<BYTE>(v);
    }
}

}

void fillToc(const DiscLayout& layout, bool msf, TOC* toc)
{
    std::memset(toc, 0, sizeof(TOC));
    if (layout.tracks.empty())
        return;
    // 99 tracks and the lead-out fill the 100 entries exactly; the layout
    // never holds more, but a TOC must never be overrun.
    const size_t count = layout.tracks.size() < TRACKS_PER_DISK ? layout.tracks.size() : TRACKS_PER_DISK - 1;
    const size_t dataLen = 2 + 8 * (count + 1);
    toc->tocLen[0] = static_cast<BYTE>(dataLen >> 8);
    toc->tocLen[1] = static_cast<BYTE>(dataLen);
    toc->firstTrack = layout.tracks.front().number;
    toc->lastTrack = layout.tracks[count - 1].number;
    for (size_t i = 0; i < count; ++i) {
        TOCTRACK& e = toc->tracks[i];
        e.ADR = layout.tracks[i].control;
        e.trackNumber = layout.tracks[i].number;
        putAddress(e.addr, layout.tracks[i].lba, msf);
    }
    TOCTRACK& leadOut = toc->tracks[count];
    // The lead-out is no data session: marking it as data would make the
    // program subtract the 11250-sector session gap from a final data track.
    leadOut.ADR = kControlAudio;
    leadOut.trackNumber = 0xAA;
    putAddress(leadOut.addr, layout.leadOut, msf);
}

}
