// SPDX-License-Identifier: LGPL-2.1-or-later
#include "physicaldrive.h"

#include "cdtext.h"

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
    firstTrack_ = lastTrack_ = 0;
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
        e.discLba = start;
        const bool audio = cdio_get_track_format(cdio_, t) == TRACK_FORMAT_AUDIO;
        if (!audio)
            e.control = kControlData;
        else
            e.control = cdio_get_track_copy_permit(cdio_, t) == CDIO_TRACK_FLAG_TRUE ? kControlAudioCopyPermitted
                                                                                      : kControlAudio;
        layout.tracks.push_back(e);
    }
    // A data track that opens the last session after audio: an Enhanced
    // CD, whose audio ends 11400 sectors before it.
    lsn_t lastSession = CDIO_INVALID_LSN;
    if (cdio_get_last_session(cdio_, &lastSession) != DRIVER_OP_SUCCESS)
        lastSession = CDIO_INVALID_LSN;
    // Audio may be read from a track's start to the next track's start, or
    // to the end of the first session.
    for (size_t i = 0; i < layout.tracks.size(); ++i) {
        TocTrack& t = layout.tracks[i];
        if (t.control == kControlData)
            continue;
        int32_t end = layout.leadOut;
        if (i + 1 < layout.tracks.size()) {
            TocTrack& next = layout.tracks[i + 1];
            end = next.discLba;
            if (next.control == kControlData && lastSession > 0 && next.discLba == lastSession
                && next.discLba - kEnhancedGapSectors > t.discLba) {
                end = next.discLba - kEnhancedGapSectors;
                next.lba = end + kSessionGapSectors;
            }
        }
        layout.addAudio(t.discLba, end);
    }
    firstTrack_ = first;
    lastTrack_ = last;
    return layout;
}

CdText PhysicalDrive::cdText()
{
    if (!cdio_ || firstTrack_ == 0)
        return {};
    return cdTextFromCdio(cdio_, firstTrack_, lastTrack_);
}

bool PhysicalDrive::readAudio(int32_t lba, uint32_t count, uint8_t* out)
{
    // Plain CD-DA reads; verified reads call this too, and only for audio
    // sectors, so a data sector can never make paranoia spin.
    return cdio_ && cdio_read_audio_sectors(cdio_, out, lba, count) == DRIVER_OP_SUCCESS;
}

}
