// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

#include <cstdint>
#include <string_view>
#include <vector>

namespace trackmill {

// The AccurateRip database's answer for one disc (a dBAR file): one chunk
// per pressing, each with a confidence and a checksum (v1 or v2, the file
// does not say) for every track. Read as hostile input: a chunk that ends
// early, or an answer whose length is no whole number of chunks, makes the
// whole answer unusable; chunks of another disc (other ids or another
// track count) are left out.
struct AccurateRipAnswer
{
    struct Entry
    {
        int confidence = 0;
        std::uint32_t crc = 0;
        std::uint32_t crc450 = 0;
    };
    struct Chunk
    {
        std::vector<Entry> tracks;
    };

    bool usable = false;
    QString error;             // why not, or why chunks were left out
    std::vector<Chunk> chunks; // of the disc asked for only

    static constexpr std::size_t kMaxChunks = 10000;

    static AccurateRipAnswer parse(std::string_view body, int trackCount, std::uint32_t id1, std::uint32_t id2,
                                   std::uint32_t cddb);
};

// What the answer says about one ripped track.
struct AccurateRipVerdict
{
    enum class Kind {
        NotInDatabase, // no answer, or no checksum for this track
        Accurate,      // a checksum of the database matches
        NotAccurate,   // the database holds checksums, none matches
    };
    Kind kind = Kind::NotInDatabase;
    int confidence = 0;  // Accurate: of the best matching entry
    int total = 0;       // the highest confidence present for the track
    int disagreeing = 0; // NotAccurate: the submissions that differ
    bool v2 = false;     // Accurate: v2 matched (else v1)

    // entry: the track's place in the answer (0-based), which counts every
    // track of the disc from the first audio track's TOC position.
    static AccurateRipVerdict of(const AccurateRipAnswer& answer, int entry, std::uint32_t v1, std::uint32_t v2);
};

}
