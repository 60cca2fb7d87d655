// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "cliarguments.h"

#include "platform/apppaths.h"

#include <QStringList>
#include <cstdio>

namespace trackmill {
class SystemServices;
}

namespace trackmill::cli {

// Where the command-line ripper runs: the program's folders, the system's
// screen saver and power services, and the console.
struct Environment
{
    AppPaths paths;
    SystemServices& system;
    FILE* out = stdout;
    FILE* errors = stderr;
    bool terminal = false;  // `out` is a terminal: the progress line updates in place
    // Tests: no physical drive is listed (the ripping library is told the same).
    bool listPhysicalDrives = true;
};

// Runs one command line (the arguments after the program's name) and
// answers the exit code. A QCoreApplication must exist.
int run(const QStringList& arguments, const Environment& environment);

}
