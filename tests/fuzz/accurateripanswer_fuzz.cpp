// SPDX-License-Identifier: GPL-2.0-or-later
// Any bytes as the AccurateRip database's answer: parsed without reading
// past the input, chunks only of the disc asked for, verdicts in range.
#include "secure/accurateripanswer.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

using namespace trackmill;

#define check(c) ((c) ? void() : (std::fprintf(stderr, "broken: %s (line %d)\n", #c, __LINE__), std::abort()))

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    // The ids of the seed answers; the track count from the input itself
    // too, so that whole chunks get through.
    for (const int tracks : {1, 3, size > 0 ? int(data[0]) : 0}) {
        const AccurateRipAnswer a = AccurateRipAnswer::parse(body, tracks, 0x000441fd, 0x000883fb, 0x020e8801);
        check(a.usable == !a.chunks.empty());
        check(a.chunks.size() <= AccurateRipAnswer::kMaxChunks);
        for (const AccurateRipAnswer::Chunk& c : a.chunks)
            check(int(c.tracks.size()) == tracks);
        for (int entry = -1; entry <= tracks; ++entry) {
            const AccurateRipVerdict v = AccurateRipVerdict::of(a, entry, 0x2716541e, 0x80345486);
            check(v.confidence >= 0 && v.confidence <= 255 && v.confidence <= v.total);
            check(v.kind != AccurateRipVerdict::Kind::Accurate || v.confidence > 0);
        }
    }
    return 0;
}
