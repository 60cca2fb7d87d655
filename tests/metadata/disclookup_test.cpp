// SPDX-License-Identifier: GPL-2.0-or-later
// The lookup both front ends share: where it goes by the settings, CDDB
// matches as candidates (one read at once, several left for the choice),
// and a chosen candidate taken into the disc's names and the tag fields.
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

#include <map>

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

// The CDDB client's answers, scripted.
class ScriptedCddb final : public CddbService
{
public:
    void setOption(Option, const QByteArray&, int) override {}
    QList<CddbMatchRecord> query(int) override { return matches; }
    std::optional<QString> diskInfo(const CddbMatchRecord& match) override
    {
        fetched << match.discId;
        return entries.contains(match.discId) ? std::optional(entries.at(match.discId)) : std::nullopt;
    }
    void cancel() override {}

    QList<CddbMatchRecord> matches;
    std::map<QString, QString> entries;
    QStringList fetched;
};

TEST_F(NamesOfACandidate, CddbMatchesAsCandidates)
{
    ScriptedCddb cddb;
    cddb.matches = {{"rock", "00000001", "A", "First"}, {"jazz", "00000002", "B", "Second"}};
    cddb.entries["00000002"] = "TTITLE0=b1\nTTITLE1=b2\nTTITLE2=b3\nDYEAR=1999\nDGENRE=Jazz\n";
    LookupSettings settings;
    DiscLookup lookup(cddb, log, settings);
    const LookupAnswer several = lookup.find(drives, tracks.RowCount());
    ASSERT_EQ(several.candidates.size(), 2);
    EXPECT_TRUE(cddb.fetched.isEmpty());
    EXPECT_EQ(several.candidates[1].country, "jazz");
    EXPECT_TRUE(several.candidates[1].trackNames.isEmpty());

    const std::optional<LookupCandidate> whole = lookup.complete(several.candidates[1], tracks.RowCount());
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->trackNames, (QStringList{"b1", "b2", "b3"}));
    EXPECT_EQ(whole->year + "|" + whole->genre, "1999|Jazz");
    EXPECT_EQ(whole->trackCount, 3);
    EXPECT_FALSE(lookup.complete(several.candidates[0], tracks.RowCount())) << "no entry arrived";
    EXPECT_FALSE(lookup.frontCover(*whole)) << "CDDB has no covers";

    cddb.matches = {cddb.matches[1]};
    const LookupAnswer one = DiscLookup(cddb, log, settings).find(drives, tracks.RowCount());
    ASSERT_EQ(one.candidates.size(), 1);
    EXPECT_EQ(one.candidates[0].trackNames.size(), 3) << "one match comes back read";
    cddb.matches.clear();
    EXPECT_EQ(DiscLookup(cddb, log, settings).find(drives, tracks.RowCount()).outcome, LookupAnswer::Outcome::NotFound);
}

}
