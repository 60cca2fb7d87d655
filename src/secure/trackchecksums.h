// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QtGlobal>

namespace trackmill {

// The checksums of one ripped track, computed as its audio goes by: the
// CRC32 of all its bytes (as rip logs print it), AccurateRip v1 and v2 and
// the peak level. Frames are stereo samples of 4 bytes, 588 a sector.
class TrackChecksums
{
public:
    // Frames skipped at the start of the disc's first audio track and at
    // the end of its last: 5 sectors (the first loses one frame less).
    static constexpr quint32 kSkipFrames = 5 * 588;

    // A track of `frames` frames; first/last: it is the disc's first/last
    // audio track.
    void begin(quint64 frames, bool first, bool last);
    // The next bytes of the track in order, any length.
    void add(const char* data, qsizetype bytes);

    quint32 crc32() const { return m_crc; }
    quint32 accurateRipV1() const { return m_v1; }
    quint32 accurateRipV2() const { return m_v2; }
    // The largest sample magnitude, 0 to 32768.
    int peak() const { return m_peak; }
    quint64 frames() const { return m_frame; }

private:
    void addFrame(quint32 frame);
    // Whole frames of 4 bytes at p.
    void addFrames(const unsigned char* p, qsizetype frames);

    quint32 m_crc = 0;
    quint32 m_v1 = 0;
    quint32 m_v2 = 0;
    int m_peak = 0;
    quint64 m_frame = 0; // frames seen
    quint64 m_low = 1, m_high = 0; // multipliers that take part
    unsigned char m_partial[4] = {};
    int m_partialBytes = 0;
};

}
