// SPDX-License-Identifier: GPL-2.0-or-later
#include "trackchecksums.h"

#include <array>
#include <cstdlib>

namespace trackmill {

namespace {

// The reflected CRC-32 (polynomial 0xEDB88320), as zlib and rip logs use.
const std::array<quint32, 256>& crcTable()
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    return table;
}

}

void TrackChecksums::begin(quint64 frames, bool first, bool last)
{
    *this = TrackChecksums();
    // Multipliers run from 1 over every frame; the first track takes part
    // from frame 2940 on, the last up to 2940 frames before its end.
    m_low = first ? kSkipFrames : 1;
    m_high = last ? (frames > kSkipFrames ? frames - kSkipFrames : 0) : frames;
}

void TrackChecksums::addFrame(quint32 v)
{
    ++m_frame;
    if (m_frame >= m_low && m_frame <= m_high) {
        const quint64 product = quint64(v) * m_frame;
        m_v1 += quint32(product);
        m_v2 += quint32(product) + quint32(product >> 32);
    }
    for (const qint16 sample : {qint16(v & 0xFFFF), qint16(v >> 16)}) {
        const int magnitude = std::abs(int(sample));
        if (magnitude > m_peak)
            m_peak = magnitude;
    }
}

void TrackChecksums::add(const char* data, qsizetype bytes)
{
    const auto& table = crcTable();
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    for (qsizetype i = 0; i < bytes; ++i) {
        m_crc = table[(m_crc ^ p[i]) & 0xFF] ^ (m_crc >> 8);
        m_partial[m_partialBytes++] = p[i];
        if (m_partialBytes == 4) {
            // L low, L high, R low, R high: one little-endian word.
            addFrame(quint32(m_partial[0]) | quint32(m_partial[1]) << 8 | quint32(m_partial[2]) << 16
                     | quint32(m_partial[3]) << 24);
            m_partialBytes = 0;
        }
    }
}

}
