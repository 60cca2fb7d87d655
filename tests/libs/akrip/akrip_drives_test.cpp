// SPDX-License-Identifier: GPL-2.0-or-later
// The drive list and drive handles of the CD ripping library.
#include "akriptestfixture.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace trackmill;
using namespace trackmill::test;

// Offsets the program reads (sizes are checked in the header itself).
static_assert(offsetof(CDREC, id) == 4);
static_assert(offsetof(CDLIST, cd) == 2);
static_assert(offsetof(TOCTRACK, addr) == 4);
static_assert(offsetof(TOC, tracks) == 4);
static_assert(offsetof(TRACKBUF, status) == 16);
static_assert(offsetof(TRACKBUF, startOffset) == 20);

namespace {

const char* kCue = "FILE \"x.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";

class DriveListTest : public AkripTest {};
class HandleTest : public AkripTest {};

}

TEST_F(DriveListTest, ListsCueImagesInNameOrderWithSingleDigitAddresses)
{
    for (const char* name : {"b.cue", "A.CUE", ".cue", ".hidden.cue"}) // hidden files are no discs
        writeFile(name, kCue);
    writeFile("c.Cue", "not a cue sheet at all"); // listed: a drive with an unreadable disc
    writeFile("notes.txt", "x");
    std::filesystem::create_directory(path("folder.cue"));
    ASSERT_EQ(::mkfifo(path("pipe.cue").c_str(), 0600), 0); // must not block the scan

    const CDLIST list = driveList();
    ASSERT_EQ(list.num, 3);
    const char* ids[] = {"IMAGE A", "IMAGE b", "IMAGE c"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_STREQ(list.cd[i].id, ids[i]);
        EXPECT_EQ(list.cd[i].ha, i);
        EXPECT_EQ(list.cd[i].tgt + list.cd[i].lun, 0);
    }

    AkripTestSetDiscsDir(path("no such folder").c_str());
    EXPECT_EQ(driveList().num, 0);
    EXPECT_EQ(GetCDList(nullptr), static_cast<DWORD>(SS_INVALID_SRB));
}

TEST_F(DriveListTest, ListsAtMostEightAndAtMostTheCapacity)
{
    for (char c = 'a'; c < 'a' + 11; ++c)
        writeFile(std::string(1, c) + ".cue", kCue);

    const CDLIST all = driveList(MAXCDLIST);
    ASSERT_EQ(all.num, MAXCDLIST);
    EXPECT_STREQ(all.cd[7].id, "IMAGE h");
    EXPECT_EQ(all.cd[7].ha, 7);

    CDLIST three {};
    std::memset(&three, 0x5A, sizeof three);
    three.max = 3;
    ASSERT_EQ(GetCDList(&three), static_cast<DWORD>(SS_COMP));
    EXPECT_EQ(three.num, 3);
    EXPECT_EQ(three.cd[3].ha, 0x5A) << "records beyond the capacity are not touched";
    EXPECT_EQ(driveList(0).num, 0);
    EXPECT_EQ(driveList(200).num, MAXCDLIST) << "more than the record holds";
}

TEST_F(DriveListTest, LongImageNameIsCutToFitOnACharacterBoundary)
{
    std::string name;
    for (int i = 0; i < 40; ++i)
        name += "\xC3\xA9"; // é, two bytes
    writeFile(name + ".cue", kCue);

    const CDLIST list = driveList();
    ASSERT_EQ(list.num, 1);
    const std::string id(list.cd[0].id);
    EXPECT_LE(id.size(), static_cast<size_t>(MAXIDLEN));
    EXPECT_GE(id.size(), static_cast<size_t>(MAXIDLEN - 1));
    EXPECT_EQ(id, "IMAGE " + name.substr(0, id.size() - 6));
    EXPECT_EQ(id.size() % 2, 0u) << "no half character at the end";
}

TEST_F(DriveListTest, DefaultFolderIsDiscsBesideTheProgram)
{
    const auto discs = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "Discs";
    const bool existed = std::filesystem::exists(discs);
    const std::string name = "akrip-default-" + std::to_string(::getpid());
    std::filesystem::create_directories(discs);
    std::ofstream(discs / (name + ".cue")) << kCue;
    AkripTestSetDiscsDir(nullptr);
    const CDLIST list = driveList();
    std::filesystem::remove(discs / (name + ".cue"));
    if (!existed)
        std::filesystem::remove(discs);
    EXPECT_TRUE(std::any_of(list.cd, list.cd + list.num, [&](const CDREC& r) { return r.id == "IMAGE " + name; }));
}

