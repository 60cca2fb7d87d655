// SPDX-License-Identifier: GPL-2.0-or-later
// trackmill-cli as a process over generated disc images.
#include "clirun.h"

#include "cd/akriplibrary.h"
#include "cd/cddrives.h"
#include "cd/drivelist.h"
#include "metadata/cdplayerdatabase.h"
#include "metadata/musicbrainzdiscid.h"
#include "platform/hiddenlog.h"

#include "cddbserver.h"
#include "discimage.h"
#include "flacreading.h"
#include "httpserver.h"
#include "jpegfixture.h"

#include <mpegfile.h>
#include <id3v2tag.h>

#include <QRegularExpression>
#include <QTest>

#include <csignal>

using namespace trackmill;
using namespace trackmill::test;

namespace {

class CliProgramTest : public ::testing::Test
{
protected:
    // The names of the disc in CDPLAYER.INI under the section `toc` names.
    void storeNames(const QStringList& trackNames)
    {
        const CliResult toc = cli.run({"toc"});
        const QRegularExpressionMatch m = QRegularExpression("CDPLAYER.INI section: ([0-9A-F]+)").match(toc.out);
        ASSERT_TRUE(m.hasMatch()) << toc.out.toStdString();
        DiscEntry entry{"The Band", "The Album", "1999", 0, trackNames};
        ASSERT_TRUE(CdPlayerDatabase(folders.paths.cdPlayerIni()).store(m.captured(1), entry));
    }

    QString album() const { return folders.output + "/The Band/The Album/"; }

    ProgramFolders folders;
    CliProgram cli{folders};
};

QByteArray pcmOf(const discimage::DiscSpec& disc, int track)
{
    const std::vector<uint8_t> pcm = discimage::trackPcm(disc, track);
    return QByteArray(reinterpret_cast<const char*>(pcm.data()), qsizetype(pcm.size()));
}

}

TEST_F(CliProgramTest, DrivesListsTheImagesInNameOrder)
{
    folders.writeDisc("b", {2});
    folders.writeDisc("a", {2});
    const CliResult r = cli.run({"drives"});
    EXPECT_EQ(r.exitCode, 0) << r.errors.toStdString();
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << r.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith("1  ") && lines[0].endsWith("/Discs/a.cue")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith("2  ") && lines[1].endsWith("/Discs/b.cue")) << lines[1].toStdString();
}

TEST_F(CliProgramTest, WithoutADriveEveryCommandFailsWithAReason)
{
    for (const QStringList& args : {QStringList{"drives"}, QStringList{"toc"}, QStringList{"rip"}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const CliResult r = cli.run(args);
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.errors.startsWith("trackmill-cli: No drive found and no disc image in ")) << r.errors.toStdString();
        EXPECT_EQ(r.errors.count('\n'), 1);
    }
}

TEST_F(CliProgramTest, TocShowsEveryTrackAndTheDiscIds)
{
    folders.writeDisc("a", {3, 4, 5}, /*dataTrack*/ true);
    folders.writeDisc("b", {3, 4, 5});
    const CliResult mixed = cli.run({"toc", "--drive", "1"});
    ASSERT_EQ(mixed.exitCode, 0) << mixed.errors.toStdString();
    QStringList lines = mixed.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 7) << mixed.out.toStdString();
    EXPECT_EQ(lines[1].simplified(), "1 0 225 00:03 audio");
    EXPECT_EQ(lines[2].simplified(), "2 225 300 00:04 audio");
    EXPECT_EQ(lines[3].simplified(), "3 525 375 00:05 audio");
    EXPECT_TRUE(lines[4].endsWith(" data")) << lines[4].toStdString();

    const CliResult plain = cli.run({"toc", "--drive=2"});
    ASSERT_EQ(plain.exitCode, 0) << plain.errors.toStdString();
    // Offsets 150, 375 and 675 frames (2, 5 and 9 s: digits 16), lead-out
    // at 14 s, 12 s of disc, three tracks.
    EXPECT_TRUE(plain.out.contains("CDDB disc id: 10000c03\n")) << plain.out.toStdString();
    EXPECT_TRUE(plain.out.contains(QRegularExpression("CDPLAYER.INI section: [0-9A-F]{4,}\n")));

    const CliResult none = cli.run({"toc", "--drive", "3"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.errors, "trackmill-cli: There is no drive 3, there are 2\n");
}

