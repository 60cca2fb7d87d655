// SPDX-License-Identifier: LGPL-2.1-or-later
// The AccurateRip identity of a disc and the path of its dBAR file.
#ifndef AKRIP_ACCURATERIP_H
#define AKRIP_ACCURATERIP_H

#include "akrip32.h"
#include "disclayout.h"

#include <string>

namespace akrip {

// From the recorded track starts (LBA, track 1 at 0) and the true lead-out:
// id1 sums the audio starts and the lead-out; id2 weighs each audio start
// by its place among the audio tracks (1, 2, ...; at least 1 each) and the
// lead-out by their count + 1; the CDDB id counts every track, data tracks
// included. False when the disc has no audio track.
bool accurateRipId(const DiscLayout& layout, ARDISCID& id);

// "/accuraterip/a/5/d/dBAR-012-0013bd5a-00b8d489-c60af50d.bin": the last
// three hex digits of id1, last first.
std::string accurateRipPath(const ARDISCID& id);

}

#endif
