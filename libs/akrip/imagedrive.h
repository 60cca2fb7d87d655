// SPDX-License-Identifier: LGPL-2.1-or-later
// A disc image as a drive: a CUE sheet read by our own reader and its BIN
// file read directly, so the FILE line decides which BIN is read.
#ifndef AKRIP_IMAGEDRIVE_H
#define AKRIP_IMAGEDRIVE_H

#include "drive.h"

#include <string>
#include <sys/types.h>

namespace akrip {

class ImageDrive final : public Drive {
public:
    explicit ImageDrive(std::string cuePath);
    ~ImageDrive() override;
    ImageDrive(const ImageDrive&) = delete;
    ImageDrive& operator=(const ImageDrive&) = delete;

    std::optional<DiscLayout> readLayout() override;
    bool readAudio(int32_t lba, uint32_t count, uint8_t* out) override;
    // The TITLE, PERFORMER and SONGWRITER lines of the sheet.
    CdText cdText() override { return cdText_; }

    // Why the last readLayout() failed, for diagnostics.
    const std::string& lastError() const { return error_; }

private:
    void closeBin();

    std::string cuePath_;
    std::string error_;
    int binFd_ = -1;
    int64_t lbaOffsetBytes_ = 0; // byte offset in the BIN of LBA 0
    CdText cdText_;

    // The image of the last layout read, so that a BIN cut short under an
    // open handle keeps its tracks: the same sheet and the same BIN file
    // (device and inode) with fewer sectors is a damaged disc, not a new one.
    std::string lastCueText_;
    dev_t lastBinDev_ = 0;
    ino_t lastBinIno_ = 0;
    int64_t lastBinSectors_ = -1; // -1: no layout read, or the last read failed
};

// The BIN named by a FILE line, in the CUE's folder: the exact name, or
// else the one name there that matches without regard to letter case.
// Empty when there is none.
std::string resolveBinPath(const std::string& cueDir, const std::string& fileLineName);

}

#endif
