// SPDX-License-Identifier: GPL-2.0-or-later
// The library's CUE reader on its own: where tracks are recorded, what the
// TOC reports, and which sectors count as audio.
#include "cuesheet.h"

#include <gtest/gtest.h>

using namespace akrip;

TEST(CueSheet, EnhancedCdKeepsTheRecordedStartBesideTheReportedOne)
{
    const std::optional<CueSheet> sheet = parseCueSheet("FILE \"e.bin\" BINARY\n"
                                                        "TRACK 01 AUDIO\nINDEX 01 00:00:00\n"
                                                        "TRACK 02 AUDIO\nINDEX 00 00:01:00\nINDEX 01 00:01:10\n"
                                                        "TRACK 03 MODE1/2352\nINDEX 00 00:03:00\nINDEX 01 02:35:00\n");
    ASSERT_TRUE(sheet);
    const std::optional<DiscLayout> layout = layoutFromCue(*sheet, 225 + 11400 + 100);
    ASSERT_TRUE(layout);
    ASSERT_EQ(layout->tracks.size(), 3u);
    EXPECT_EQ(layout->tracks[1].lba, 85);
    EXPECT_EQ(layout->tracks[2].discLba, 225 + 11400) << "INDEX 01, as recorded";
    EXPECT_EQ(layout->tracks[2].lba, 225 + 11250) << "as the TOC reports it";
    EXPECT_EQ(layout->leadOut, 225 + 11400 + 100);

    // Track 2's pregap is audio; the audio ends where the gap begins.
    ASSERT_EQ(layout->audio.size(), 1u);
    EXPECT_EQ(layout->audio[0].first, 0);
    EXPECT_EQ(layout->audio[0].end, 225);
    EXPECT_TRUE(layout->isAudio(200, 25));
    EXPECT_FALSE(layout->isAudio(200, 26));
    EXPECT_FALSE(layout->isAudio(225 + 11400, 1));
}

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
