// SPDX-License-Identifier: GPL-2.0-or-later
// The About window's place in the program.
#include "app/trackmillapp.h"

namespace trackmill {

// Not wired yet: the About button stays disabled until this connects it.
void TrackmillApp::wireAbout()
{
}

}
