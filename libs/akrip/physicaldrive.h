// SPDX-License-Identifier: LGPL-2.1-or-later
// An optical drive of the machine, through libcdio.
#ifndef AKRIP_PHYSICALDRIVE_H
#define AKRIP_PHYSICALDRIVE_H

#include "drive.h"

#include <string>

typedef struct _CdIo CdIo_t;

namespace akrip {

class PhysicalDrive final : public Drive {
public:
    explicit PhysicalDrive(std::string device);
    ~PhysicalDrive() override;
    PhysicalDrive(const PhysicalDrive&) = delete;
    PhysicalDrive& operator=(const PhysicalDrive&) = delete;

    std::optional<DiscLayout> readLayout() override;
    bool readAudio(int32_t lba, uint32_t count, uint8_t* out) override;
    // Read from the disc on the first call after the layout.
    CdText cdText() override;

private:
    void close();

    std::string device_;
    CdIo_t* cdio_ = nullptr;
    int firstTrack_ = 0;
    int lastTrack_ = 0;
};

}

#endif
