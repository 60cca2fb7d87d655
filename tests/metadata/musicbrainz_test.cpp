// SPDX-License-Identifier: GPL-2.0-or-later
// The MusicBrainz lookup's parts: the disc id against libdiscid and an
// independent SHA-1 of the same TOC, the answer reader over canned
// documents (also the fuzzer's seeds) and hostile ones, and the client
// against a local web server with canned answers, a busy one, a silent one
// and one that breaks off.
#include "cd/akriplibrary.h"
#include "cd/cddrives.h"
#include "cd/drivelist.h"
#include "metadata/coverart.h"
#include "metadata/musicbrainzanswer.h"
#include "metadata/musicbrainzclient.h"
#include "metadata/musicbrainzdiscid.h"
#include "metadata/requestpacer.h"
#include "platform/hiddenlog.h"
#include "discimage.h"
#include "httpserver.h"
#include "jpegfixture.h"
#include "programfolders.h"

#include "../cd/fakecdlibrary.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <discid/discid.h>
#include <gtest/gtest.h>

#include <thread>

using namespace trackmill;
using namespace trackmill::test;

namespace {

const QString kDiscId = QStringLiteral("49HHV7Eb8UKF3aQiNmu1GR8vKTY-");
const MusicBrainzToc kToc{1, 6, 95462, {150, 15363, 32314, 46592, 63414, 80489}};

QByteArray fixture(const char* name)
{
    QFile file(QStringLiteral(TRACKMILL_MUSICBRAINZ_FIXTURES "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// libdiscid's own id for a disc whose audio tracks start at these block
// addresses and end at audioEnd, as it reads a disc (Enhanced CD data
// tracks left out).
QString libdiscidId(const std::vector<uint32_t>& starts, uint32_t audioEnd)
{
    int offsets[100] = {};
    offsets[0] = int(audioEnd) + 150;
    for (size_t i = 0; i < starts.size(); ++i)
        offsets[i + 1] = int(starts[i]) + 150;
    DiscId* d = discid_new();
    EXPECT_TRUE(discid_put(d, 1, int(starts.size()), offsets));
    const QString id = QString::fromLatin1(discid_get_id(d));
    discid_free(d);
    return id;
}

TEST(MusicBrainzDiscId, KnownDiscs)
{
    EXPECT_EQ(musicBrainzDiscId(kToc), kDiscId);
    // The demo disc, its tracks laid out as the image writer lays them.
    std::vector<TocEntry> demo;
    qint64 at = 0;
    for (uint64_t bytes : discimage::demoDisc().trackBytes) {
        demo.push_back({0x10, at});
        at += discimage::sectorsForBytes(bytes);
    }
    demo.push_back({0x10, at});
    const auto demoToc = musicBrainzToc(makeToc(1, 10, demo));
    ASSERT_TRUE(demoToc);
    EXPECT_EQ(musicBrainzDiscId(*demoToc), "40rFdvNgpW8tJxBw.HB8fn3oKD0-");
    EXPECT_EQ(kToc.text(QLatin1Char('+')), "1+6+95462+150+15363+32314+46592+63414+80489");
}

// Generated images through the real library: the TOC the program reads
// gives libdiscid's id of the disc as written, with a data track too.
TEST(MusicBrainzDiscId, GeneratedImagesMatchLibdiscid)
{
    ProgramFolders folders;
    struct Case
    {
        const char* name;
        discimage::DiscSpec discSpec;
    };
    discimage::DiscSpec enhanced;
    enhanced.trackBytes = {2352 * 400 + 17, 2352 * 900, 2352 * 300};
    enhanced.dataTrack = true;
    discimage::DiscSpec single;
    single.trackBytes = {2352 * 1234};
    const Case cases[] = {{"enhanced", enhanced}, {"one track", single}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const discimage::DiscLayout written =
            discimage::writeDisc((folders.paths.discsDir() + "/" + c.name).toStdString(), c.discSpec);
        HiddenLog log;
        DriveList list;
        AkripLibrary library;
        CdDrives drives(library, log, list, CdDrives::Options{folders.paths.discsDir(), false});
        drives.GetListCDROM();
        drives.FGetHandle(0, 0, 0);
        TOC toc;
        ASSERT_TRUE(drives.readToc(toc, 0));
        const std::optional<MusicBrainzToc> mb = musicBrainzToc(toc);
        ASSERT_TRUE(mb);
        const std::optional<QString> id = musicBrainzDiscId(*mb);
        ASSERT_TRUE(id);
        EXPECT_EQ(*id, libdiscidId(written.trackStart, written.audioEnd));
        QFile::remove(QString::fromStdString(written.cuePath));
    }
}

TEST(MusicBrainzDiscId, TablesOfContentsOfEveryShape)
{
    // A data track in front of the audio counts (mixed mode); one behind it
    // ends the audio 11250 sectors before where the library reports it.
    const TOC mixed = makeToc(1, 3, {{0x14, 0}, {0x10, 20000}, {0x10, 30000}, {0x10, 40000}});
    const auto m = musicBrainzToc(mixed);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->text(), "1 3 40150 150 20150 30150");
    const TOC enhanced = makeToc(1, 3, {{0x10, 0}, {0x10, 20000}, {0x14, 41250}, {0x10, 50000}});
    const auto e = musicBrainzToc(enhanced);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->text(), "1 2 30150 150 20150");

    EXPECT_FALSE(musicBrainzToc(makeToc(1, 1, {{0x14, 0}, {0x10, 900}}))) << "no audio";
    EXPECT_FALSE(musicBrainzToc(makeToc(1, 2, {{0x10, 500}, {0x10, 200}, {0x10, 900}}))) << "backwards";
    EXPECT_FALSE(musicBrainzToc(makeToc(1, 1, {{0x10, 500}, {0x10, 500}}))) << "lead-out at the start";
    EXPECT_FALSE(musicBrainzToc(makeToc(2, 1, {{0x10, 0}})));
    EXPECT_FALSE(musicBrainzDiscId(MusicBrainzToc{1, 2, 900, {150}})) << "offsets missing";
    EXPECT_FALSE(musicBrainzDiscId(MusicBrainzToc{1, 1, 100, {150}})) << "libdiscid refuses";
}

std::vector<QStringList> names(const LookupAnswer& a)
{
    std::vector<QStringList> out;
    for (const LookupCandidate& c : a.candidates)
        out.push_back(QStringList{c.artist, c.album, c.year, c.country, c.format, QString::number(c.discNumber),
                                  QString::number(c.discCount), c.releaseId, c.frontCover ? "front" : "-"}
                      + c.trackNames);
    return out;
}

TEST(MusicBrainzAnswerTest, CannedDocuments)
{
    const LookupAnswer disc = MusicBrainzAnswer::parse(fixture("disc-two-releases.json"), kDiscId, 6);
    EXPECT_EQ(disc.outcome, LookupAnswer::Outcome::Found);
    EXPECT_EQ(names(disc),
              (std::vector<QStringList>{
                  {"The Band & Friends", "Double Album", "1999", "GB", "CD", "2", "2",
                   "11111111-2222-3333-4444-555555555555", "front", "Opening", "Second", "Guest Singer / Third",
                   "Fourth", "Fifth", "Closing"},
                  {"The Band", "Single Disc Reissue", "2003", "", "Enhanced CD", "1", "1",
                   "66666666-7777-8888-9999-000000000000", "-", "Reissue 1", "Reissue 2", "Reissue 3", "Reissue 4",
                   "Reissue 5", "Reissue 6"}}));

    // Matched on track lengths: no disc ids, the medium with as many tracks.
    const LookupAnswer toc = MusicBrainzAnswer::parse(fixture("toc-release-list.json"), kDiscId, 6);
    EXPECT_EQ(names(toc), (std::vector<QStringList>{{"Somebody", "Near Match", "2010", "DE", "CD", "2", "2",
                                                     "aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee", "-", "Fuzzy 1",
                                                     "Fuzzy 2", "Fuzzy 3", "Fuzzy 4", "Fuzzy 5", "Fuzzy 6"}}));

    const LookupAnswer stub = MusicBrainzAnswer::parse(fixture("cdstub.json"), kDiscId, 6);
    EXPECT_EQ(names(stub), (std::vector<QStringList>{{"Some User", "Typed In", "", "", "", "0", "0", "", "-", "a",
                                                      "Else / b", "c", "d", "e", "f"}}));
}

TEST(MusicBrainzAnswerTest, HostileDocumentsGiveNoNames)
{
    struct Case
    {
        const char* name;
        QByteArray json;
        int tracks;
        LookupAnswer::Outcome outcome;
    };
    QByteArray huge = R"({"offsets":[],"releases":[{"id":"x","title":"Huge","media":[{"position":1,"discs":[{"id":")"
                      + kDiscId.toLatin1() + R"("}],"tracks":[)";
    for (int i = 0; i < 10000; ++i)
        huge += (i ? "," : "") + QByteArray(R"({"title":"t"})");
    huge += "]}]}]}";
    const Case cases[] = {
        {"not JSON", "<html>busy</html>", 6, LookupAnswer::Outcome::Failed},
        {"cut short", fixture("disc-two-releases.json").left(3000), 6, LookupAnswer::Outcome::Failed},
        {"an array", "[1,2,3]", 6, LookupAnswer::Outcome::Failed},
        {"an error document", fixture("not-found.json"), 6, LookupAnswer::Outcome::Failed},
        {"an unknown shape", R"({"release-count":"many"})", 6, LookupAnswer::Outcome::Failed},
        {"wrong types and counts", fixture("hostile-shapes.json"), 6, LookupAnswer::Outcome::NotFound},
        {"10000 tracks", huge, 6, LookupAnswer::Outcome::NotFound},
        {"another track count", fixture("disc-two-releases.json"), 7, LookupAnswer::Outcome::NotFound},
        {"no audio tracks", fixture("disc-two-releases.json"), 0, LookupAnswer::Outcome::Failed},
        {"empty", "", 6, LookupAnswer::Outcome::Failed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LookupAnswer a = MusicBrainzAnswer::parse(c.json, kDiscId, c.tracks);
        EXPECT_EQ(a.outcome, c.outcome);
        EXPECT_TRUE(a.candidates.isEmpty());
    }

    // Control characters go, long texts are cut, a release id that is no
    // UUID is dropped (it would go into an address), at most 25 releases.
    QByteArray many = R"({"offsets":[],"releases":[)";
    for (int i = 0; i < 40; ++i)
        many += (i ? "," : "") + QByteArray(R"({"id":"../../etc","title":"A\u0007\nB)") + QByteArray(3000, 'x')
                + R"(","cover-art-archive":{"front":true},"media":[{"discs":[{"id":")" + kDiscId.toLatin1()
                + R"("}],"tracks":[{"title":"\u001b[31mred"}]}]})";
    many += "]}";
    const LookupAnswer a = MusicBrainzAnswer::parse(many, kDiscId, 1);
    ASSERT_EQ(a.candidates.size(), MusicBrainzAnswer::kMaxCandidates);
    EXPECT_EQ(a.candidates[0].album.left(4), "A  B");
    EXPECT_EQ(a.candidates[0].album.size(), MusicBrainzAnswer::kMaxText);
    EXPECT_EQ(a.candidates[0].trackNames, QStringList{"[31mred"});
    EXPECT_EQ(a.candidates[0].releaseId, "");
    EXPECT_FALSE(a.candidates[0].frontCover);
}

