// SPDX-License-Identifier: GPL-2.0-or-later
// The lookup both front ends share: where it goes by the settings, and a
// chosen candidate taken into the disc's names and the tag fields.
#include "cd/cddrives.h"
#include "cd/drivelist.h"
#include "cd/tracklist.h"
#include "metadata/disclookup.h"
#include "metadata/discnames.h"
#include "platform/hiddenlog.h"
#include "settings/settings.h"
#include "tags/genrelist.h"
#include "tags/tagfields.h"

#include "../cd/fakecdlibrary.h"

#include <gtest/gtest.h>

using namespace trackmill;
using namespace trackmill::test;

namespace {

TEST(LookupSettingsTest, ServersFromTheSettings)
{
    Settings s;
    struct Case
    {
        QString typed;
        QByteArray host;
        int port;
    };
    for (const Case& c : {Case{"gnudb.gnudb.org", "gnudb.gnudb.org", 80}, Case{" cddb.lan:8880 ", "cddb.lan", 8880},
                          Case{"", "gnudb.gnudb.org", 80}, Case{"127.0.0.1:1", "127.0.0.1", 1}}) {
        SCOPED_TRACE(c.typed.toStdString());
        s.cddbServer = c.typed;
        const auto l = LookupSettings::fromSettings(s, LookupSettings::Source::Cddb, FreedbServer{{}, 80, 5000});
        ASSERT_TRUE(l);
        EXPECT_EQ(l->cddbServer.host, c.host);
        EXPECT_EQ(l->cddbServer.port, c.port);
        EXPECT_EQ(l->cddbServer.timeLimitMs, 5000);
    }
    for (const char* bad : {"host:", "host:0", "host:65536", "host:+80", "host:http"}) {
        s.cddbServer = bad;
        QString why;
        EXPECT_FALSE(LookupSettings::fromSettings(s, LookupSettings::Source::Cddb, FreedbServer{{}, 80}, &why)) << bad;
        EXPECT_TRUE(why.contains(bad)) << why.toStdString();
    }
    // A server the tests name wins over the stored one.
    s.cddbServer = "host:x";
    EXPECT_EQ(LookupSettings::fromSettings(s, LookupSettings::Source::Cddb, FreedbServer{"local", 99})->cddbServer.port,
              99);

    // Emptied web addresses are the services' own; the proxy only whole.
    s.musicBrainzServer = " ";
    s.useProxy = true;
    s.serverProxy = "proxy.lan";
    s.portProxy = "3128";
    auto l = LookupSettings::fromSettings(s, LookupSettings::Source::MusicBrainz, FreedbServer{"x", 80});
    EXPECT_EQ(l->musicBrainzServer, "https://musicbrainz.org");
    EXPECT_EQ(l->proxy, "proxy.lan:3128");
    s.portProxy = "31x";
    EXPECT_EQ(LookupSettings::fromSettings(s, LookupSettings::Source::MusicBrainz, FreedbServer{"x", 80})->proxy, "");
}

class NamesOfACandidate : public ::testing::Test
{
protected:
    NamesOfACandidate()
    {
        library.drives = {{0, 0, 0, "IMAGE disc"}};
        library.toc = audioToc({300, 450, 600});
        drives.GetListCDROM();
        drives.openSelectedDrive();
        tracks.GetCDTOC();
    }

    FakeCdLibrary library;
    HiddenLog log;
    DriveList driveList;
    CdDrives drives{library, log, driveList, CdDrives::Options{{}, false}};
    TrackList tracks{drives, log};
    GenreList genres;
    DiscNames names;
    TagFields tags{genres};
};

TEST_F(NamesOfACandidate, EveryNameYearGenreAndPlaceInTheSet)
{
    names.setCover({"old", "image/jpeg"});
    names.setYear("1970");
    tags.setGenrePosition(GenreList::PopPosition);
    LookupCandidate c;
    c.artist = "Band";
    c.album = "Album";
    c.year = "2004";
    c.genre = "hip hop";
    c.trackNames = {"One", "Guest / Two"};  // fewer names than tracks
    c.discNumber = 2;
    c.discCount = 3;
    applyLookupCandidate(c, names, tracks, tags);
    EXPECT_EQ(names.artist() + "|" + names.album() + "|" + names.year(), "Band|Album|2004");
    EXPECT_EQ(names.trackNames(), (QStringList{"One", "Guest / Two", "AudioTrack 03"}));
    EXPECT_EQ(tracks.trackName(3), "AudioTrack 03") << "a row without a name keeps its own";
    EXPECT_EQ(genres.sorted().value(names.genre()).name, "Hip-Hop");
    EXPECT_EQ(tags.fields().genre2, "Hip-Hop");
    EXPECT_EQ(tags.fields().year + "|" + tags.fields().year2, "2004|2004");
    EXPECT_EQ(tags.fields().artist2 + "|" + tags.fields().album, "Band|Album");
    EXPECT_EQ(names.discNumber() * 10 + names.discCount(), 23);
    EXPECT_TRUE(names.cover().data.isEmpty()) << "the cover of the names before is gone";

    // What a candidate does not give stays; a genre nothing like any entry too.
    LookupCandidate bare;
    bare.artist = "Other";
    bare.genre = "Polka Noir Revival";
    applyLookupCandidate(bare, names, tracks, tags);
    EXPECT_EQ(names.year(), "2004");
    EXPECT_EQ(tags.fields().genre2, "Hip-Hop");
    EXPECT_EQ(names.trackNames().value(0), "One");
    EXPECT_EQ(names.discNumber(), 0);
}

}
