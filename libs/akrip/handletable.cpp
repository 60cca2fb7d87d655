// SPDX-License-Identifier: LGPL-2.1-or-later
#include "handletable.h"

namespace akrip {

HCDROM HandleTable::add(std::unique_ptr<Drive> drive)
{
    auto open = std::make_shared<OpenDrive>();
    open->drive = std::move(drive);
    std::lock_guard guard(lock_);
    // Handles are not reused soon, so a stale handle does not reach a drive
    // opened later; 0 is never a handle.
    while (next_ == 0 || open_.count(next_))
        ++next_;
    const HCDROM h = next_++;
    open_[h] = std::move(open);
    return h;
}

std::shared_ptr<OpenDrive> HandleTable::find(HCDROM h)
{
    std::lock_guard guard(lock_);
    const auto it = open_.find(h);
    return it == open_.end() ? nullptr : it->second;
}

bool HandleTable::remove(HCDROM h)
{
    std::shared_ptr<OpenDrive> gone;
    {
        std::lock_guard guard(lock_);
        const auto it = open_.find(h);
        if (it == open_.end())
            return false;
        gone = std::move(it->second);
        open_.erase(it);
    }
    // Wait for a read in progress on another thread before the drive goes.
    std::lock_guard wait(gone->lock);
    return true;
}

void HandleTable::clear()
{
    std::lock_guard guard(lock_);
    open_.clear();
}

}
