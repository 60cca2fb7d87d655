// SPDX-License-Identifier: GPL-2.0-or-later
#include "akrip32_testing.h"
#include "app/hiddenlog.h"
#include "cd/akriplibrary.h"
#include "cd/cddrives.h"
#include "cd/drivelist.h"
#include "discimage.h"
#include "fakecdlibrary.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace trackmill;
using trackmill::test::FakeCdLibrary;

namespace {

class CdDrivesFakeTest : public ::testing::Test
{
protected:
    FakeCdLibrary library;
    HiddenLog log;
    DriveList driveList;
    CdDrives drives{library, log, driveList, CdDrives::Options{}};
};

TEST_F(CdDrivesFakeTest, DriveListsHoldIdentificationsAndThreeDigitAddresses)
{
    library.drives = {{1, 0, 0, "HL-DT-ST DVDRAM GH24NSD1"}, {0, 2, 1, "IMAGE Demo Disc"}};
    drives.GetListCDROM();
    EXPECT_EQ(driveList.identifications(), QStringList({"HL-DT-ST DVDRAM GH24NSD1", "IMAGE Demo Disc"}));
    EXPECT_EQ(driveList.addresses(), QStringList({"100", "021"}));
    EXPECT_EQ(driveList.selectedIndex(), 0);

    // Opening the second entry reads its digits back as ha, target, LUN.
    driveList.setSelectedIndex(1);
    drives.openSelectedDrive();
    ASSERT_EQ(library.handleRequests.size(), 1u);
    const GETCDHAND& r = library.handleRequests.back();
    EXPECT_EQ(r.size, 12);
    EXPECT_EQ(r.ver, 1);
    EXPECT_EQ(r.ha, 0);
    EXPECT_EQ(r.tgt, 2);
    EXPECT_EQ(r.lun, 1);
    EXPECT_EQ(r.readType, 0);
    EXPECT_EQ(int(r.jitterCorr), 0);

    library.reportedCount = 200; // a count beyond the capacity is cut
    drives.GetListCDROM();
    EXPECT_EQ(driveList.count(), MAXCDLIST);
}

TEST_F(CdDrivesFakeTest, NoDriveLeavesTheListsEmptyAndNoHandle)
{
    driveList.append("old", "100");
    drives.GetListCDROM();
    EXPECT_EQ(driveList.count(), 0);
    EXPECT_EQ(driveList.selectedIndex(), -1);
    drives.GetHandle_FirstCDROM();
    EXPECT_EQ(drives.handle(), 0u);
    EXPECT_EQ(log.lines(), QStringList({"CD-ROM drives not found!", "CD-ROM drives not found!"}));
    drives.openSelectedDrive();
    EXPECT_TRUE(library.handleRequests.empty());
}

TEST_F(CdDrivesFakeTest, HandleLifecycleLogsEachOutcome)
{
    library.drives = {{1, 0, 0, "A"}};
    drives.GetHandle_FirstCDROM();
    EXPECT_EQ(drives.handle(), 7u);
    library.nextHandle = 9;
    drives.FGetHandle(1, 0, 0);
    EXPECT_EQ(drives.handle(), 7u); // the old handle is kept
    EXPECT_EQ(library.handleRequests.size(), 1u);

    TOC toc;
    EXPECT_TRUE(drives.readToc(toc, 1));
    EXPECT_EQ(library.parms.back(), std::make_pair(int(CDP_MSF), DWORD(1))) << "addressing set first";
    library.tocReadable = false;
    EXPECT_FALSE(drives.readToc(toc, 0));
    EXPECT_EQ(library.parms.back(), std::make_pair(int(CDP_MSF), DWORD(0)));

    library.refuseClose = true;
    EXPECT_FALSE(drives.FGetCloseHandle());
    EXPECT_EQ(drives.handle(), 7u);
    library.refuseClose = false;
    EXPECT_TRUE(drives.FGetCloseHandle());
    EXPECT_EQ(drives.handle(), 0u);
    // Nothing open: the check fails, and the caller may go on to open one.
    EXPECT_TRUE(drives.FGetCloseHandle());
    EXPECT_FALSE(drives.checkHandle());

    library.nextHandle = 0;
    drives.FGetHandle(1, 0, 0);
    EXPECT_EQ(drives.handle(), 0u);
    const int tocReads = library.tocReads;
    EXPECT_FALSE(drives.readToc(toc, 0));
    EXPECT_EQ(library.tocReads, tocReads);

    EXPECT_EQ(log.lines(), QStringList({"Success", "I have already a CD Handle!", "Error", "Success",
                                        "Need valid CD handle first!", "Need valid CD handle first!", "Error",
                                        "Need valid CD handle first!"}));

    library.versionValue = 0x0A03;
    EXPECT_EQ(drives.GetVersionOfAkrip(), " AKRIP32.DLL, version 10.3 ");
    EXPECT_EQ(log.lines().last(), "AK-Rip Version10.3");
}

// The real library over generated disc images: both views of the drives
// pair by position.
TEST(CdDrivesImageTest, PathTablePairsWithTheLibraryList)
{
    QTemporaryDir dir;
    const QString discs = dir.path() + "/Discs";
    AkripTestUsePhysicalDrives(0);
    AkripTestSetDiscsDir(QFile::encodeName(discs).constData());
    const std::pair<const char*, size_t> images[] = {{"Second", 2}, {"First", 1}, {"third", 3}}; // name, tracks
    for (const auto& [name, tracks] : images) {
        discimage::DiscSpec disc;
        disc.trackBytes.assign(tracks, uint64_t {2} * discimage::kBytesPerSecond);
        discimage::writeDisc((discs + "/" + name).toStdString(), disc);
    }
    EXPECT_TRUE(QFile(discs + "/notes.txt").open(QIODevice::WriteOnly)); // only CUE sheets count
    QDir().mkpath(discs + "/folder.cue");

    AkripLibrary library;
    HiddenLog log;
    DriveList driveList;
    // Without the Discs folder the path side sees nothing.
    EXPECT_TRUE(CdDrives(library, log, driveList, CdDrives::Options{QString(), false}).DetectCD().isEmpty());

    CdDrives drives(library, log, driveList, CdDrives::Options{discs, false});
    drives.GetListCDROM();
    ASSERT_EQ(driveList.count(), 3);
    const QStringList paths = drives.DetectCD();
    // Name order by bytes: capitals first.
    ASSERT_EQ(paths, QStringList({discs + "/First.cue", discs + "/Second.cue", discs + "/third.cue"}));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(driveList.identifications().at(i).endsWith(QFileInfo(paths.at(i)).completeBaseName()));

    EXPECT_EQ(drives.GetFirstCDROM(), discs + "/First.cue");
    EXPECT_EQ(log.lines(), QStringList({discs + "/First.cue  - CD-ROM 1", discs + "/Second.cue  - CD-ROM 2",
                                        discs + "/third.cue  - CD-ROM 3"}));
    EXPECT_EQ(drives.GetLetterSelectedCDROM(2), discs + "/Second.cue");
    EXPECT_EQ(drives.GetLetterSelectedCDROM(4), "");

    // The second entry opens the image with two tracks.
    driveList.setSelectedIndex(1);
    drives.openSelectedDrive();
    ASSERT_NE(drives.handle(), 0u);
    TOC toc;
    ASSERT_TRUE(drives.readToc(toc, 0));
    EXPECT_EQ(toc.lastTrack, 2);
    EXPECT_TRUE(drives.OpenCloseCD(paths.at(1), true));
    EXPECT_TRUE(drives.FGetCloseHandle());
    AkripTestReset();
}

}
