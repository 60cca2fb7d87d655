// SPDX-License-Identifier: GPL-2.0-or-later
// The library's CUE reader on its own. (An Enhanced CD's recorded and
// reported starts are checked through an image drive.)
#include "cuesheet.h"

#include <gtest/gtest.h>

using namespace akrip;

TEST(CueSheet, PregapOfTrackOneLiesBeforeLbaZero)
{
    const std::optional<CueSheet> sheet = parseCueSheet("FILE x.bin BINARY\nTRACK 01 AUDIO\nINDEX 00 00:00:00\n"
                                                        "INDEX 01 00:02:00\nTRACK 02 AUDIO\nINDEX 01 00:03:00\n");
    ASSERT_TRUE(sheet);
    const std::optional<DiscLayout> layout = layoutFromCue(*sheet, 300);
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->tracks[0].lba, 0);
    EXPECT_EQ(layout->tracks[1].lba, 75);
    EXPECT_EQ(layout->leadOut, 150);
    EXPECT_TRUE(layout->isAudio(0, 150));
}
