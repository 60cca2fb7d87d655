// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "akrip32.h"

#include <QtGlobal>

namespace trackmill {

// Where the track ripper takes its sectors from, when not straight from
// ReadCDAudioLBA (a drive read offset moves the audio against the sectors).
class SectorSource
{
public:
    virtual ~SectorSource() = default;
    // Fills buffer (its capacity in maxLen) with count sectors of 2352
    // bytes of the track's audio, starting at `sector` (LBA), and answers
    // the library's status: SS_COMP with len = count × 2352 and
    // startOffset 0, or the status of the read that failed.
    virtual DWORD read(HCDROM cd, qint64 sector, qint64 count, TRACKBUF* buffer) = 0;
};

}