TEST_F(CliProgramTest, RipWritesTheChosenTracksNamedFromTheDatabase)
{
    const discimage::DiscSpec disc = folders.writeDisc("a", {2, 3, 2});
    storeNames({"One", "Two", "Three"});
    const CliResult r = cli.run({"rip", "--tracks", "1,3"});
    ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
    // Two tracks of three: the log, but no cue sheet.
    EXPECT_EQ(filesBelow(folders.output), (QStringList{"The Band/The Album/01 - One.wav", "The Band/The Album/03 - Three.wav",
                                                       "The Band/The Album/The Band - The Album.log"}));
    for (int track : {1, 3}) {
        const QByteArray wav = contents(album() + (track == 1 ? "01 - One.wav" : "03 - Three.wav"));
        ASSERT_GT(wav.size(), 44);
        EXPECT_EQ(wav.left(4), "RIFF");
        EXPECT_TRUE(wav.mid(44) == pcmOf(disc, track)) << "track " << track;
    }
    // A pipe gets a plain line per track and the end of the run, no carriage return.
    EXPECT_FALSE(r.out.contains('\r'));
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 2) << r.out.toStdString();
    EXPECT_EQ(lines[0], "Track 01: done  " + album() + "01 - One.wav");
    EXPECT_EQ(lines[1], "Track 03: done  " + album() + "03 - Three.wav");
}

// --jobs 2: FLAC files of three tracks, two encoded at once, each with
// the track's exact samples; the whole disc gives the cue sheet too.
TEST_F(CliProgramTest, JobsEncodeSeveralTracksAtOnce)
{
    const discimage::DiscSpec disc = folders.writeDisc("a", {3, 1, 2});
    storeNames({"One", "Two", "Three"});
    const CliResult r = cli.run({"rip", "--flac", "--jobs", "2"});
    ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
    EXPECT_EQ(filesBelow(folders.output),
              (QStringList{"The Band/The Album/01 - One.flac", "The Band/The Album/02 - Two.flac",
                           "The Band/The Album/03 - Three.flac", "The Band/The Album/The Band - The Album.cue",
                           "The Band/The Album/The Band - The Album.log"}));
    const QStringList names{"01 - One", "02 - Two", "03 - Three"};
    for (int track = 1; track <= 3; ++track)
        EXPECT_TRUE(decoded(album() + names[track - 1] + ".flac") == pcmOf(disc, track)) << "track " << track;
    EXPECT_EQ(r.out.count("done"), 3) << r.out.toStdString();
}

// --flac: the track's exact samples and the database's names, at the level
// of the settings file's [FLAC]; on the fly the same.
TEST_F(CliProgramTest, FlacWritesTheTracksLosslessWithTheirNames)
{
    const discimage::DiscSpec disc = folders.writeDisc("a", {2, 3});
    storeNames({"Eins", "Zwei – 二"});
    IniFile(folders.paths.settingsFile()).writeString("FLAC", "COMPRESSION_LEVEL", "0");
    const QStringList names{"01 - Eins.flac", "02 - Zwei – 二.flac"};
    for (const QStringList& extra : {QStringList{}, QStringList{"--on-the-fly"}}) {
        SCOPED_TRACE(extra.join(' ').toStdString());
        QDir(folders.output + "/The Band").removeRecursively();
        const CliResult r = cli.run(QStringList{"rip", "--flac"} + extra);
        ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
        // The whole disc ripped: its log and cue sheet beside the files.
        EXPECT_EQ(filesBelow(folders.output),
                  (QStringList{"The Band/The Album/" + names[0], "The Band/The Album/" + names[1],
                               "The Band/The Album/The Band - The Album.cue", "The Band/The Album/The Band - The Album.log"}));
        EXPECT_TRUE(r.out.split('\n').contains("Track 02: done  " + album() + names[1])) << r.out.toStdString();
        for (int track : {1, 2}) {
            const QString file = album() + names[track - 1];
            EXPECT_TRUE(decoded(file) == pcmOf(disc, track)) << "track " << track;
            FLAC__StreamMetadata info;
            ASSERT_TRUE(FLAC__metadata_get_streaminfo(QFile::encodeName(file).constData(), &info));
            EXPECT_EQ(info.data.stream_info.max_blocksize, 1152u) << "level 0 encodes in blocks of 1152 samples";
            FLAC__StreamMetadata* tags = nullptr;
            ASSERT_TRUE(FLAC__metadata_get_tags(QFile::encodeName(file).constData(), &tags));
            // The rest of the names as the window writes them (the parity test).
            const QString title = track == 1 ? "TITLE=Eins" : "TITLE=Zwei – 二";
            bool found = false;
            for (FLAC__uint32 i = 0; i < tags->data.vorbis_comment.num_comments; ++i)
                found |= title.toUtf8() == reinterpret_cast<const char*>(tags->data.vorbis_comment.comments[i].entry);
            FLAC__metadata_object_delete(tags);
            EXPECT_TRUE(found) << title.toStdString();
        }
    }
}

