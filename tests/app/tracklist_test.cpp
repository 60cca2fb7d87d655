// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/hiddenlog.h"
#include "app/tracklist.h"
#include "cd/cddrives.h"
#include "cd/drivelist.h"
#include "fakecdlibrary.h"

#include <gtest/gtest.h>
#include <cmath>

using namespace trackmill;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE
using trackmill::test::FakeCdLibrary;
using trackmill::test::audioToc;
using trackmill::test::makeToc;

namespace {

// Sectors giving a size of `mb` megabytes (2352 bytes each).
qint64 framesForMegabytes(double mb)
{
    return std::llround(mb * 1024 * 1024 / 2352);
}

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

    FakeCdLibrary library;
    HiddenLog log;
    DriveList driveList;
    CdDrives drives{library, log, driveList, CdDrives::Options{}};
    TrackList tracks{drives, log};
};

TEST_F(TrackListTest, EnhancedCdListsTwelveAudioTracksAndTheDataTrack)
{
    std::vector<trackmill::test::TocEntry> entries;
    for (int n = 0; n < 12; ++n)
        entries.push_back({0x10, n * 20000});
    entries.push_back({0x14, 12 * 20000 + 11400});  // data track after the session gap
    entries.push_back({0x14, 12 * 20000 + 11400 + 600});
    ASSERT_TRUE(load(makeToc(1, 13, entries)));

    EXPECT_TRUE(tracks.CD());
    EXPECT_EQ(tracks.RowCount(), 14);
    EXPECT_EQ(tracks.cell(1, 12), "AudioTrack 12");
    EXPECT_EQ(tracks.cell(2, 12), "    12");
    EXPECT_EQ(tracks.cell(1, 13), "DataTrack");
    EXPECT_EQ(tracks.cell(5, 1), "");
    // Track 12 runs to the data track less 11250 sectors: 20150 sectors, 4:28.
    EXPECT_EQ(tracks.cell(3, 12), "   04:28");
    EXPECT_EQ(tracks.discAudioLength(), 11 * 20000 + 20150);
    EXPECT_TRUE(tracks.GetCDAudioInfo());
    EXPECT_TRUE(tracks.ShowInformationStatusBar().startsWith("12 Tracks, Playtime "));
}

