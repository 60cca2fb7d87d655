// SPDX-License-Identifier: GPL-2.0-or-later
// CD-TEXT out of the CD ripping library: the CUE reader's TITLE, PERFORMER
// and SONGWRITER lines in either encoding, the ReadCDText entry point over
// generated images, and the libcdio path physical discs take, checked
// against the same image through libcdio's own CUE driver.
#include "akrip32.h"
#include "akrip32_testing.h"
#include "cdtext.h"
#include "cuesheet.h"
#include "discimage.h"

#include <cdio/cdio.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

using namespace trackmill;
namespace fs = std::filesystem;

namespace {

std::string sheetLines(const std::string& cue)
{
    std::string error;
    const std::optional<akrip::CueSheet> sheet = akrip::parseCueSheet(cue, &error);
    return sheet ? sheet->cdText().lines(CDTEXT_MAXLEN) : "rejected: " + error;
}

const std::string kTracks = "FILE \"x.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n"
                            "  TRACK 02 AUDIO\n    INDEX 01 00:10:00\n";

TEST(CueCdText, ItemsOfDiscAndTracks)
{
    struct Case {
        const char* name;
        std::string cue;
        std::string lines;
    };
    const std::string e = "\xC3\xA9"; // é in UTF-8
    const std::vector<Case> cases = {
        {"disc before the first track, tracks after theirs",
         "PERFORMER \"The Band\"\nTITLE \"The Album\"\nSONGWRITER \"Writer\"\nFILE \"x.bin\" BINARY\n"
         "  TRACK 01 AUDIO\n    TITLE \"One\"\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    PERFORMER \"Guest\"\n"
         "    TITLE \"Two\"\n    SONGWRITER \"Other\"\n    INDEX 01 00:10:00\n",
         "TITLE0=The Album\nPERFORMER0=The Band\nSONGWRITER0=Writer\nTITLE1=One\nTITLE2=Two\nPERFORMER2=Guest\n"
         "SONGWRITER2=Other\n"},
        {"no text at all", kTracks, ""},
        {"between FILE and the first track is the disc", "FILE \"x.bin\" BINARY\nTITLE \"Album\"\n"
         "  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n", "TITLE0=Album\n"},
        {"valid UTF-8 stays", "TITLE \"Caf" + e + "\"\n" + kTracks, "TITLE0=Caf" + e + "\n"},
        {"a byte-order mark in front", "\xEF\xBB\xBFTITLE \"Caf" + e + "\"\n" + kTracks, "TITLE0=Caf" + e + "\n"},
        {"not UTF-8: windows-1252", "TITLE \"Caf\xE9 \x96 Bar\"\n" + kTracks,
         "TITLE0=Caf" + e + " \xE2\x80\x93 Bar\n"},
        {"one bad byte makes the whole sheet windows-1252",
         "TITLE \"Caf" + e + "\"\nPERFORMER \"M\xF6tley\"\n" + kTracks,
         "TITLE0=Caf\xC3\x83\xC2\xA9\nPERFORMER0=M\xC3\xB6tley\n"},
        {"unquoted words are taken together", "TITLE Demo   Disc\n" + kTracks, "TITLE0=Demo Disc\n"},
        {"blanks trimmed, tabs become blanks", "TITLE \"  a\tb  \"\n" + kTracks, "TITLE0=a b\n"},
        {"keywords in any case, the last line wins", "title \"first\"\nTITLE \"second\"\n" + kTracks,
         "TITLE0=second\n"},
        {"an empty value is no item", "TITLE \"\"\n" + kTracks, ""},
        {"a long value is cut on a character boundary", "TITLE \"" + std::string(254, 'a') + e + "\"\n" + kTracks,
         "TITLE0=" + std::string(254, 'a') + "\n"},
        {"an unterminated quote still rejects the sheet", "TITLE \"open\n" + kTracks,
         "rejected: line 1: unterminated quote"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sheetLines(c.cue), c.lines) << c.name;
}

TEST(CueCdText, LinesAreWholeAndBounded)
{
    akrip::CdText text;
    text.items[0].title = "Album";
    text.items[1].title = "One";
    text.items[99].songwriter = "Last";
    EXPECT_EQ(text.lines(1000), "TITLE0=Album\nTITLE1=One\nSONGWRITER99=Last\n");
    EXPECT_EQ(text.lines(24), "TITLE0=Album\nTITLE1=One\n") << "a line that does not fit is left out whole";
    EXPECT_EQ(text.lines(5), "");

    // The fullest disc there can be fits the documented buffer.
    akrip::CdText full;
    for (akrip::CdTextItems& items : full.items)
        items = {std::string(255, 't'), std::string(255, 'p'), std::string(255, 's')};
    const std::string all = full.lines(CDTEXT_MAXLEN - 1);
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 300);
}

class ReadCdTextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        AkripTestReset();
        AkripTestUsePhysicalDrives(0);
        fs::remove_all(dir);
        fs::create_directories(dir);
        AkripTestSetDiscsDir(dir.c_str());
    }
    void TearDown() override
    {
        for (HCDROM h : opened)
            CloseCDHandle(h);
        AkripTestReset();
        fs::remove_all(dir);
    }
    HCDROM open(BYTE index)
    {
        GETCDHAND request {};
        request.size = sizeof request;
        request.ver = 1;
        request.ha = index;
        const HCDROM h = GetCDHandle(&request);
        if (h)
            opened.push_back(h);
        return h;
    }
    std::string read(HCDROM h, int maxLen = CDTEXT_MAXLEN, DWORD* status = nullptr)
    {
        std::vector<char> buffer(size_t(maxLen) + 16, 'x');
        const DWORD s = ReadCDText(h, buffer.data(), maxLen);
        if (status)
            *status = s;
        return s == SS_COMP ? std::string(buffer.data()) : "status " + std::to_string(s);
    }

    const std::string dir = (fs::temp_directory_path() / ("akrip-cdtext-" + std::to_string(getpid()))).string();
    std::vector<HCDROM> opened;
};

