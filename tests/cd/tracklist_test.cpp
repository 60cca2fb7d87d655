// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/hiddenlog.h"
#include "cd/tracklist.h"
#include "cd/cddrives.h"
#include "cd/drivelist.h"
#include "fakecdlibrary.h"

#include <gtest/gtest.h>

using namespace trackmill;

namespace {

class TrackListTest : public ::testing::Test
{
protected:
    TrackListTest()
    {
        library.drives = {{1, 0, 0, "TEST DRIVE"}};
        tracks.setDecimalPoint(QLatin1Char('.'));
    }

    // Opens the drive and reads `toc` into the list as the window does.
    bool load(const TOC& toc)
    {
        library.toc = toc;
        if (!drives.handle())
            drives.GetHandle_FirstCDROM();
        const bool read = tracks.GetCDTOC();
        tracks.CheckOrNotAllTracks(tracks.RowCount() - 1, QLatin1Char('0'));
        return read;
    }

    test::FakeCdLibrary library;
    HiddenLog log;
    DriveList driveList;
    CdDrives drives{library, log, driveList, CdDrives::Options{}};
    TrackList tracks{drives, log};
};

TEST_F(TrackListTest, DataTracksAreListedButOnlyAudioCounts)
{
    std::vector<test::TocEntry> entries;
    for (int n = 0; n < 12; ++n)
        entries.push_back({0x10, n * 20000});
    entries.push_back({0x14, 12 * 20000 + 11400});  // data track after the session gap
    entries.push_back({0x14, 12 * 20000 + 11400 + 600});
    ASSERT_TRUE(load(test::makeToc(1, 13, entries)));
    EXPECT_TRUE(tracks.CD());
    EXPECT_EQ(tracks.RowCount(), 14);
    EXPECT_EQ(tracks.cell(2, 12) + '|' + tracks.cell(1, 13), "    12|DataTrack");
    // Track 12 runs to the data track less 11250 sectors: 20150 sectors, 4:28.
    EXPECT_EQ(tracks.cell(3, 12), "   04:28");
    EXPECT_EQ(tracks.discAudioLength(), 11 * 20000 + 20150);

    // A data disc is listed but is no audio disc.
    load(test::makeToc(1, 2, {{0x14, 0}, {0x10, 30000}, {0x10, 45000}}));
    EXPECT_FALSE(tracks.CD());
    EXPECT_EQ(tracks.cell(1, 1) + '|' + tracks.cell(1, 2), "DataTrack|AudioTrack 02");
    // Only the audio track counts: 15000 sectors, 3:20.
    EXPECT_EQ(tracks.ShowInformationStatusBar(), "0 Tracks,  Playtime: 03:20");

    // A track of unknown kind has no name and no audio length.
    load(test::makeToc(1, 2, {{0x10, 0}, {0x00, 7500}, {0x10, 9000}}));
    EXPECT_EQ(tracks.cell(1, 2), "");
    EXPECT_EQ(tracks.discAudioLength(), 7500);
}

TEST_F(TrackListTest, SizesLineUpInThreeWidthsAndTimesShowMinutesPastTheHour)
{
    // Sectors of 2352 bytes for 5.23, 45.23 and 645.23 MB.
    EXPECT_EQ(TrackList::sizeText(2332, '.'), "       5.23 MB");
    EXPECT_EQ(TrackList::sizeText(20165, ','), "     45,23 MB");
    EXPECT_EQ(TrackList::sizeText(287658, '.'), "   645.23 MB");
    EXPECT_EQ(TrackList::timeText(74), "00:00");
    EXPECT_EQ(TrackList::timeText(75), "00:01");
    EXPECT_EQ(TrackList::timeText(75 * (3600 + 61)), "01:01");
    EXPECT_EQ(TrackList::timeText(-75 * 61), "01:01");
    // The summary counts minutes beyond the hour.
    load(test::audioToc({75 * 37 * 60, 75 * (37 * 60 + 5)}));
    EXPECT_EQ(tracks.ShowInformationStatusBar(), "2 Tracks, Playtime 74:05");
}

TEST_F(TrackListTest, NoDiscOrNoHandleShowsTheMessageRowAndKeepsNoStaleDisc)
{
    library.tocReadable = false;
    EXPECT_FALSE(load(test::audioToc({100})));
    EXPECT_EQ(log.lines().last(), "Insert CD Audio to CD-ROM drive");
    EXPECT_FALSE(tracks.CD());
    EXPECT_EQ(tracks.RowCount(), 2);
    EXPECT_EQ(tracks.cell(1, 1) + tracks.cell(3, 1) + tracks.cell(4, 1), "Insert CD Audio to CD-ROM drive");
    EXPECT_EQ(tracks.ShowInformationStatusBar(), "0 Tracks,  Playtime: 00:00");

    library.tocReadable = true;
    ASSERT_TRUE(load(test::audioToc({7500, 7500})));
    ASSERT_TRUE(drives.FGetCloseHandle());
    EXPECT_FALSE(tracks.GetCDTOC());
    EXPECT_EQ(log.lines().last(), "Need valid CD handle first!");
    EXPECT_FALSE(tracks.CD());
    EXPECT_EQ(tracks.RowCount(), 2);
}

TEST_F(TrackListTest, SelectionFollowsTheSlots)
{
    load(test::audioToc({100, 100, 100, 100, 100, 100}));
    EXPECT_EQ(tracks.NextTrack(0), 0);
    tracks.setSelection(2, true);
    tracks.setSelection(5, true);
    EXPECT_TRUE(tracks.Selected());
    EXPECT_EQ(tracks.NextTrack(2), 5);
    EXPECT_EQ(tracks.NextTrack(5), 0);
    EXPECT_EQ(tracks.NextTrack(256 + 3), 5);  // numbers are bytes
    const TrackList::SelectionFigures f = tracks.SelectedTracks();
    EXPECT_EQ(std::make_tuple(f.firstTrack, f.currentTrack, f.selectedCount), std::make_tuple(2, 2, 2));
    EXPECT_EQ(tracks.cell(0, 2) + tracks.cell(0, 3), "10");
    EXPECT_FALSE(tracks.toggleSelection(2));
    tracks.setCell(0, 4, "1");
    EXPECT_EQ(tracks.MySelectedTracks(), "4, 5");

    // Checking all clears every slot first, and stops at the rows there are.
    tracks.CheckOrNotAllTracks(2, QLatin1Char('1'));
    EXPECT_EQ(tracks.MySelectedTracks(), "1, 2");
    tracks.CheckOrNotAllTracks(1000, QLatin1Char('1'));
    EXPECT_EQ(tracks.MySelectedTracks(), "1, 2, 3, 4, 5, 6");
    // A rebuild with fewer tracks leaves no stale selection beyond the rows.
    load(test::audioToc({100, 100}));
    EXPECT_EQ(tracks.MySelectedTracks(), "");
}

TEST_F(TrackListTest, HostileTocsStayInBounds)
{
    // Last track before the first: no track, shown as no disc.
    EXPECT_FALSE(load(test::makeToc(5, 3, {{0x10, 0}, {0x10, 100}})));
    EXPECT_EQ(tracks.RowCount(), 2);

    // 99 tracks, the lead-out as the 100th entry; numbers past 99 and a first
    // track of 0 are cut to what the TOC holds.
    std::vector<test::TocEntry> many;
    for (int n = 0; n <= 99; ++n)
        many.push_back({0x10, n * 100});
    EXPECT_TRUE(load(test::makeToc(0, 255, many)));
    EXPECT_EQ(tracks.RowCount(), 100);
    EXPECT_EQ(tracks.cell(1, 99), "AudioTrack 99");
    tracks.CheckOrNotAllTracks(99, QLatin1Char('1'));
    EXPECT_EQ(tracks.NextTrack(98), 99);

    // A lead-out before a start and a zero-length track.
    EXPECT_TRUE(load(test::makeToc(1, 3, {{0x10, 5000}, {0x10, 5000}, {0x10, 9000}, {0x10, 1000}})));
    EXPECT_EQ(tracks.cell(3, 1) + tracks.cell(4, 1), "   00:00       0.00 MB");
    EXPECT_TRUE(tracks.cell(4, 3).startsWith("    -"));

    // Addresses at the ends of the 32-bit range do not overflow.
    EXPECT_TRUE(load(test::makeToc(1, 2, {{0x10, 0x7FFFFFFF}, {0x10, -0x7FFFFFFF - 1}, {0x14, 0x7FFFFFFF}})));
    tracks.ShowInformationStatusBar();

    // A first track past 1 keeps row n for track n.
    EXPECT_TRUE(load(test::makeToc(3, 4, {{0x10, 0}, {0x10, 0}, {0x10, 0}, {0x10, 750}, {0x10, 1500}})));
    EXPECT_EQ(tracks.RowCount(), 5);
    EXPECT_EQ(tracks.cell(1, 3), "AudioTrack 03");
}

}
