// SPDX-License-Identifier: LGPL-2.1-or-later
// Access to the disc of a handle for other parts of the library (the CDDB
// client), without changing the handle's address mode.
#ifndef AKRIP_DISCACCESS_H
#define AKRIP_DISCACCESS_H

#include "akrip32.h"
#include "disclayout.h"

namespace akrip {

// Reads the table of contents of the disc in the drive of h, addresses as
// LBAs with track 1 at 0 (add 150 for frame offsets with the lead-in).
// A track's discLba is where it is recorded, which is what a CDDB disc id
// is made of; its lba is what ReadTOC reports (they differ only for the
// data track of an Enhanced CD). False for an unknown handle or no
// readable disc.
bool readDiscLayout(HCDROM h, DiscLayout& out);

}

#endif