TEST_F(CliProgramTest, OutAndSettingsOverrideTheProgramsOwnWithoutChangingThem)
{
    folders.writeDisc("a", {2});
    storeNames({"One"});
    const QString settings = folders.root.filePath("other.ini");
    ASSERT_TRUE(QFile::copy(folders.paths.settingsFile(), settings));
    IniFile(settings).writeString("MAIN", "FILENAME", "5");  // the title alone
    IniFile(settings).writeString("MAIN", "ALBUM_AS_DIRECTORY", "0");
    const QByteArray before = contents(settings);
    const QString out = folders.root.filePath("elsewhere");
    const CliResult r = cli.run({"rip", "--settings", settings, "--out", out});
    ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
    EXPECT_EQ(filesBelow(out), (QStringList{"The Band/One.wav", "The Band/The Band - The Album.cue",
                                            "The Band/The Band - The Album.log"}));
    EXPECT_EQ(filesBelow(folders.output), QStringList{});
    EXPECT_EQ(contents(settings), before);
}

TEST_F(CliProgramTest, ResultTableAndExitCodesOfVerifiedRuns)
{
    const discimage::DiscSpec disc = folders.writeDisc("a", {2, 2});
    storeNames({"One", "Two"});
    // No database reached: nothing is accurately ripped.
    CliResult r = cli.run({"rip", "--fast", "--offset", "6"});
    ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
    const qsizetype table = r.out.indexOf("Track  CRC32     AR v1     AR v2     Re-reads  Repairs  Skips  Result\n");
    ASSERT_GE(table, 0) << r.out.toStdString();
    EXPECT_TRUE(QRegularExpression("\n    2  [0-9A-F]{8}  [0-9A-F]{8}  [0-9A-F]{8}         0        0      0  Not in database\n")
                    .match(r.out, table).hasMatch()) << r.out.toStdString();
    const QString log = QString::fromUtf8(contents(album() + "The Band - The Album.log"));
    EXPECT_TRUE(log.contains("Read mode           : Fast")) << log.toStdString();
    EXPECT_TRUE(log.contains("Read offset         : 0 samples")) << "images are read with 0";

    r = cli.run({"rip", "--secure", "--require-accurate"});
    EXPECT_EQ(r.exitCode, 3) << r.errors.toStdString();
    EXPECT_TRUE(contents(album() + "02 - Two.wav").mid(44) == pcmOf(disc, 2));

    // A read error fails the run, whatever else.
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CLI_UNDER_TEST_FAIL_SECTOR", QString::number(2 * 75 + 40));
    p.setProcessEnvironment(env);
    cli.start(p, {"rip", "--secure"});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 1);
    const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
    EXPECT_TRUE(out.contains(QString("  Read error at sector %1\n").arg(2 * 75 + 40))) << out.toStdString();
}

TEST_F(CliProgramTest, TracksTheDiscLacksAreACommandLineError)
{
    folders.writeDisc("a", {2, 2}, /*dataTrack*/ true);
    struct Case
    {
        const char* tracks;
        const char* saying;
    };
    for (const Case& c : {Case{"4", "The disc has no track 4, it has 3\n"}, Case{"1-3", "Track 3 is a data track\n"},
                          Case{"1-x", "--tracks: bad track range \"1-x\""}}) {
        SCOPED_TRACE(c.tracks);
        const CliResult r = cli.run({"rip", "--tracks", c.tracks});
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.errors.contains(c.saying)) << r.errors.toStdString();
        EXPECT_EQ(filesBelow(folders.output), QStringList{});
    }
}

