// SPDX-License-Identifier: LGPL-2.1-or-later
// Verified reads through libcdio-paranoia in full mode (overlapped reads,
// verification, jitter repair), with every low-level read going through
// the library's own read function, so a disc image and a physical drive
// take the same path.
#ifndef AKRIP_SECUREREADER_H
#define AKRIP_SECUREREADER_H

#include "akrip32.h"
#include "disclayout.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

typedef struct cdrom_drive_s cdrom_drive_t;
typedef struct cdrom_paranoia_s cdrom_paranoia_t;
typedef struct _CdIo CdIo_t;

namespace akrip {

// Reads count sectors of 2352 bytes from lba into out; returns how many it
// read from the start (fewer: the rest failed).
using RawRead = std::function<uint32_t(int32_t lba, uint32_t count, uint8_t* out)>;

class SecureReader {
public:
    // Retries of one sector before paranoia gives up. Its skip decision is
    // only taken at multiples of 5, so other values would retry for ever.
    static constexpr uint32_t kDefaultRetries = 20;
    static constexpr uint32_t kMaxRetries = 100;

    // Paranoia takes its table of contents from a CUE sheet written from
    // layout (audio tracks, and a data track wherever the audio stops) over
    // a sparse BIN it never reads: its reads all go to raw. Nothing on
    // failure, with the reason in *error.
    static std::unique_ptr<SecureReader> open(const DiscLayout& layout, RawRead raw, uint32_t retries,
                                              std::string* error);
    ~SecureReader();
    SecureReader(const SecureReader&) = delete;
    SecureReader& operator=(const SecureReader&) = delete;

    // Reads count sectors from lba, which the caller has checked lie in one
    // audio range of the layout. Returns the sectors delivered: fewer when
    // a sector could not be read within the retries (stats().errorSector
    // names it) or the drive stopped answering.
    uint32_t read(int32_t lba, uint32_t count, uint8_t* out);

    // Counts since the last takeStats(); errorSector 0xFFFFFFFF when none.
    CDREADSTATS takeStats();

    // paranoia's callback has no user pointer: the reader reading now.
    void event(long position, int mode);

private:
    SecureReader() = default;
    static long readAudio(cdrom_drive_t* d, void* buffer, int32_t begin, long sectors);
    // Seeks to lba and bounds paranoia's reads by the end of its track.
    void reposition(int32_t lba);

    RawRead raw_;
    uint32_t retries_ = kDefaultRetries;
    CdIo_t* cdio_ = nullptr;
    cdrom_drive_t* drive_ = nullptr;
    cdrom_paranoia_t* paranoia_ = nullptr;
    DiscLayout layout_;
    int64_t cursor_ = -1; // the sector paranoia reads next; -1: seek first
    int64_t rangeLast_ = -1; // the last sector paranoia may read
    CDREADSTATS stats_{};
    uint32_t skipsInRead_ = 0;
    int64_t lastUnread_ = -1; // from the last short read of the drive
};

// The CUE sheet that describes layout to paranoia (exposed for tests):
// "FILE" line for binName, one TRACK per audio track and one MODE1/2352
// track wherever a stretch of audio ends before the last one, or before
// the first audio. *sectors gets the BIN's length in sectors.
std::string paranoiaCueSheet(const DiscLayout& layout, const std::string& binName, int32_t* sectors);

}

#endif
