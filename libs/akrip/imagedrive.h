// SPDX-License-Identifier: LGPL-2.1-or-later
// A disc image as a drive: a CUE sheet read by our own reader and its BIN
// file read directly, so the FILE line decides which BIN is read.
#ifndef AKRIP_IMAGEDRIVE_H
#define AKRIP_IMAGEDRIVE_H

#include "drive.h"

#include <string>

namespace akrip {

class ImageDrive final : public Drive {
public:
    explicit ImageDrive(std::string cuePath);
    ~ImageDrive() override;
    ImageDrive(const ImageDrive&) = delete;
    ImageDrive& operator=(const ImageDrive&) = delete;

    std::optional<DiscLayout> readLayout() override;
    bool readAudio(int32_t lba, uint32_t count, uint8_t* out) override;

    // Why the last readLayout() failed, for diagnostics.
    const std::string& lastError() const { return error_; }

private:
    void closeBin();

    std::string cuePath_;
    std::string error_;
    int binFd_ = -1;
    int64_t lbaOffsetBytes_ = 0; // byte offset in the BIN of LBA 0
};

// The BIN named by a FILE line, in the CUE's folder: the exact name, or
// else the one name there that matches without regard to letter case.
// Empty when there is none.
std::string resolveBinPath(const std::string& cueDir, const std::string& fileLineName);

}

#endif
