// SPDX-License-Identifier: GPL-2.0-or-later
// This subsystem's place in the program: its windows, commands and hooks.
#include "app/trackmillapp.h"

namespace trackmill {

// Not wired yet: the commands of this subsystem stay disabled in the main
// window until this connects them.
void TrackmillApp::wireSettings()
{
}

}
