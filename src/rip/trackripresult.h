// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

#include <cstdint>

namespace trackmill {

// How the ripping of one track ended, with everything the main window needs
// to finish it: the text for the grid's Information column, the text of the
// error box, the figures of the progress window.
struct TrackRipResult
{
    enum class Outcome {
        Ripped,        // every sector read and delivered
        Aborted,       // the abort flag stopped the read loop
        NoHandle,      // no CD handle open: nothing done
        TocUnreadable, // TOC not readable, or the track not on it: nothing written
        ReadFailed,    // a read failed; what was read stays in a valid file
        OutputFailed,  // the output could not be created or written
    };

    Outcome outcome = Outcome::NoHandle;
    // The library's status of the failed read (ReadFailed).
    std::uint32_t status = 0;
    // Text of the error box for the failures; empty otherwise.
    QString errorText;
    // Text for the grid's Information column of the track; empty: leave
    // the cell as it is.
    QString information;
    // Sectors of the track by the TOC (0 when it was not read), and bytes
    // of audio handed to the sink.
    qint64 totalSectors = 0;
    quint64 bytesDelivered = 0;
    // PassedTimeRip at the end, and the grab time stored for the track (ms).
    QString passedTime;
    qint64 grabMs = 0;
    // What verified reads met (all 0 for fast reads): sectors read again,
    // repaired by overlap, given up on; the sector that could not be read
    // (LBA, -1 when none).
    quint32 rereads = 0;
    quint32 repairs = 0;
    quint32 skips = 0;
    qint64 errorSector = -1;

    bool failed() const
    {
        return outcome != Outcome::Ripped && outcome != Outcome::Aborted;
    }
};

}
