// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace trackmill::cli {

// What the command line asks for. Drives are numbered from 1 as
// `trackmill-cli drives` lists them; tracks as the disc numbers them.
struct Arguments
{
    enum class Command { Help, Version, Drives, Toc, Lookup, Rip };
    enum class Format { Wav, Mp3, Flac };
    enum class Source { Settings, Cddb, MusicBrainz };

    Command command = Command::Help;
    int drive = 1;
    QList<int> tracks;  // ascending, no repeats; empty: every audio track
    Format format = Format::Wav;
    bool onTheFly = false;
    // Encode jobs at once while the next track is read; 0: as the settings
    // file says (one per usable processor with its multi-processor box
    // ticked, one at a time without). 1 is one track at a time.
    int jobs = 0;
    QString outputDirectory;  // empty: the settings' output folder
    QString settingsFile;     // empty: Trackmill.INI beside the program
    enum class ReadMode { Settings, Secure, Fast };
    ReadMode readMode = ReadMode::Settings;
    bool offsetGiven = false;
    int offset = 0;               // samples, with offsetGiven
    bool requireAccurate = false; // a track not accurately ripped fails the run
    Source source = Source::Settings;  // lookup, rip --lookup: where names are looked up
    bool lookup = false;      // rip: look the disc up first and take a match's names
    int release = 0;          // rip --lookup: the match to take, 1-based; 0: the first
};

struct ParseResult
{
    Arguments arguments;
    // Empty when the command line is good; else one line saying what is wrong.
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// The arguments after the program's name.
ParseResult parseArguments(const QStringList& arguments);

// "1,3-5" -> 1, 3, 4, 5: numbers 1 to 99 and ascending ranges, separated
// by commas; repeats count once. Empty on error, with the reason in *error.
QList<int> parseTrackList(const QString& text, QString* error);

// The --help text.
QString usageText();

// Exit codes: 0 every track done, 1 the run or the disc failed (a read
// error too), 2 a bad command line, 3 with --require-accurate a track not
// accurately ripped, 130 interrupted (SIGINT or SIGTERM).
enum ExitCode { Success = 0, Failure = 1, UsageError = 2, NotAccurate = 3, Interrupted = 130 };

}
