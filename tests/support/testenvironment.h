// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

namespace trackmill::test {

// Points HOME and the XDG folders at a fresh temporary folder of this process
// and keeps the buses out of reach. Call before the Q*Application exists.
void isolateEnvironment();

// The temporary root made by isolateEnvironment().
QString isolatedRoot();

}
