// SPDX-License-Identifier: GPL-2.0-or-later
// The disc's names as one model, without a window: what it reports, what
// the CD Player database and a freedb lookup write into it, and what is
// stored from it. Discs are generated images; the CDDB client is a fake.
#include "cd/akriplibrary.h"
#include "cd/cddrives.h"
#include "cd/drivelist.h"
#include "cd/tracklist.h"
#include "lang/languagetexts.h"
#include "metadata/cdplayerdatabase.h"
#include "metadata/cdplayernames.h"
#include "metadata/discnames.h"
#include "metadata/freedbconnection.h"
#include "metadata/freedbviews.h"
#include "platform/hiddenlog.h"
#include "programfolders.h"
#include "recordingmessageboxes.h"
#include "settings/settings.h"
#include "tags/genrelist.h"
#include "tags/tagfields.h"

#include <QFile>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace trackmill;

namespace {

// Every signal of the model, in order, as "artist=X", "tracks=a|b", ...
struct SignalLog
{
    explicit SignalLog(DiscNames& names)
    {
        QObject::connect(&names, &DiscNames::artistChanged, [this](const QString& t) { lines << "artist=" + t; });
        QObject::connect(&names, &DiscNames::albumChanged, [this](const QString& t) { lines << "album=" + t; });
        QObject::connect(&names, &DiscNames::yearChanged, [this](const QString& t) { lines << "year=" + t; });
        QObject::connect(&names, &DiscNames::genreChanged, [this](int g) { lines << "genre=" + QString::number(g); });
        QObject::connect(&names, &DiscNames::trackNamesChanged,
                         [this](const QStringList& l) { lines << "tracks=" + l.join('|'); });
        QObject::connect(&names, &DiscNames::trackNameChanged,
                         [this](int i, const QString& t) { lines << QString("track%1=%2").arg(i).arg(t); });
    }
    QStringList lines;
};

TEST(DiscNamesModel, ReportsOnlyWhatChanged)
{
    const struct
    {
        const char* name;
        std::function<void(DiscNames&)> act;
        QStringList expected;
    } cases[] = {
        {"equal texts are no change",
         [](DiscNames& n) {
             n.setArtist("A");
             n.setArtist("A");
             n.setAlbum("");
             n.setYear("1999");
             n.setGenre(-1);
         },
         {"artist=A", "year=1999"}},
        {"a track name needs an entry",
         [](DiscNames& n) {
             n.setTrackName(0, "lost");
             n.setTrackNames({"a", "b"});
             n.setTrackName(1, "B");
             n.setTrackName(1, "B");
             n.setTrackName(2, "lost");
             n.setTrackName(-1, "lost");
         },
         {"tracks=a|b", "track1=B"}},
        {"a list shown again is said again",
         [](DiscNames& n) {
             n.setTrackNames({"a"});
             n.setTrackNames({"a"});
         },
         {"tracks=a", "tracks=a"}},
        {"clearing keeps the genre",
         [](DiscNames& n) {
             n.setArtist("A");
             n.setGenre(7);
             n.setTrackNames({"a"});
             n.clear();
         },
         {"artist=A", "genre=7", "tracks=a", "artist=", "tracks="}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DiscNames names;
        const SignalLog log(names);
        c.act(names);
        EXPECT_EQ(log.lines, c.expected);
    }
    DiscNames names;
    names.setArtist("A");
    names.setTrackNames({"x", "y"});
    EXPECT_EQ(names.entry().genre, 0);  // none chosen is stored as the first entry
    names.setGenre(12);
    const DiscEntry e = names.entry();
    EXPECT_EQ(std::tuple(e.artist, e.album, e.genre, e.tracks), std::tuple(QString("A"), QString(), 12, QStringList{"x", "y"}));
}

// A generated disc in the only drive, its TOC read as the main window does.
class DiscNamesOverDatabase : public ::testing::Test
{
protected:
    void insert(const std::vector<int>& seconds, bool dataTrack = false)
    {
        folders.writeDisc("disc", seconds, dataTrack);
        drives.GetListCDROM();
        drives.GetHandle_FirstCDROM();
        ASSERT_TRUE(tracks.GetCDTOC());
    }
    QString discId() { return *CdPlayerNames::GetCD_ID_Audio(drives); }
    QStringList gridNames() const
    {
        QStringList out;
        for (int r = 1; r < tracks.RowCount(); ++r)
            out << tracks.trackName(r);
        return out;
    }

    test::ProgramFolders folders;
    AkripLibrary library;
    HiddenLog log;
    DriveList driveList;
    CdDrives drives{library, log, driveList, CdDrives::Options{folders.paths.discsDir(), false}};
    TrackList tracks{drives, log};
    DiscNames names;
    CdPlayerNames database{{drives, tracks, log, names, folders.paths.cdPlayerIni()}};
};

TEST_F(DiscNamesOverDatabase, UnknownDiscEmptiesTheNamesAndNamesTheTracksByNumber)
{
    insert({3, 4, 5});
    names.setArtist("Previous disc");
    names.setAlbum("Its album");
    names.setYear("1990");
    names.setGenre(40);
    names.setTrackNames({"old"});
    database.GetFromCDPlayerINI(QString());  // the grid's reading leaves an unknown disc alone
    EXPECT_EQ(names.artist(), "Previous disc");
    database.GetAlbumFromFile(QString());
    EXPECT_EQ(QStringList({names.artist(), names.album()}), QStringList({"", ""}));
    EXPECT_EQ(names.trackNames(), (QStringList{"AudioTrack 01", "AudioTrack 02", "AudioTrack 03"}));
    // Year and genre are only taken from a known disc.
    EXPECT_EQ(std::pair(names.year(), names.genre()), std::pair(QString("1990"), 40));
}

TEST_F(DiscNamesOverDatabase, StoredNamesComeBackEverywhere)
{
    insert({3, 4, 5, 6}, true);
    names.setArtist("Band");
    names.setAlbum("Album");
    names.setYear("2001");
    names.setGenre(7);
    names.setTrackNames({"One", "Two", "Three", "Four"});
    ASSERT_TRUE(database.SetAlbumToFile(QString()));

    DiscNames fresh;
    CdPlayerNames reader{{drives, tracks, log, fresh, folders.paths.cdPlayerIni()}};
    reader.GetAlbumFromFile(QString());
    const DiscEntry back = fresh.entry();
    EXPECT_EQ(std::tuple(back.artist, back.album, back.year, back.genre), std::tuple(QString("Band"), QString("Album"), QString("2001"), 7));
    // The data track has no name among the disc's names; the grid calls it so.
    EXPECT_EQ(back.tracks, (QStringList{"One", "Two", "Three", "Four"}));
    reader.GetFromCDPlayerINI(QString());
    EXPECT_EQ(gridNames(), (QStringList{"One", "Two", "Three", "Four", "DataTrack"}));
}

TEST_F(DiscNamesOverDatabase, WithoutADriveHandleNothingIsReadOrStored)
{
    insert({3, 4});
    drives.FGetCloseHandle();
    names.setArtist("Typed");
    EXPECT_FALSE(database.SetAlbumToFile(QString()));
    database.GetAlbumFromFile(QString());
    EXPECT_EQ(names.artist(), "Typed");
    EXPECT_FALSE(QFile::exists(folders.paths.cdPlayerIni()));
}

// The CDDB client's answers, fixed by the test.
class FakeCddb final : public CddbService
{
public:
    void setOption(Option, const QByteArray&, int) override {}
    QList<CddbMatchRecord> query(int) override { return matches; }
    std::optional<QString> diskInfo(const CddbMatchRecord&) override { return info; }
    void cancel() override {}

    QList<CddbMatchRecord> matches;
    std::optional<QString> info;
};

class RecordingFreedbViews final : public FreedbViews
{
public:
    void rereadDisc() override { calls << "reread"; }
    QString lastArrivalDrive() const override { return {}; }
    void showConnectionWindow() override { calls << "window"; }
    void setStatus(const QString& text) override { calls << "status " + text; }
    void repaintNow() override { calls << "paint"; }
    void setBusy(bool busy) override { calls << (busy ? "busy" : "idle"); }
    int source() const override { return lookupSource; }
    void showCandidates(const QList<LookupCandidate>& candidates) override
    {
        calls << QStringLiteral("candidates %1").arg(candidates.size());
        shown = candidates;
    }

    QStringList calls;
    int lookupSource = 0;
    QList<LookupCandidate> shown;
};

class FreedbIntoDiscNames : public DiscNamesOverDatabase
{
protected:
    FreedbIntoDiscNames()
    {
        texts.noDisc = "No disc";
        texts.freedbConnect = "Connect";
        texts.freedbFound = "Found";
        texts.freedbNotFound = "Not found";
    }
    FreedbConnection connection()
    {
        return FreedbConnection({views, tracks, drives, log, boxes, names, tags, database, settings,
                                 [this]() -> const LanguageTexts& { return texts; }, {"127.0.0.1", 9},
                                 [this](quint32) -> std::unique_ptr<CddbService> {
                                     return std::make_unique<FakeCddb>(cddb);
                                 }});
    }

    RecordingFreedbViews views;
    test::RecordingMessageBoxes boxes;
    GenreList genres;
    TagFields tags{genres};
    Settings settings;
    LanguageTexts texts;
    FakeCddb cddb;
};

TEST_F(FreedbIntoDiscNames, AMatchNamesTheDiscAndTheTags)
{
    insert({3, 4, 5});
    tags.editAlbum("The tag's own");
    cddb.matches = {{"rock", "1f00b203", "Band", "Album"}};
    cddb.info = "DTITLE=Band / Album\nTTITLE0=One\nTTITLE1=Two\nTTITLE2=Three\n";
    connection().Connect();
    EXPECT_EQ(views.calls, (QStringList{"reread", "status Connect...", "paint", "busy", "status Found", "idle"}));
    EXPECT_EQ(QStringList({names.artist(), names.album()}), QStringList({"Band", "Album"}));
    EXPECT_EQ(names.trackNames(), (QStringList{"One", "Two", "Three"}));
    EXPECT_EQ(gridNames(), (QStringList{"One", "Two", "Three"}));
    // The tags start again from the disc's names, the match's.
    EXPECT_EQ(QStringList({tags.fields().artist2, tags.fields().album, tags.fields().album2}),
              QStringList({"Band", "Album", "Album"}));
    EXPECT_TRUE(boxes.messages.isEmpty());
}

TEST_F(FreedbIntoDiscNames, NoMatchOrNoDiscLeavesTheNames)
{
    const struct
    {
        const char* name;
        std::vector<int> disc;  // empty: no disc in the drive
        QStringList calls;
        int warnings;
    } cases[] = {
        {"no match", {3, 4, 5}, {"reread", "status Connect...", "paint", "busy", "status Not found", "idle"}, 0},
        {"one track only", {3}, {"reread"}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        insert(c.disc);
        views.calls.clear();
        boxes.messages.clear();
        names.setArtist("Kept");
        names.setTrackNames({"kept"});
        connection().Connect();
        EXPECT_EQ(views.calls, c.calls);
        EXPECT_EQ(names.artist(), "Kept");
        EXPECT_EQ(names.trackNames(), QStringList{"kept"});
        EXPECT_EQ(boxes.messages.size(), c.warnings);
    }
}

TEST_F(FreedbIntoDiscNames, TheButtonOpensTheWindowOnlyWithADisc)
{
    connection().FreeDBClick();
    EXPECT_TRUE(views.calls.isEmpty());
    EXPECT_EQ(boxes.texts(), QStringList{"  No disc.  "});
    insert({3, 4});
    connection().FreeDBClick();
    EXPECT_EQ(views.calls, QStringList{"window"});
}

}
