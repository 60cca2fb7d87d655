// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "namingsettings.h"

namespace trackmill {

// The naming of the moment: the stored settings together with the
// separator and the nine replacement characters, which are no settings of
// the file (the settings window's edits hold them; elsewhere they keep
// their start values).
class NamingSource
{
public:
    virtual ~NamingSource() = default;
    virtual NamingSettings namingSettings() const = 0;
};

// What must be kept before the machine goes down after a run: the settings
// and the names of the disc in the drive. Each reports its own failure.
class RunPersistence
{
public:
    virtual ~RunPersistence() = default;
    virtual void saveSettings() = 0;
    // Only called while an audio disc is in the drive.
    virtual void storeDiscNames() = 0;
};

}
