// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "platform/apppaths.h"

#include <QTemporaryDir>

namespace trackmill::test {

// The folders a whole-program test runs in: temporary program (with Discs/),
// configuration and output folders, and the ripping library pointed at that
// Discs/ with physical drives off, so no test touches a real drive.
struct ProgramFolders
{
    ProgramFolders();
    ~ProgramFolders();

    QTemporaryDir root;
    AppPaths paths;
    QString output;  // an empty folder for the runs' files
};

}
