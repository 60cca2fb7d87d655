// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/cliarguments.h"

#include <gtest/gtest.h>

using namespace trackmill::cli;
using Command = Arguments::Command;
using Format = Arguments::Format;

namespace {

ParseResult parse(const QString& line)
{
    return parseArguments(line.isEmpty() ? QStringList() : line.split(QLatin1Char(' ')));
}

}

TEST(CliArguments, GoodCommandLines)
{
    struct Case
    {
        const char* line;
        Command command;
        int drive;
        QList<int> tracks;
        Format format;
        bool onTheFly;
        const char* out;
        const char* settings;
    };
    const Case cases[] = {
        {"drives", Command::Drives, 1, {}, Format::Wav, false, "", ""},
        {"toc", Command::Toc, 1, {}, Format::Wav, false, "", ""},
        {"toc --drive 3", Command::Toc, 3, {}, Format::Wav, false, "", ""},
        {"toc --drive=8", Command::Toc, 8, {}, Format::Wav, false, "", ""},
        {"rip", Command::Rip, 1, {}, Format::Wav, false, "", ""},
        {"rip --tracks 1,3-5", Command::Rip, 1, {1, 3, 4, 5}, Format::Wav, false, "", ""},
        {"rip --tracks=5,2-3,3,99", Command::Rip, 1, {2, 3, 5, 99}, Format::Wav, false, "", ""},
        {"rip --mp3 --on-the-fly --out /tmp/x --settings a.ini", Command::Rip, 1, {}, Format::Mp3, true, "/tmp/x", "a.ini"},
        {"rip --on-the-fly --mp3 --drive 2", Command::Rip, 2, {}, Format::Mp3, true, "", ""},
        {"rip --wav --wav", Command::Rip, 1, {}, Format::Wav, false, "", ""},
        {"rip --flac", Command::Rip, 1, {}, Format::Flac, false, "", ""},
        {"rip --on-the-fly --flac --tracks 2", Command::Rip, 1, {2}, Format::Flac, true, "", ""},
        {"rip --out=a=b", Command::Rip, 1, {}, Format::Wav, false, "a=b", ""},
        // --help and --version win wherever they stand, even after a bad option.
        {"rip --bogus --help", Command::Help, 1, {}, Format::Wav, false, "", ""},
        {"--version", Command::Version, 1, {}, Format::Wav, false, "", ""},
        {"toc --version", Command::Version, 1, {}, Format::Wav, false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const ParseResult r = parse(QString::fromLatin1(c.line));
        ASSERT_TRUE(r.ok()) << r.error.toStdString();
        EXPECT_EQ(r.arguments.command, c.command);
        EXPECT_EQ(r.arguments.drive, c.drive);
        EXPECT_EQ(r.arguments.tracks, c.tracks);
        EXPECT_EQ(r.arguments.format, c.format);
        EXPECT_EQ(r.arguments.onTheFly, c.onTheFly);
        EXPECT_EQ(r.arguments.outputDirectory, QString::fromLatin1(c.out));
        EXPECT_EQ(r.arguments.settingsFile, QString::fromLatin1(c.settings));
    }
}

TEST(CliArguments, ReadModeOffsetAndAccuracy)
{
    ParseResult r = parse("rip --secure --offset -30 --require-accurate --secure");
    ASSERT_TRUE(r.ok()) << r.error.toStdString();
    EXPECT_EQ(r.arguments.readMode, Arguments::ReadMode::Secure);
    EXPECT_TRUE(r.arguments.offsetGiven);
    EXPECT_EQ(r.arguments.offset, -30);
    EXPECT_TRUE(r.arguments.requireAccurate);
    r = parse("rip --fast --offset=3000");
    ASSERT_TRUE(r.ok()) << r.error.toStdString();
    EXPECT_EQ(r.arguments.readMode, Arguments::ReadMode::Fast);
    EXPECT_EQ(r.arguments.offset, 3000);
    EXPECT_FALSE(r.arguments.requireAccurate);
    r = parse("rip");
    EXPECT_EQ(r.arguments.readMode, Arguments::ReadMode::Settings);
    EXPECT_FALSE(r.arguments.offsetGiven);
}

TEST(CliArguments, LookupAndItsOptions)
{
    using Source = Arguments::Source;
    struct Case
    {
        const char* line;
        Command command;
        Source source;
        bool lookup;
        int release;
    };
    const Case cases[] = {
        {"lookup", Command::Lookup, Source::Settings, false, 0},
        {"lookup --source musicbrainz --drive 2 --settings s.ini", Command::Lookup, Source::MusicBrainz, false, 0},
        {"lookup --source=cddb", Command::Lookup, Source::Cddb, false, 0},
        {"rip --lookup", Command::Rip, Source::Settings, true, 0},
        {"rip --lookup --release 2 --source musicbrainz", Command::Rip, Source::MusicBrainz, true, 2},
        {"rip --release=25 --lookup", Command::Rip, Source::Settings, true, 25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const ParseResult r = parse(QString::fromLatin1(c.line));
        ASSERT_TRUE(r.ok()) << r.error.toStdString();
        EXPECT_EQ(r.arguments.command, c.command);
        EXPECT_EQ(r.arguments.source, c.source);
        EXPECT_EQ(r.arguments.lookup, c.lookup);
        EXPECT_EQ(r.arguments.release, c.release);
    }
}

TEST(CliArguments, BadCommandLinesSayWhatIsWrong)
{
    struct Case
    {
        const char* line;
        const char* saying;  // part of the message
    };
    const Case cases[] = {
        {"", "no command"},
        {"dump", "unknown command \"dump\""},
        {"rip --bogus", "unknown option \"--bogus\""},
        {"drives --drive 1", "unknown option \"--drive\""},  // drives has no options
        {"toc --tracks 1", "unknown option \"--tracks\""},
        {"toc --mp3", "unknown option \"--mp3\""},
        {"rip --drive", "--drive needs a value"},
        {"rip --drive 0", "bad drive \"0\""},
        {"rip --drive 9", "bad drive \"9\""},
        {"rip --drive x", "bad drive \"x\""},
        {"rip --drive -1", "bad drive \"-1\""},
        {"rip --tracks", "--tracks needs a value"},
        {"rip --tracks=", "empty track list"},
        {"rip --tracks 0", "bad track \"0\""},
        {"rip --tracks 100", "bad track \"100\""},
        {"rip --tracks 1,,2", "bad track \"\""},
        {"rip --tracks 1,", "bad track \"\""},
        {"rip --tracks a", "bad track \"a\""},
        {"rip --tracks +3", "bad track \"+3\""},
        {"rip --tracks 5-2", "backward track range \"5-2\""},
        {"rip --tracks 1-", "bad track range \"1-\""},
        {"rip --tracks -3", "bad track range \"-3\""},
        {"rip --tracks 1-2-3", "bad track range \"1-2-3\""},
        {"rip --tracks 1-100", "bad track range \"1-100\""},
        {"rip --wav --mp3", "exclude each other"},
        {"rip --mp3 --flac", "exclude each other"},
        {"rip --flac --wav", "exclude each other"},
        {"rip --flac=1", "unknown option \"--flac=1\""},
        {"toc --flac", "unknown option \"--flac\""},
        {"rip --on-the-fly", "--on-the-fly needs --mp3 or --flac"},
        {"rip --on-the-fly --wav", "--on-the-fly needs --mp3 or --flac"},
        {"rip --on-the-fly=1 --mp3", "unknown option \"--on-the-fly=1\""},
        {"rip --out", "--out needs a value"},
        {"rip --out=", "--out needs a folder"},
        {"rip --settings=", "--settings needs a file"},
        {"rip extra", "unknown option \"extra\""},
        {"rip --secure --fast", "--secure and --fast exclude each other"},
        {"rip --offset", "--offset needs a value"},
        {"rip --offset 3001", "bad offset \"3001\""},
        {"rip --offset=-3001", "bad offset \"-3001\""},
        {"rip --offset 6x", "bad offset \"6x\""},
        {"toc --secure", "unknown option \"--secure\""},
        {"rip --require-accurate=1", "unknown option \"--require-accurate=1\""},
        {"lookup --source gnudb", "bad source \"gnudb\""},
        {"lookup --tracks 1", "unknown option \"--tracks\""},
        {"lookup --lookup", "unknown option \"--lookup\""},
        {"rip --release 2", "need --lookup"},
        {"rip --source cddb", "need --lookup"},
        {"rip --lookup --release 0", "bad release \"0\""},
        {"rip --lookup --release 26", "bad release \"26\""},
        {"rip --lookup=1", "unknown option \"--lookup=1\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const ParseResult r = parse(QString::fromLatin1(c.line));
        ASSERT_FALSE(r.ok());
        EXPECT_TRUE(r.error.contains(QString::fromLatin1(c.saying))) << r.error.toStdString();
        EXPECT_FALSE(r.error.contains(QLatin1Char('\n')));
    }
}

TEST(CliArguments, JobCount)
{
    const struct { const char* line; int jobs; const char* saying; } cases[] = {
        {"rip --mp3", 0, nullptr},
        {"rip --mp3 --jobs 3", 3, nullptr},
        {"rip --jobs=64 --mp3 --on-the-fly", 64, nullptr},
        {"rip --mp3 --jobs 1", 1, nullptr},
        {"rip --flac --jobs 2", 2, nullptr},
        {"rip --jobs 2", 0, "--jobs needs --mp3 or --flac"},
        {"rip --mp3 --jobs 0", 0, "bad job count \"0\" (1 to 64)"},
        {"rip --mp3 --jobs 65", 0, "bad job count \"65\""},
        {"rip --mp3 --jobs two", 0, "bad job count \"two\""},
        {"rip --mp3 --jobs", 0, "--jobs needs a value"},
        {"toc --jobs 2", 0, "unknown option \"--jobs\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const ParseResult r = parse(QString::fromLatin1(c.line));
        if (c.saying) {
            EXPECT_TRUE(r.error.contains(QString::fromLatin1(c.saying))) << r.error.toStdString();
        } else {
            ASSERT_TRUE(r.ok()) << r.error.toStdString();
            EXPECT_EQ(r.arguments.jobs, c.jobs);
        }
    }
}