TEST_F(TrackListTest, SizeTextsLineUpInThreeWidths)
{
    struct Case
    {
        double mb;
        QChar point;
        const char* expected;
    };
    const Case cases[] = {
        {5.23, '.', "       5.23 MB"},
        {45.23, '.', "     45.23 MB"},
        {645.23, '.', "   645.23 MB"},
        {5.23, ',', "       5,23 MB"},
        {0, '.', "       0.00 MB"},
        {1234.5, '.', "   1234.50 MB"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TrackList::sizeText(framesForMegabytes(c.mb), c.point), QString::fromLatin1(c.expected)) << c.mb;
}

TEST_F(TrackListTest, PlayTimesShowMinutesPastTheHourAndSeconds)
{
    const std::pair<qint64, const char*> cases[] = {
        {0, "00:00"},
        {74, "00:00"},
        {75, "00:01"},
        {75 * 65, "01:05"},
        {75 * (59 * 60 + 59) + 74, "59:59"},
        {75 * (3600 + 61), "01:01"},
        {-75 * 61, "01:01"},
    };
    for (const auto& [frames, expected] : cases)
        EXPECT_EQ(TrackList::timeText(frames), QString::fromLatin1(expected)) << frames;
}

TEST_F(TrackListTest, SummaryShowsMinutesBeyondAnHourInTheUsersLanguage)
{
    load(audioToc({75 * 37 * 60, 75 * (37 * 60 + 5)}));
    EXPECT_EQ(tracks.ShowInformationStatusBar(), "2 Tracks, Playtime 74:05");
    TrackListTexts german;
    german.tracks = "Titel";
    tracks.setTexts(german);
    EXPECT_TRUE(tracks.ShowInformationStatusBar().startsWith("2 Titel, "));
}

TEST_F(TrackListTest, NoDiscShowsTheMessageRowAndTheZeroSummary)
{
    library.tocReadable = false;
    drives.GetHandle_FirstCDROM();
    EXPECT_FALSE(tracks.GetCDTOC());
    EXPECT_EQ(log.lines().last(), "Insert CD Audio to CD-ROM drive");
    EXPECT_FALSE(tracks.CD());
    EXPECT_EQ(tracks.RowCount(), 2);
    EXPECT_EQ(tracks.cell(1, 1), "Insert CD Audio to CD-ROM drive");
    EXPECT_EQ(tracks.cell(2, 1) + tracks.cell(3, 1) + tracks.cell(4, 1) + tracks.cell(5, 1), "");
    EXPECT_EQ(tracks.ShowInformationStatusBar(), "0 Tracks,  Playtime: 00:00");
    // Parameter 36 was set to block addresses before the read.
    ASSERT_FALSE(library.parms.empty());
    EXPECT_EQ(library.parms.back(), std::make_pair(int(CDP_MSF), DWORD(0)));
}

TEST_F(TrackListTest, WithoutHandleTheStaleDiscIsNotKept)
{
    load(audioToc({7500, 7500}));
    ASSERT_TRUE(tracks.CD());
    ASSERT_TRUE(drives.FGetCloseHandle());
    EXPECT_FALSE(tracks.GetCDTOC());
    EXPECT_EQ(log.lines().last(), "Need valid CD handle first!");
    EXPECT_FALSE(tracks.CD());
    EXPECT_EQ(tracks.RowCount(), 2);
    EXPECT_EQ(tracks.cell(1, 1), tracks.texts().message);
}

TEST_F(TrackListTest, DataDiscIsListedButNotAnAudioDisc)
{
    load(makeToc(1, 2, {{0x14, 0}, {0x10, 30000}, {0x10, 45000}}));
    EXPECT_FALSE(tracks.CD());
    EXPECT_EQ(tracks.RowCount(), 3);
    EXPECT_EQ(tracks.cell(1, 1), "DataTrack");
    EXPECT_EQ(tracks.cell(1, 2), "AudioTrack 02");
    // Only the audio track counts: 15000 sectors, 3:20.
    EXPECT_EQ(tracks.discAudioLength(), 15000);
    EXPECT_EQ(tracks.ShowInformationStatusBar(), "0 Tracks,  Playtime: 03:20");

    // A track of unknown kind has no name and no audio length.
    load(makeToc(1, 2, {{0x10, 0}, {0x00, 7500}, {0x10, 9000}}));
    EXPECT_EQ(tracks.cell(1, 2), "");
    EXPECT_EQ(tracks.cell(2, 2), "    02");
    EXPECT_EQ(tracks.discAudioLength(), 7500);
}

TEST_F(TrackListTest, SelectionFiguresFollowTheSlots)
{
    load(audioToc({100, 100, 100, 100, 100, 100}));
    EXPECT_FALSE(tracks.Selected());
    EXPECT_EQ(tracks.MySelectedTracks(), "");
    EXPECT_EQ(tracks.NextTrack(0), 0);

    tracks.setSelection(2, true);
    tracks.setSelection(5, true);
    EXPECT_TRUE(tracks.Selected());
    EXPECT_EQ(tracks.MySelectedTracks(), "2, 5");
    EXPECT_EQ(tracks.NextTrack(0), 2);
    EXPECT_EQ(tracks.NextTrack(2), 5);
    EXPECT_EQ(tracks.NextTrack(5), 0);
    EXPECT_EQ(tracks.NextTrack(256 + 3), 5);  // numbers are bytes
    const TrackList::SelectionFigures f = tracks.SelectedTracks();
    EXPECT_EQ(std::make_tuple(f.firstTrack, f.currentTrack, f.selectedCount), std::make_tuple(2, 2, 2));
    EXPECT_EQ(tracks.cell(0, 2), "1");
    EXPECT_EQ(tracks.cell(0, 3), "0");

    EXPECT_FALSE(tracks.toggleSelection(2));
    EXPECT_EQ(tracks.cell(0, 2), "0");
    tracks.setCell(0, 4, "1");
    EXPECT_TRUE(tracks.isSelected(4));
}

TEST_F(TrackListTest, CheckOrNotAllTracksClearsEverySlotFirst)
{
    load(audioToc({100, 100, 100, 100}));
    tracks.CheckOrNotAllTracks(tracks.RowCount() - 1, QLatin1Char('1'));
    EXPECT_EQ(tracks.MySelectedTracks(), "1, 2, 3, 4");
    tracks.CheckOrNotAllTracks(2, QLatin1Char('1'));
    EXPECT_EQ(tracks.MySelectedTracks(), "1, 2");
    tracks.CheckOrNotAllTracks(1000, QLatin1Char('1'));  // more than there are rows
    EXPECT_EQ(tracks.MySelectedTracks(), "1, 2, 3, 4");
    tracks.CheckOrNotAllTracks(4, QLatin1Char('0'));
    EXPECT_FALSE(tracks.Selected());

    // A rebuild with fewer tracks leaves no stale selection beyond the rows.
    tracks.CheckOrNotAllTracks(4, QLatin1Char('1'));
    load(audioToc({100, 100}));
    EXPECT_EQ(tracks.MySelectedTracks(), "");
}

TEST_F(TrackListTest, HostileTocsStayInBounds)
{
    // Last track before the first: no track, shown as no disc.
    EXPECT_FALSE(load(makeToc(5, 3, {{0x10, 0}, {0x10, 100}})));
    EXPECT_FALSE(tracks.CD());
    EXPECT_EQ(tracks.RowCount(), 2);

    // 99 tracks: the lead-out is the 100th entry.
    std::vector<trackmill::test::TocEntry> many;
    for (int n = 0; n <= 99; ++n)
        many.push_back({0x10, n * 100});
    EXPECT_TRUE(load(makeToc(1, 99, many)));
    EXPECT_EQ(tracks.RowCount(), 100);
    EXPECT_EQ(tracks.cell(1, 99), "AudioTrack 99");
    tracks.CheckOrNotAllTracks(99, QLatin1Char('1'));
    EXPECT_EQ(tracks.NextTrack(98), 99);

    // Track numbers past 99 and a first track of 0 are cut to what the TOC holds.
    EXPECT_TRUE(load(makeToc(0, 255, many)));
    EXPECT_EQ(tracks.RowCount(), 100);

    // A lead-out before a start and a zero-length track.
    EXPECT_TRUE(load(makeToc(1, 3, {{0x10, 5000}, {0x10, 5000}, {0x10, 9000}, {0x10, 1000}})));
    EXPECT_EQ(tracks.cell(3, 1), "   00:00");
    EXPECT_EQ(tracks.cell(4, 1), "       0.00 MB");
    EXPECT_EQ(tracks.cell(3, 3), "   01:46");
    EXPECT_TRUE(tracks.cell(4, 3).startsWith("    -"));

    // Addresses at the ends of the 32-bit range do not overflow.
    EXPECT_TRUE(load(makeToc(1, 2, {{0x10, 0x7FFFFFFF}, {0x10, -0x7FFFFFFF - 1}, {0x14, 0x7FFFFFFF}})));
    EXPECT_EQ(tracks.RowCount(), 3);
    tracks.ShowInformationStatusBar();

    // A first track past 1 keeps row n for track n.
    EXPECT_TRUE(load(makeToc(3, 4, {{0x10, 0}, {0x10, 0}, {0x10, 0}, {0x10, 750}, {0x10, 1500}})));
    EXPECT_EQ(tracks.RowCount(), 5);
    EXPECT_EQ(tracks.cell(1, 3), "AudioTrack 03");
    EXPECT_EQ(tracks.cell(1, 1), "");
}

}
