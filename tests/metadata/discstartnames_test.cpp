// SPDX-License-Identifier: GPL-2.0-or-later
#include "metadata/discstartnames.h"

#include "cd/cddrives.h"
#include "cd/drivelist.h"
#include "cd/tracklist.h"
#include "metadata/cdplayernames.h"
#include "metadata/discid.h"
#include "metadata/discnames.h"
#include "platform/hiddenlog.h"
#include "tags/genrelist.h"
#include "tags/tagfields.h"

#include "../cd/fakecdlibrary.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace trackmill;
using namespace trackmill::test;

TEST(CddbDiscId, OfTheTableOfContents)
{
    struct Case
    {
        const char* name;
        QList<qint64> starts;
        qint64 leadOut;
        std::optional<QString> id;
    };
    const Case cases[] = {
        // 2, 5 and 9 s with the lead-in: digits 16; 14 - 2 = 12 s; 3 tracks.
        {"three tracks", {0, 225, 525}, 900, QString("10000c03")},
        // 2 s and 64 s + 2 s: digits 2 + 6 + 6 = 14 (0x0e); 99 - 2 = 97 s.
        {"digits of two-digit seconds", {0, 4800}, 7275, QString("0e006102")},
        // A data track counts as any other.
        {"one track", {0}, 75 * 60, QString("02003c01")},
        {"no tracks", {}, 100, std::nullopt},
        {"backwards", {0, 300, 200}, 900, std::nullopt},
        {"repeated start", {0, 300, 300}, 900, std::nullopt},
        {"lead-out before the last track", {0, 300}, 300, std::nullopt},
        {"negative", {-1, 300}, 900, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(cddbDiscId(c.starts, c.leadOut), c.id);
    }
    QList<qint64> hundred;
    for (int i = 0; i < 100; ++i)
        hundred << i * 100;
    EXPECT_EQ(cddbDiscId(hundred, 100 * 100), std::nullopt);
    hundred.removeLast();
    EXPECT_TRUE(cddbDiscId(hundred, 100 * 100).has_value());
}

namespace {

class DiscStartNamesTest : public ::testing::Test
{
protected:
    DiscStartNamesTest()
    {
        library.drives = {{0, 0, 0, "IMAGE disc"}};
        library.toc = audioToc({300, 450, 600});
        drives.GetListCDROM();
        drives.openSelectedDrive();
        tracks.GetCDTOC();
    }

    QString store(DiscEntry entry)
    {
        const QString id = *cdPlayerDiscIdOfDrive(drives);
        EXPECT_TRUE(CdPlayerDatabase(database).store(id, entry));
        return id;
    }

    QTemporaryDir dir;
    QString database = dir.filePath("CDPLAYER.INI");
    FakeCdLibrary library;
    HiddenLog log;
    DriveList driveList;
    CdDrives drives{library, log, driveList, CdDrives::Options{{}, false}};
    TrackList tracks{drives, log};
    GenreList genres;
    DiscNames names;
    TagFields tags{genres};
};

}

TEST_F(DiscStartNamesTest, AKnownDiscNamesTheGridAndStartsTheTags)
{
    store({"The Band", "The Album", "19999", 17, {"One", "Two", "Three"}});
    TagEditorFields typed = tags.fields();
    typed.title = typed.title2 = "left from before";
    tags.setFields(typed);

    for (bool useDatabase : {true, false}) {
        SCOPED_TRACE(useDatabase);
        for (int row = 1; row < tracks.RowCount(); ++row)
            tracks.setCell(1, row, "grid");
        const auto start = readDiscStartNames(drives, tracks, database, useDatabase);
        ASSERT_TRUE(start);
        applyDiscStartNames(*start, names, tracks, tags);
        EXPECT_EQ(names.artist(), "The Band");
        EXPECT_EQ(names.album(), "The Album");
        // Only with USECDPLAYERINI do the grid's names come from the database.
        EXPECT_EQ(tracks.trackName(2), useDatabase ? "Two" : "grid");
        const TagEditorFields& f = tags.fields();
        EXPECT_EQ(f.title, "");
        EXPECT_EQ(f.title2, "");
        EXPECT_EQ(f.artist, "The Band");
        EXPECT_EQ(f.album2, "The Album");
        EXPECT_EQ(f.year, "1999");  // version 1.1 holds four characters
        EXPECT_EQ(f.year2, "19999");
        EXPECT_EQ(tags.genrePosition(), 17);
    }
}

TEST_F(DiscStartNamesTest, AnUnknownDiscKeepsTheNamesAndStartsOnPop)
{
    names.setArtist("Typed");
    const auto start = readDiscStartNames(drives, tracks, database, true);
    ASSERT_TRUE(start);
    EXPECT_FALSE(start->known);
    applyDiscStartNames(*start, names, tracks, tags);
    EXPECT_EQ(names.artist(), "Typed");
    EXPECT_EQ(tags.fields().artist, "Typed");
    EXPECT_EQ(tags.fields().year2, "");
    EXPECT_EQ(tags.genrePosition(), GenreList::PopPosition);
}

TEST_F(DiscStartNamesTest, StartGenreIsPopUnlessAStoredPositionIsInTheList)
{
    struct Case
    {
        int stored;
        int position;
    };
    for (const Case& c : {Case{0, GenreList::PopPosition}, Case{1, 1}, Case{GenreList::Count - 1, GenreList::Count - 1},
                          Case{GenreList::Count, GenreList::PopPosition}, Case{-3, GenreList::PopPosition}}) {
        SCOPED_TRACE(c.stored);
        store({"A", "B", "", c.stored, {"1", "2", "3"}});
        EXPECT_EQ(startGenrePosition(drives, database), c.position);
    }
    // Without a handle there is no disc id and nothing is read.
    drives.FGetCloseHandle();
    EXPECT_EQ(cdPlayerDiscIdOfDrive(drives), std::nullopt);
    EXPECT_EQ(startGenrePosition(drives, database), GenreList::PopPosition);
    EXPECT_EQ(readDiscStartNames(drives, tracks, database, true), std::nullopt);
}

// A disc the database does not know names itself from its CD-TEXT: the
// disc's names, the grid (a guest's track with its performer in front) and
// the tag editor; a disc the database knows keeps the database's names.
TEST_F(DiscStartNamesTest, CdTextNamesADiscTheDatabaseDoesNotKnow)
{
    library.cdText = "TITLE0=Album\nPERFORMER0=Band\nTITLE1=One\nTITLE2=Two\nPERFORMER2=Guest\nPERFORMER3=Band\n"
                     "FOO1=ignored\nTITLE100=ignored\n";
    const auto start = readDiscStartNames(drives, tracks, database, true);
    ASSERT_TRUE(start);
    ASSERT_TRUE(start->cdText);
    applyDiscStartNames(*start, names, tracks, tags);
    EXPECT_EQ(names.artist(), "Band");
    EXPECT_EQ(names.album(), "Album");
    EXPECT_EQ(names.trackNames(), (QStringList{"One", "Guest / Two", "AudioTrack 03"}));
    EXPECT_EQ(tracks.trackName(2), "Guest / Two");
    EXPECT_EQ(tracks.trackName(3), "AudioTrack 03") << "no title: the grid's own name";
    EXPECT_EQ(tags.fields().artist2, "Band");
    EXPECT_EQ(tags.fields().album, "Album");

    // The same through the database reader the windows use.
    names.clear();
    CdPlayerNames cdPlayer({drives, tracks, log, names, database});
    cdPlayer.GetAlbumFromFile({});
    EXPECT_EQ(names.album(), "Album");
    EXPECT_EQ(names.trackNames().value(1), "Guest / Two");
    names.clear();
    cdPlayer.GetFromCDPlayerINI({});
    EXPECT_EQ(names.artist(), "Band");

    store({"Stored", "Stored Album", "", 0, {"a", "b", "c"}});
    const auto known = readDiscStartNames(drives, tracks, database, true);
    ASSERT_TRUE(known);
    EXPECT_FALSE(known->cdText);
    cdPlayer.GetAlbumFromFile({});
    EXPECT_EQ(names.album(), "Stored Album");
    EXPECT_EQ(names.trackNames(), (QStringList{"a", "b", "c"}));

    // No names in it, or no CD-TEXT at all: as before.
    for (const char* text : {"SONGWRITER0=Only a writer\n", ""}) {
        library.cdText = text;
        EXPECT_FALSE(readDiscStartNames(drives, tracks, dir.filePath("other.ini"), true)->cdText);
    }
}
