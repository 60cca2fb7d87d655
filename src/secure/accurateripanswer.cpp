// SPDX-License-Identifier: GPL-2.0-or-later
#include "accurateripanswer.h"

#include <algorithm>

namespace trackmill {

namespace {

std::uint32_t le32(const unsigned char* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

}

AccurateRipAnswer AccurateRipAnswer::parse(std::string_view body, int trackCount, std::uint32_t id1,
                                           std::uint32_t id2, std::uint32_t cddb)
{
    AccurateRipAnswer answer;
    const auto* p = reinterpret_cast<const unsigned char*>(body.data());
    const std::size_t size = body.size();
    if (size == 0) {
        answer.error = QStringLiteral("empty answer");
        return answer;
    }
    // A web page instead of a dBAR file ("not found" pages answered 200).
    if (body.substr(0, 64).find("html") != std::string_view::npos
        || body.substr(0, 64).find("HTML") != std::string_view::npos) {
        answer.error = QStringLiteral("the answer is a web page");
        return answer;
    }
    int foreign = 0;
    std::size_t at = 0;
    while (at < size) {
        // Header: track count, id1, id2, CDDB id; then 9 bytes a track.
        if (size - at < 13) {
            answer.error = QStringLiteral("answer cut short");
            answer.chunks.clear();
            return answer;
        }
        const int count = p[at];
        const std::size_t chunkSize = 13 + 9 * std::size_t(count);
        if (size - at < chunkSize) {
            answer.error = QStringLiteral("answer cut short");
            answer.chunks.clear();
            return answer;
        }
        if (answer.chunks.size() >= kMaxChunks) {
            answer.error = QStringLiteral("too many entries");
            answer.chunks.clear();
            return answer;
        }
        const bool ours = count == trackCount && le32(p + at + 1) == id1 && le32(p + at + 5) == id2
            && le32(p + at + 9) == cddb;
        if (ours) {
            Chunk chunk;
            chunk.tracks.reserve(std::size_t(count));
            for (int i = 0; i < count; ++i) {
                const unsigned char* e = p + at + 13 + 9 * std::size_t(i);
                chunk.tracks.push_back({int(e[0]), le32(e + 1), le32(e + 5)});
            }
            answer.chunks.push_back(std::move(chunk));
        } else {
            ++foreign;
        }
        at += chunkSize;
    }
    answer.usable = !answer.chunks.empty();
    if (foreign > 0)
        answer.error = QStringLiteral("%1 entries of another disc left out").arg(foreign);
    return answer;
}

AccurateRipVerdict AccurateRipVerdict::of(const AccurateRipAnswer& answer, int entry, std::uint32_t v1,
                                          std::uint32_t v2)
{
    AccurateRipVerdict verdict;
    if (!answer.usable || entry < 0)
        return verdict;
    int present = 0;
    for (const AccurateRipAnswer::Chunk& chunk : answer.chunks) {
        if (std::size_t(entry) >= chunk.tracks.size())
            continue;
        const AccurateRipAnswer::Entry& e = chunk.tracks[std::size_t(entry)];
        // A zero checksum is no checksum (a track too short, a data track).
        if (e.crc == 0 || e.confidence == 0)
            continue;
        present += e.confidence;
        verdict.total = std::max(verdict.total, e.confidence);
        const bool matchV2 = e.crc == v2;
        if ((e.crc == v1 || matchV2) && e.confidence > verdict.confidence) {
            verdict.confidence = e.confidence;
            verdict.v2 = matchV2 && e.crc != v1;
        }
    }
    if (verdict.confidence > 0) {
        verdict.kind = Kind::Accurate;
    } else if (present > 0) {
        verdict.kind = Kind::NotAccurate;
        verdict.disagreeing = present;
    }
    return verdict;
}

}