// A clock that only moves when asked to sleep.
struct FakeClock
{
    qint64 now = 1000;
    std::vector<qint64> sleeps;
    RequestPacer::Clock clock()
    {
        return {[this] { return now; },
                [this](qint64 ms) {
                    sleeps.push_back(ms);
                    now += ms;
                }};
    }
};

TEST(RequestPacerTest, OneRequestASecond)
{
    FakeClock fake;
    RequestPacer pacer(1000, fake.clock());
    EXPECT_TRUE(pacer.waitForTurn());
    EXPECT_TRUE(fake.sleeps.empty()) << "the first request goes at once";
    fake.now += 300;
    EXPECT_TRUE(pacer.waitForTurn());
    qint64 slept = 0;
    for (qint64 s : fake.sleeps)
        slept += s;
    EXPECT_EQ(slept, 700);
    fake.now += 5000;
    fake.sleeps.clear();
    EXPECT_TRUE(pacer.waitForTurn());
    EXPECT_TRUE(fake.sleeps.empty()) << "long after the last one";
    // A busy service's wait counts from now.
    EXPECT_TRUE(pacer.waitAtLeast(2500));
    EXPECT_EQ(fake.now, 1000 + 300 + 700 + 5000 + 2500);

    std::atomic<bool> cancel{true};
    fake.sleeps.clear();
    EXPECT_FALSE(pacer.waitForTurn(&cancel));
    EXPECT_TRUE(fake.sleeps.empty());
}

