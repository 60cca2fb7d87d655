// SPDX-License-Identifier: LGPL-2.1-or-later
// One opened drive: a physical drive through libcdio or a disc image.
#ifndef AKRIP_DRIVE_H
#define AKRIP_DRIVE_H

#include "cdtext.h"
#include "disclayout.h"

#include <cstdint>
#include <optional>

namespace akrip {

class Drive {
public:
    virtual ~Drive() = default;
    // Reads the table of contents afresh (the disc may have changed since
    // the last call). Nothing when no readable disc is in the drive.
    virtual std::optional<DiscLayout> readLayout() = 0;
    // Reads count sectors of audio from lba into out (count × 2352 bytes),
    // 16-bit little-endian stereo as on the disc. The caller has checked
    // the range against the layout of the last readLayout().
    virtual bool readAudio(int32_t lba, uint32_t count, uint8_t* out) = 0;
    // The CD-TEXT of the disc of the last successful readLayout(); empty
    // when it has none.
    virtual CdText cdText() = 0;
};

}

#endif
