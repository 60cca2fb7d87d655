// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/hiddenlog.h"
#include "cd/cddrives.h"
#include "cd/drivelist.h"
#include "fakecdlibrary.h"

#include <gtest/gtest.h>

using namespace trackmill;

namespace {

class CdDrivesTest : public ::testing::Test
{
protected:
    test::FakeCdLibrary library;
    HiddenLog log;
    DriveList driveList;
    CdDrives drives{library, log, driveList, CdDrives::Options{}};
};

TEST_F(CdDrivesTest, DriveListsHoldIdentificationsAndThreeDigitAddresses)
{
    // No drive: empty lists, no handle, nothing asked of the library.
    driveList.append("old", "100");
    drives.GetListCDROM();
    EXPECT_EQ(driveList.count(), 0);
    EXPECT_EQ(driveList.selectedIndex(), -1);
    drives.openSelectedDrive();
    EXPECT_TRUE(library.handleRequests.empty());
    EXPECT_EQ(log.lines().last(), "CD-ROM drives not found!");

    library.drives = {{1, 0, 0, "HL-DT-ST DVDRAM GH24NSD1"}, {0, 2, 1, "IMAGE Demo Disc"}};
    drives.GetListCDROM();
    EXPECT_EQ(driveList.identifications(), QStringList({"HL-DT-ST DVDRAM GH24NSD1", "IMAGE Demo Disc"}));
    EXPECT_EQ(driveList.addresses(), QStringList({"100", "021"}));
    EXPECT_EQ(driveList.selectedIndex(), 0);
    library.reportedCount = 200;  // a count beyond the capacity is cut
    drives.GetListCDROM();
    EXPECT_EQ(driveList.count(), MAXCDLIST);
}

TEST_F(CdDrivesTest, OneHandleAtATimeAndNoTocReadWithoutOne)
{
    library.drives = {{1, 0, 0, "A"}};
    drives.GetHandle_FirstCDROM();
    EXPECT_EQ(drives.handle(), 7u);
    library.nextHandle = 9;
    drives.FGetHandle(1, 0, 0);
    EXPECT_EQ(drives.handle(), 7u);  // the old handle is kept
    EXPECT_EQ(library.handleRequests.size(), 1u);
    TOC toc;
    EXPECT_TRUE(drives.readToc(toc, 1));
    EXPECT_EQ(library.parms.back(), std::make_pair(int(CDP_MSF), DWORD(1))) << "addressing set first";

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
}

}