class MusicBrainzClientTest : public ::testing::Test
{
protected:
    MusicBrainzClient client(long totalMs = 5000)
    {
        MusicBrainzClient::Options o;
        o.server = QString::fromStdString(server.url());
        o.coverServer = QString::fromStdString(server.url()) + "/caa/";
        o.userAgent = MusicBrainzClient::userAgent("2.0.0", "me@example.org");
        o.totalMs = totalMs;
        o.connectMs = 2000;
        o.maxCoverBytes = 256 * 1024;
        o.pacer = &pacer;
        o.coverPacer = &pacer;
        return MusicBrainzClient(o);
    }
    static HttpServer::Answer json(const QByteArray& body, int status = 200)
    {
        HttpServer::Answer a;
        a.status = status;
        a.body = body.toStdString();
        return a;
    }

    const std::string path = "/ws/2/discid/" + kDiscId.toStdString();
    HttpServer server;
    FakeClock fake;
    RequestPacer pacer{1000, fake.clock()};
    std::atomic<bool> cancel{false};
};

TEST_F(MusicBrainzClientTest, AsksOnceWithTheTocAndNamesItself)
{
    server.answer(path, json(fixture("disc-two-releases.json")));
    const LookupAnswer a = client().lookUp(kDiscId, kToc, &cancel);
    EXPECT_EQ(a.outcome, LookupAnswer::Outcome::Found);
    EXPECT_EQ(a.candidates.size(), 2);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].query, "inc=artists+recordings+release-groups&cdstubs=no&fmt=json&toc=1+6+95462+150+15363+"
                                 "32314+46592+63414+80489");
    EXPECT_EQ(requests[0].userAgent, "Trackmill/2.0.0 ( me@example.org )");
}

