// SPDX-License-Identifier: LGPL-2.1-or-later
#include "cddbtoc.h"

#include <cstdio>

namespace akrip::cddb {

namespace {

constexpr uint32_t kFramesPerSecond = 75;
constexpr uint32_t kLeadInFrames = 150; // 2 s before track 1
constexpr uint32_t kMaxFrames = 100 * 60 * kFramesPerSecond; // nothing real is longer than 100 min

uint32_t bigEndian(const BYTE a[4])
{
    return (uint32_t(a[0]) << 24) | (uint32_t(a[1]) << 16) | (uint32_t(a[2]) << 8) | a[3];
}

uint32_t digitSum(uint32_t n)
{
    uint32_t sum = 0;
    for (; n > 0; n /= 10)
        sum += n % 10;
    return sum;
}

// Frame offset (lead-in included) of one entry; false when the address
// cannot be one.
bool frameOffset(const TOCTRACK& entry, bool msf, uint32_t& frames)
{
    if (msf) {
        const uint32_t m = entry.addr[1], s = entry.addr[2], f = entry.addr[3];
        if (entry.addr[0] != 0 || s >= 60 || f >= kFramesPerSecond)
            return false;
        frames = (m * 60 + s) * kFramesPerSecond + f;
    } else {
        const uint32_t lba = bigEndian(entry.addr);
        if (lba > kMaxFrames)
            return false;
        frames = lba + kLeadInFrames;
    }
    return frames <= kMaxFrames + kLeadInFrames;
}

}

std::string CddbDisc::discIdText() const
{
    char text[9];
    std::snprintf(text, sizeof text, "%08x", unsigned(discId));
    return text;
}

std::string CddbDisc::queryArguments() const
{
    std::string args = discIdText() + ' ' + std::to_string(offsets.size());
    for (const uint32_t offset : offsets)
        args += ' ' + std::to_string(offset);
    args += ' ' + std::to_string(lengthSeconds);
    return args;
}

std::string cdPlayerIdText(uint32_t msfSum)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04X", unsigned(msfSum));
    return text;
}

CddbDisc discFromToc(const TOC& toc, bool msfAddresses)
{
    CddbDisc disc;
    const int first = toc.firstTrack;
    const int last = toc.lastTrack;
    if (first < 1 || last < first || last > 99)
        return disc;
    const int count = last - first + 1;
    if (count + 1 > TRACKS_PER_DISK)
        return disc;

    uint32_t previous = 0;
    uint32_t msfSum = 0;
    uint32_t digits = 0;
    for (int i = 0; i <= count; ++i) {
        const TOCTRACK& entry = toc.tracks[i];
        uint32_t frames = 0;
        if (!frameOffset(entry, msfAddresses, frames) || frames < previous)
            return disc;
        previous = frames;
        if (i == count) {
            disc.leadOutFrames = frames;
            break;
        }
        disc.offsets.push_back(frames);
        digits += digitSum(frames / kFramesPerSecond);
        if (entry.ADR != 0x14) {
            // The MSF address as the drive reports it: 0, M, S, F big-endian.
            const uint32_t m = frames / (60 * kFramesPerSecond);
            const uint32_t s = (frames / kFramesPerSecond) % 60;
            const uint32_t f = frames % kFramesPerSecond;
            msfSum += (m << 16) | (s << 8) | f;
        }
    }
    if (disc.leadOutFrames <= disc.offsets.front())
        return disc;

    disc.lengthSeconds = disc.leadOutFrames / kFramesPerSecond;
    const uint32_t playSeconds = disc.lengthSeconds - disc.offsets.front() / kFramesPerSecond;
    disc.discId = ((digits % 0xFF) << 24) | (playSeconds << 8) | uint32_t(count);
    disc.cdPlayerId = cdPlayerIdText(msfSum);
    disc.valid = true;
    return disc;
}

}
