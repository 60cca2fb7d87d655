// SPDX-License-Identifier: LGPL-2.1-or-later
// The open drive handles. The table is guarded by one mutex; each open
// drive by its own, so two handles can be read at once.
#ifndef AKRIP_HANDLETABLE_H
#define AKRIP_HANDLETABLE_H

#include "akrip32.h"
#include "drive.h"
#include "securereader.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace akrip {

struct OpenDrive {
    std::mutex lock;
    std::unique_ptr<Drive> drive;
    bool msf = false;                 // parameter 36
    std::optional<DiscLayout> layout; // from the last TOC read
    bool secure = false;              // parameter 37
    uint32_t retries = SecureReader::kDefaultRetries; // parameter 38
    // Paranoia over the layout of the last TOC read; made at the first
    // verified read after it.
    std::unique_ptr<SecureReader> secureReader;
    CDREADSTATS stats{0, 0, 0, 0, 0xFFFFFFFFu}; // of readers already closed
};

class HandleTable {
public:
    // A new nonzero handle for the drive.
    HCDROM add(std::unique_ptr<Drive> drive);
    // The open drive of a handle; null when unknown. The caller locks it.
    std::shared_ptr<OpenDrive> find(HCDROM h);
    bool remove(HCDROM h);
    void clear();

private:
    std::mutex lock_;
    std::map<HCDROM, std::shared_ptr<OpenDrive>> open_;
    HCDROM next_ = 1;
};

}

#endif