TEST_F(CliProgramTest, AFailedRunEndsWithOneLineSayingWhy)
{
    folders.writeDisc("a", {2});
    storeNames({"One"});
    // A file where the output folder should be made.
    const QString blocked = folders.root.filePath("blocked");
    QFile file(blocked);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    const CliResult r = cli.run({"rip", "--out", blocked + "/sub"});
    EXPECT_EQ(r.exitCode, 1);
    const QStringList lines = r.errors.split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.last().startsWith("trackmill-cli: Failed: ")) << r.errors.toStdString();
    EXPECT_GT(lines.last().size(), QString("trackmill-cli: Failed: ").size() + 5);
}

TEST_F(CliProgramTest, InterruptAbortsTheRunAndLeavesNoUnfinishedTrack)
{
    // A long second track, encoded while it is read: slow enough to be
    // caught in the middle.
    folders.writeDisc("a", {1, 240});
    storeNames({"One", "Two"});
    QProcess process;
    // One job: the track is encoded while it is read.
    cli.start(process, {"rip", "--mp3", "--on-the-fly", "--jobs", "1"});
    ASSERT_TRUE(process.waitForStarted());
    QByteArray out;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        out += process.readAllStandardOutput();
        return out.contains("Track 01: done") || process.state() == QProcess::NotRunning;
    }, 60000));
    ASSERT_EQ(process.state(), QProcess::Running) << out.toStdString();
    // The second track is being read and encoded now.
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(album() + "02 - Two.mp3"); }, 10000));
    ::kill(pid_t(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 130);
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
    EXPECT_TRUE(errors.endsWith("trackmill-cli: Interrupted, the unfinished track was removed\n")) << errors.toStdString();
    EXPECT_EQ(filesBelow(folders.output),
              (QStringList{"The Band/The Album/01 - One.mp3", "The Band/The Album/The Band - The Album.log"}));
}

TEST_F(CliProgramTest, TheSettingsFilesLanguageSpeaks)
{
    folders.writeDisc("a", {1});
    storeNames({"Eins"});
    IniFile(folders.paths.settingsFile()).writeString("MAIN", "LANGUAGE", "German");
    const CliResult r = cli.run({"rip"});
    ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
    EXPECT_TRUE(r.out.startsWith("Titel 01: fertig  " + album() + "01 - Eins.wav\n")) << r.out.toStdString();
    const CliResult none = cli.run({"rip", "--tracks", "2"});
    EXPECT_EQ(none.errors, "trackmill-cli: Die CD hat keinen Titel 2, sie hat 1\n");
}

namespace {

// The disc id MusicBrainz knows the disc in the first drive by.
QString musicBrainzIdOfFirstDrive(const ProgramFolders& folders)
{
    HiddenLog log;
    DriveList list;
    AkripLibrary library;
    CdDrives drives(library, log, list, CdDrives::Options{folders.paths.discsDir(), false});
    drives.GetListCDROM();
    drives.FGetHandle(0, 0, 0);
    TOC toc;
    if (!drives.readToc(toc, 0))
        return {};
    return musicBrainzDiscId(*musicBrainzToc(toc)).value_or(QString());
}

std::string twoReleases(const QString& id)
{
    QString json = QStringLiteral(R"({"id":"%1","offsets":[],"releases":[)").arg(id);
    const char* releases[][4] = {{"aaaaaaaa-0000-4000-8000-000000000001", "First Artist", "First Album", "1990"},
                                 {"aaaaaaaa-0000-4000-8000-000000000002", "Second Artist", "Second Album", "2011"}};
    for (int r = 0; r < 2; ++r)
        json += QStringLiteral(R"(%1{"id":"%2","title":"%4","date":"%5","country":"DE","artist-credit":[{"name":"%3","joinphrase":""}],)"
                               R"("cover-art-archive":{"front":%6},"media":[{"position":1,"format":"CD","discs":[{"id":"%7"}],)"
                               R"("tracks":[{"title":"%4 one"},{"title":"%4 two"}]},{"position":2,"format":"CD","discs":[],"tracks":[]}]})")
                    .arg(r ? "," : "", releases[r][0], releases[r][1], releases[r][2], releases[r][3],
                         r ? "true" : "false", id);
    return (json + "]}").toStdString();
}

}

