// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

namespace trackmill {

// The short system name shown in the main window's status bar. For a
// Windows version triple (platform 1 = the 95 family, 2 = the NT family) the
// program's historical table applies; anywhere else the system's own pretty
// name is shown.
QString windowsVersionName(int platform, int major, int minor, const QString& servicePack);

// What the status bar shows on this machine: the pretty name of the running
// system (for example "Debian GNU/Linux 12 (bookworm)").
QString systemVersionName();

}