// Not found, a silent server and none at all are the window's tests; here
// what only the client sees: an answer broken off or beyond the size cap.
TEST_F(MusicBrainzClientTest, BrokenOffOrTooLargeAnswersLeaveNoCandidates)
{
    HttpServer::Answer broken = json(fixture("disc-two-releases.json"));
    broken.misbehave = HttpServer::Answer::Misbehave::CloseMidAnswer;
    server.answer(path, broken);
    EXPECT_EQ(client().lookUp(kDiscId, kToc, &cancel).outcome, LookupAnswer::Outcome::Failed);
    server.answer(path, json(QByteArray(9 << 20, ' ')));
    const LookupAnswer big = client().lookUp(kDiscId, kToc, &cancel);
    EXPECT_EQ(big.outcome, LookupAnswer::Outcome::Failed);
    EXPECT_TRUE(big.error.contains("larger")) << big.error.toStdString();
    server.answer(path, json(R"({"error":"Invalid TOC"})", 400));
    EXPECT_EQ(client().lookUp(kDiscId, kToc, &cancel).outcome, LookupAnswer::Outcome::Failed);
}

TEST_F(MusicBrainzClientTest, ABusyServiceIsAskedOnceMoreAfterItsWait)
{
    HttpServer::Answer busy = json(R"({"error":"rate limited"})", 503);
    busy.headers = {"Retry-After: 3"};
    server.answerInTurn(path, {busy, json(fixture("cdstub.json"))});
    EXPECT_EQ(client().lookUp(kDiscId, kToc, &cancel).outcome, LookupAnswer::Outcome::Found);
    EXPECT_EQ(server.requestCount(), 2);
    qint64 waited = 0;
    for (qint64 s : fake.sleeps)
        waited += s;
    EXPECT_EQ(waited, 3000);

    // Busy twice: no third try.
    server.answerInTurn(path, {json("{}", 503)});
    EXPECT_EQ(client().lookUp(kDiscId, kToc, &cancel).outcome, LookupAnswer::Outcome::Failed);
    EXPECT_EQ(server.requestCount(), 4);
}

