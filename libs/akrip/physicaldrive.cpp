// SPDX-License-Identifier: LGPL-2.1-or-later
#include "physicaldrive.h"

#include <cdio/cdio.h>

namespace akrip {

PhysicalDrive::PhysicalDrive(std::string device)
    : device_(std::move(device))
{
}

PhysicalDrive::~PhysicalDrive()
{
    close();
}

void PhysicalDrive::close()
{
    if (cdio_)
        cdio_destroy(cdio_);
    cdio_ = nullptr;
}

std::optional<DiscLayout> PhysicalDrive::readLayout()
{
    // libcdio keeps the TOC it read on opening; a disc changed since then
    // is only seen by opening the device again.
    close();
    cdio_ = cdio_open(device_.c_str(), DRIVER_DEVICE);
    if (!cdio_)
        return std::nullopt;
    const track_t first = cdio_get_first_track_num(cdio_);
    const track_t last = cdio_get_last_track_num(cdio_);
    if (first == CDIO_INVALID_TRACK || last == CDIO_INVALID_TRACK || first < 1 || last > 99 || last < first)
        return std::nullopt;
    const lsn_t leadOut = cdio_get_track_lsn(cdio_, CDIO_CDROM_LEADOUT_TRACK);
    if (leadOut == CDIO_INVALID_LSN || leadOut <= 0)
        return std::nullopt;

    DiscLayout layout;
    layout.leadOut = leadOut;
    for (track_t t = first; t <= last; ++t) {
        const lsn_t start = cdio_get_track_lsn(cdio_, t);
        if (start == CDIO_INVALID_LSN || start < 0 || start >= leadOut
            || (!layout.tracks.empty() && start <= layout.tracks.back().lba))
            return std::nullopt;
        TocTrack e;
        e.number = t;
        e.lba = start;
        const bool audio = cdio_get_track_format(cdio_, t) == TRACK_FORMAT_AUDIO;
        if (!audio)
            e.control = kControlData;
        else
            e.control = cdio_get_track_copy_permit(cdio_, t) == CDIO_TRACK_FLAG_TRUE ? kControlAudioCopyPermitted
                                                                                      : kControlAudio;
        layout.tracks.push_back(e);
    }
    // Audio may be read from a track's start to the next track's start.
    for (size_t i = 0; i < layout.tracks.size(); ++i) {
        if (layout.tracks[i].control == kControlData)
            continue;
        const int32_t end = i + 1 < layout.tracks.size() ? layout.tracks[i + 1].lba : layout.leadOut;
        layout.addAudio(layout.tracks[i].lba, end);
    }
    return layout;
}

bool PhysicalDrive::readAudio(int32_t lba, uint32_t count, uint8_t* out)
{
    // Plain CD-DA reads only; paranoia is never pointed at the disc, so a
    // data sector cannot make it spin.
    return cdio_ && cdio_read_audio_sectors(cdio_, out, lba, count) == DRIVER_OP_SUCCESS;
}

}
