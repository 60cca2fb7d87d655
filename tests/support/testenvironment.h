// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

namespace trackmill::test {

// Points HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR at a fresh temporary
// folder of this process, so no test touches the user's configuration, and
// keeps the session bus out of reach. Call before the Q*Application exists.
void isolateEnvironment();

// The temporary root made by isolateEnvironment().
QString isolatedRoot();

}
