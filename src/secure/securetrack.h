// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "accurateripanswer.h"

#include <QString>

namespace trackmill {

// Everything a run learnt about one ripped track: how the read went, its
// checksums and what the AccurateRip database says of them.
struct SecureTrack
{
    int track = 0;          // TOC track number (the grid's row)
    qint64 start = 0;       // LBA
    qint64 length = 0;      // sectors of 2352 bytes
    QString file;           // the file the audio went into (name only)
    bool complete = false;  // every sector read and written
    bool aborted = false;   // the user stopped the run in this track
    // Read whole, but its encoding was stopped and the unfinished file
    // removed: no file of the run holds the track.
    bool encodingStopped = false;
    bool readError = false;
    qint64 errorSector = -1;  // LBA of the sector that could not be read
    quint32 rereads = 0, repairs = 0, skips = 0;
    quint32 crc32 = 0, accurateRipV1 = 0, accurateRipV2 = 0;
    int peak = 0; // 0..32768
    AccurateRipVerdict verdict;
};

}
