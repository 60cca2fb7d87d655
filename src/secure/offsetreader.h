// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "rip/sectorsource.h"

#include <QByteArray>
#include <vector>

namespace trackmill {

// Applies a drive's read offset: with +N samples the audio of a sector
// starts N stereo samples (4 bytes each) later on the disc than its address
// says, so sector s of a track is read as the bytes from s × 2352 + 4N on.
// Samples outside the disc's audio (before its first audio sector, after
// its last) are zeros; sectors are read in order, each once, so verified
// reads stay sequential. Offset 0 reads straight through.
class OffsetReader final : public SectorSource
{
public:
    static constexpr int kMaxOffset = 3000; // samples, either way

    OffsetReader(int offsetSamples, qint64 audioFirst, qint64 audioEnd);

    DWORD read(HCDROM cd, qint64 sector, qint64 count, TRACKBUF* buffer) override;

    // The sector whose read failed last (LBA), -1 when none.
    qint64 failedSector() const { return m_failed; }

private:
    bool fetch(HCDROM cd, DWORD* status);

    qint64 m_offsetBytes;
    qint64 m_audioFirst;
    qint64 m_audioEnd;
    qint64 m_position = -1;    // stream byte of m_pending's first byte
    qint64 m_nextSector = 0;   // next sector to fetch
    QByteArray m_pending;
    std::vector<char> m_storage;
    qint64 m_failed = -1;
};

}