TEST_F(ReadCdTextTest, NamesOfAnImage)
{
    discimage::DiscSpec discSpec;
    discSpec.trackBytes = {2352 * 80, 2352 * 90, 2352 * 75};
    discSpec.title = "Album";
    discSpec.performer = "Band";
    discSpec.trackTitles = {"One", "", "Three"};
    discSpec.trackPerformers = {"", "Guest"};
    discSpec.dataTrack = true;
    discimage::writeDisc(dir + "/a", discSpec);
    discimage::DiscSpec plain;
    plain.trackBytes = {2352 * 80};
    discimage::writeDisc(dir + "/b", plain);

    const HCDROM a = open(0);
    ASSERT_NE(a, 0u);
    EXPECT_EQ(read(a), "TITLE0=Album\nPERFORMER0=Band\nTITLE1=One\nPERFORMER2=Guest\nTITLE3=Three\n");
    EXPECT_EQ(read(a, 30), "TITLE0=Album\nPERFORMER0=Band\n") << "whole lines within the buffer";
    EXPECT_EQ(read(open(1)), "") << "no CD-TEXT is no error";

    // Read afresh: an edited sheet is seen on the same handle.
    discSpec.title = "Second Edition";
    discimage::writeDisc(dir + "/a", discSpec);
    EXPECT_EQ(read(a).substr(0, 22), "TITLE0=Second Edition\n");
    // A sheet that no longer reads is no disc.
    std::ofstream(dir + "/a.cue") << "TRACK 01 AUDIO\n";
    EXPECT_EQ(read(a), "status " + std::to_string(SS_ERR));

    EXPECT_EQ(read(0), "status " + std::to_string(SS_INVALID_HA));
    EXPECT_EQ(read(99), "status " + std::to_string(SS_INVALID_HA));
    EXPECT_EQ(ReadCDText(a, nullptr, 100), DWORD(SS_INVALID_SRB));
    char one = 'x';
    EXPECT_EQ(ReadCDText(a, &one, 0), DWORD(SS_INVALID_SRB));
}

// Physical discs go through libcdio's CD-TEXT reader. libcdio's CUE driver
// reads the same lines of an image (it opens the BIN named like the sheet,
// which the image writer gives), so both readers must agree; in ASCII, as
// that driver takes a sheet's bytes for ISO-8859-1.
TEST_F(ReadCdTextTest, LibcdioReaderAgreesWithOurs)
{
    discimage::DiscSpec discSpec;
    discSpec.trackBytes = {2352 * 80, 2352 * 90};
    discSpec.title = "The Album";
    discSpec.performer = "Band";
    discSpec.songwriter = "Writer";
    discSpec.trackTitles = {"One", "Two"};
    discSpec.trackPerformers = {"", "Guest"};
    const discimage::DiscLayout layout = discimage::writeDisc(dir + "/lib", discSpec);

    CdIo_t* cdio = cdio_open(layout.cuePath.c_str(), DRIVER_BINCUE);
    ASSERT_NE(cdio, nullptr);
    const akrip::CdText viaLibcdio = akrip::cdTextFromCdio(cdio, 1, 2);
    cdio_destroy(cdio);
    const std::string expected = "TITLE0=The Album\nPERFORMER0=Band\nSONGWRITER0=Writer\nTITLE1=One\n"
                                 "TITLE2=Two\nPERFORMER2=Guest\n";
    EXPECT_EQ(viaLibcdio.lines(CDTEXT_MAXLEN), expected);
    EXPECT_EQ(read(open(0)), expected);

    // A disc without CD-TEXT gives libcdio no object at all.
    discimage::DiscSpec plain;
    plain.trackBytes = {2352 * 80};
    const discimage::DiscLayout bare = discimage::writeDisc(dir + "/bare", plain);
    cdio = cdio_open(bare.cuePath.c_str(), DRIVER_BINCUE);
    ASSERT_NE(cdio, nullptr);
    EXPECT_TRUE(akrip::cdTextFromCdio(cdio, 1, 1).empty());
    cdio_destroy(cdio);
    EXPECT_TRUE(akrip::cdTextFromCdio(nullptr, 1, 1).empty());
}

}
