// SPDX-License-Identifier: GPL-2.0-or-later
#include "trackchecksums.h"

#include <QtEndian>

#include <zlib.h>

#include <algorithm>
#include <cstdlib>

namespace trackmill {

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
    const int left = std::abs(int(qint16(v & 0xFFFF)));
    const int right = std::abs(int(qint16(v >> 16)));
    m_peak = std::max({m_peak, left, right});
}

void TrackChecksums::addFrames(const unsigned char* p, qsizetype frames)
{
    // Peak: the smallest and largest sample of the block.
    qint16 low = 0, high = 0;
    for (qsizetype i = 0; i < frames * 2; ++i) {
        const qint16 sample = qFromLittleEndian<qint16>(p + 2 * i);
        low = std::min(low, sample);
        high = std::max(high, sample);
    }
    m_peak = std::max({m_peak, -int(low), int(high)});

    // The frames of the block whose multipliers take part: m runs from
    // m_frame + 1 over the block.
    const quint64 first = m_frame + 1;
    const quint64 last = m_frame + quint64(frames);
    const quint64 from = std::max(first, m_low);
    const quint64 to = std::min(last, m_high);
    quint32 v1 = m_v1, v2 = m_v2;
    for (quint64 m = from; m <= to && from <= to; ++m) {
        const quint64 product = quint64(qFromLittleEndian<quint32>(p + 4 * (m - first))) * m;
        v1 += quint32(product);
        v2 += quint32(product) + quint32(product >> 32);
    }
    m_v1 = v1;
    m_v2 = v2;
    m_frame = last;
}

void TrackChecksums::add(const char* data, qsizetype bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    // zlib's CRC-32, the one rip logs print.
    m_crc = quint32(::crc32(m_crc, p, uInt(bytes)));
    // L low, L high, R low, R high: one little-endian word a frame; a frame
    // may be split between two calls.
    const auto word = [](const unsigned char* b) {
        return quint32(b[0]) | quint32(b[1]) << 8 | quint32(b[2]) << 16 | quint32(b[3]) << 24;
    };
    while (m_partialBytes > 0 && bytes > 0) {
        m_partial[m_partialBytes++] = *p++;
        --bytes;
        if (m_partialBytes == 4) {
            addFrame(word(m_partial));
            m_partialBytes = 0;
        }
    }
    const qsizetype frames = bytes / 4;
    if (frames > 0) {
        addFrames(p, frames);
        p += frames * 4;
        bytes -= frames * 4;
    }
    for (; bytes > 0; --bytes)
        m_partial[m_partialBytes++] = *p++;
}

}