TEST_F(CliProgramTest, LookupListsTheMatchesAndRipTakesTheChosenOne)
{
    folders.writeDisc("disc", {2, 3});
    HttpServer web;
    const QString id = musicBrainzIdOfFirstDrive(folders);
    ASSERT_FALSE(id.isEmpty());
    web.answer("/ws/2/discid/" + id.toStdString(), {200, twoReleases(id)});
    const QByteArray cover = noiseJpeg(32, 32);
    web.redirect("/release/aaaaaaaa-0000-4000-8000-000000000002/front-500", "/front.jpg");
    web.answer("/front.jpg", {200, cover.toStdString(), "image/jpeg"});
    IniFile settings(folders.paths.settingsFile());
    settings.writeString("LOOKUP", "MUSICBRAINZ_SERVER", web.url().c_str());
    settings.writeString("LOOKUP", "COVER_ART_SERVER", web.url().c_str());

    const CliResult list = cli.run({"lookup", "--source", "musicbrainz"});
    EXPECT_EQ(list.exitCode, 0) << list.errors.toStdString();
    EXPECT_EQ(list.out.toStdString(),
              "release  year  tracks  country  artist / album\n"
              "      1  1990       2  DE/CD    First Artist / First Album\n"
              "          1  First Album one\n"
              "          2  First Album two\n"
              "      2  2011       2  DE/CD    Second Artist / Second Album\n"
              "          1  Second Album one\n"
              "          2  Second Album two\n");

    const CliResult rip =
        cli.run({"rip", "--mp3", "--tracks", "2", "--lookup", "--source", "musicbrainz", "--release", "2"});
    EXPECT_EQ(rip.exitCode, 0) << rip.errors.toStdString();
    const QString album = folders.output + "/Second Artist/Second Album/";
    EXPECT_EQ(filesBelow(album),
              (QStringList{"02 - Second Album two.mp3", "Second Artist - Second Album.log", "cover.jpg"}));
    TagLib::MPEG::File file(QFile::encodeName(album + "02 - Second Album two.mp3").constData());
    ASSERT_TRUE(file.ID3v2Tag());
    EXPECT_EQ(file.ID3v2Tag()->title().to8Bit(true), "Second Album two");
    EXPECT_EQ(file.ID3v2Tag()->year(), 2011u);
    EXPECT_EQ(file.ID3v2Tag()->frameListMap()["TPOS"].front()->toString().to8Bit(), "1/2");
    EXPECT_EQ(file.ID3v2Tag()->frameListMap()["APIC"].size(), 1u);

    // A match that is not there ends the command before any rip.
    const CliResult third = cli.run({"rip", "--lookup", "--source", "musicbrainz", "--release", "3"});
    EXPECT_EQ(third.exitCode, 1);
    EXPECT_EQ(third.errors, "trackmill-cli: There is no match 3, there are 2\n");
}

TEST_F(CliProgramTest, LookupAtCddbAndWhenNothingIsFound)
{
    folders.writeDisc("disc", {2, 3});
    CddbServer cddb;
    cddb.setQueryAnswer(CddbServer::matchList(211, {"rock 12345678 Inexact / One", "jazz 12345679 Inexact / Two"}));
    IniFile settings(folders.paths.settingsFile());
    settings.writeString("CDDB", "SERVER", ("127.0.0.1:" + std::to_string(cddb.port())).c_str());
    settings.writeString("LOOKUP", "MUSICBRAINZ_SERVER", "http://127.0.0.1:9");

    const CliResult list = cli.run({"lookup", "--source", "cddb"});
    EXPECT_EQ(list.exitCode, 0) << list.errors.toStdString();
    EXPECT_EQ(list.out.toStdString(), "release  year  tracks  country  artist / album\n"
                                      "      1     -       -  rock     Inexact / One\n"
                                      "      2     -       -  jazz     Inexact / Two\n");

    cddb.setQueryAnswer("202 No match found.\r\n");
    const CliResult none = cli.run({"lookup", "--source", "cddb"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.errors, "trackmill-cli: No disc matches\n");
    const CliResult down = cli.run({"lookup", "--source", "musicbrainz"});
    EXPECT_EQ(down.exitCode, 1);
    EXPECT_TRUE(down.errors.startsWith("trackmill-cli: The lookup failed: ")) << down.errors.toStdString();
    // Nothing found for rip --lookup: the disc's own names, and the run goes on.
    const CliResult rip = cli.run({"rip", "--tracks", "1", "--lookup", "--source", "cddb"});
    EXPECT_EQ(rip.exitCode, 0) << rip.errors.toStdString();
    EXPECT_TRUE(rip.errors.contains("No disc matches"));
}