TEST_F(HandleTest, MalformedRequestsAreRefusedAndClosedHandlesAreDead)
{
    writeDisc("disc", audioSpec({2352 * 10}));
    // size, version, host adapter, target, LUN
    const BYTE bad[][5] = {{11, 1, 0, 0, 0}, {12, 1, 1, 0, 0}, {12, 1, 255, 0, 0}, {12, 1, 0, 1, 0}, {12, 1, 0, 0, 1}};
    for (const auto& b : bad) {
        GETCDHAND req {};
        req.size = b[0];
        req.ver = b[1];
        req.ha = b[2];
        req.tgt = b[3];
        req.lun = b[4];
        EXPECT_EQ(GetCDHandle(&req), 0u) << int(b[0]) << ' ' << int(b[2]) << int(b[3]) << int(b[4]);
    }
    EXPECT_EQ(GetCDHandle(nullptr), 0u);

    const HCDROM a = open(0);
    const HCDROM b = open(0);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_NE(a, b);
    EXPECT_EQ(CloseCDHandle(a), 1);
    EXPECT_EQ(CloseCDHandle(a), 0) << "closed twice";
    EXPECT_EQ(CloseCDHandle(0), 0);
    EXPECT_EQ(CloseCDHandle(0xDEAD), 0);

    TOC toc {};
    EXPECT_EQ(ModifyCDParms(a, CDP_MSF, 0), 0u);
    EXPECT_NE(ReadTOC(a, &toc), static_cast<DWORD>(SS_COMP));
    EXPECT_NE(ReadTOC(0, &toc), static_cast<DWORD>(SS_COMP));
    EXPECT_NE(ReadTOC(b, nullptr), static_cast<DWORD>(SS_COMP));
    ReadBuffer buf(1);
    buf.get()->startFrame = 0;
    buf.get()->numFrames = 1;
    EXPECT_NE(ReadCDAudioLBA(a, buf.get()), static_cast<DWORD>(SS_COMP));
    EXPECT_EQ(buf.get()->len, 0u);

    // The other handle on the same drive still works.
    EXPECT_EQ(readToc(b, false, toc), static_cast<DWORD>(SS_COMP));
    EXPECT_EQ(ModifyCDParms(b, 35, 0), 0u) << "unknown parameter";
    EXPECT_EQ(ModifyCDParms(b, CDP_MSF, 2), 0u) << "unknown mode";
}

TEST_F(HandleTest, ImageRemovedAndPutBackActsAsEjectAndInsert)
{
    const discimage::DiscLayout layout = writeDisc("disc", audioSpec({2352 * 30}));
    const HCDROM h = open(0);
    TOC toc {};
    ASSERT_EQ(readToc(h, false, toc), static_cast<DWORD>(SS_COMP));

    std::filesystem::rename(layout.binPath, path("elsewhere"));
    EXPECT_EQ(readToc(h, false, toc), static_cast<DWORD>(SS_ERR));
    EXPECT_EQ(toc.lastTrack, 0) << "no stale TOC";

    std::filesystem::rename(path("elsewhere"), layout.binPath);
    EXPECT_EQ(readToc(h, false, toc), static_cast<DWORD>(SS_COMP));
    EXPECT_EQ(rip(h, 0, 30).pcm.size(), 30u * 2352);
}

// Also: a rip needs no earlier TOC read on its handle.
TEST_F(HandleTest, ReadsGoOnWhileOtherHandlesComeAndGo)
{
    discimage::DiscSpec discSpec = audioSpec({2352 * 260 + 9});
    writeDisc("disc", discSpec);
    const HCDROM h = open(0);
    ASSERT_NE(h, 0u);
    std::vector<uint8_t> expected = discimage::trackPcm(discSpec, 1);
    expected.resize(261 * 2352, 0);

    bool exact = true;
    std::thread reader([&] {
        for (int round = 0; round < 20; ++round)
            exact = exact && rip(h, 0, 261).pcm == expected;
    });
    for (int round = 0; round < 50; ++round) {
        GETCDHAND req {};
        req.size = sizeof req;
        const HCDROM other = GetCDHandle(&req);
        TOC toc {};
        EXPECT_EQ(ReadTOC(other, &toc), static_cast<DWORD>(SS_COMP));
        driveList();
        EXPECT_EQ(CloseCDHandle(other), 1);
    }
    reader.join();
    EXPECT_TRUE(exact);
}
