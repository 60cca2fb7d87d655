// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

namespace trackmill {

// Opening a drive's tray after a run. CdDrives opens real trays (an image
// has none: success, nothing done); tests record the request instead.
class DriveTray
{
public:
    virtual ~DriveTray() = default;
    // The drive at this device or image path. False when it could not be opened.
    virtual bool openTray(const QString& path) = 0;
};

}