TEST_F(MusicBrainzClientTest, CancelStopsAStalledRequest)
{
    HttpServer::Answer silent;
    silent.misbehave = HttpServer::Answer::Misbehave::Silent;
    server.answer(path, silent);
    std::thread stopper([this] {
        while (server.requestCount() == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        cancel = true;
    });
    EXPECT_EQ(client(60000).lookUp(kDiscId, kToc, &cancel).outcome, LookupAnswer::Outcome::Cancelled);
    stopper.join();
}

TEST_F(MusicBrainzClientTest, FrontCoverFollowsTheArchivesRedirect)
{
    const QByteArray jpeg = noiseJpeg(64, 48);
    const std::string release = "/caa/release/11111111-2222-3333-4444-555555555555/front-500";
    server.redirect(release, "/img/front.jpg");
    HttpServer::Answer picture;
    picture.body = jpeg.toStdString();
    picture.contentType = "image/jpeg";
    server.answer("/img/front.jpg", picture);
    QString why;
    const std::optional<CoverArt> cover =
        client().frontCover("11111111-2222-3333-4444-555555555555", &cancel, &why);
    ASSERT_TRUE(cover) << why.toStdString();
    EXPECT_EQ(cover->data, jpeg);
    EXPECT_EQ(cover->mimeType, "image/jpeg");

    // No front, not a picture, too big: no cover and a reason.
    EXPECT_FALSE(client().frontCover("99999999-2222-3333-4444-555555555555", &cancel, &why));
    EXPECT_EQ(why, "the release has no front cover");
    picture.body = "<html>not a picture</html>";
    server.answer("/img/front.jpg", picture);
    EXPECT_FALSE(client().frontCover("11111111-2222-3333-4444-555555555555", &cancel, &why));
    picture.body = std::string(300 * 1024, '\xFF');
    server.answer("/img/front.jpg", picture);
    EXPECT_FALSE(client().frontCover("11111111-2222-3333-4444-555555555555", &cancel, &why));
    EXPECT_TRUE(why.contains("larger")) << why.toStdString();
    picture.body = jpeg.left(jpeg.size() / 2).toStdString();
    server.answer("/img/front.jpg", picture);
    EXPECT_FALSE(client().frontCover("11111111-2222-3333-4444-555555555555", &cancel, &why)) << "cut short";
    EXPECT_FALSE(client().frontCover("", &cancel, &why));
}

TEST(CoverArtTest, LargePicturesAreScaledDownSmallOnesKept)
{
    const QByteArray big = noiseJpeg(1600, 1600);
    ASSERT_GT(big.size(), CoverArt::kMaxEmbeddedBytes);
    const std::optional<CoverArt> scaled = CoverArt::fromBytes(big);
    ASSERT_TRUE(scaled);
    EXPECT_LE(scaled->data.size(), CoverArt::kMaxEmbeddedBytes);
    const auto size = jpegSize(scaled->data);
    ASSERT_TRUE(size);
    EXPECT_LT(size->first, 1600);
    EXPECT_EQ(size->first, size->second) << "the shape is kept";

    const QByteArray png = QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(100, 'p');
    EXPECT_EQ(CoverArt::fromBytes(png)->mimeType, "image/png");
    EXPECT_EQ(CoverArt::fromBytes(png)->fileName(), "cover.png");
    EXPECT_FALSE(CoverArt::fromBytes(png + QByteArray(CoverArt::kMaxEmbeddedBytes, 'p')));
    EXPECT_FALSE(CoverArt::fromBytes("GIF89a"));
    EXPECT_FALSE(CoverArt::fromBytes(QByteArray()));
}

TEST(CoverArtTest, ACoverFileIsSavedOnceAndAPictureThereIsKept)
{
    QTemporaryDir dir;
    const CoverArt cover{noiseJpeg(32, 32), "image/jpeg"};
    EXPECT_EQ(writeCoverFile(dir.path(), cover), "");
    const QString path = dir.filePath("cover.jpg");
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), cover.data);
    saved.close();
    // The same picture again: nothing to do. Another one: the user's stays.
    EXPECT_EQ(writeCoverFile(dir.path(), cover), "");
    QFile mine(path);
    ASSERT_TRUE(mine.open(QIODevice::WriteOnly | QIODevice::Truncate));
    mine.write("my own scan");
    mine.close();
    EXPECT_TRUE(writeCoverFile(dir.path(), cover).startsWith(path));
    ASSERT_TRUE(mine.open(QIODevice::ReadOnly));
    EXPECT_EQ(mine.readAll(), "my own scan");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"cover.jpg"});
}

}
