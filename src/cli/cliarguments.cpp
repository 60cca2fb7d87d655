// SPDX-License-Identifier: GPL-2.0-or-later
#include "cliarguments.h"

#include <algorithm>
#include <optional>

namespace trackmill::cli {

namespace {

constexpr int kMaxTrack = 99;
constexpr int kMaxDrive = 8;  // the ripping library lists at most 8
constexpr int kMaxJobs = 64;

bool toNumber(const QString& text, int low, int high, int* value)
{
    // Digits only: no sign, no blanks, no "0x".
    if (text.isEmpty() || text.size() > 3 || !std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit() && c.unicode() < 128; }))
        return false;
    *value = text.toInt();
    return *value >= low && *value <= high;
}

std::optional<Arguments::Format> formatOption(const QString& option)
{
    if (option == QLatin1String("--wav"))
        return Arguments::Format::Wav;
    if (option == QLatin1String("--mp3"))
        return Arguments::Format::Mp3;
    if (option == QLatin1String("--flac"))
        return Arguments::Format::Flac;
    return std::nullopt;
}

}

QList<int> parseTrackList(const QString& text, QString* error)
{
    QList<int> tracks;
    const auto fail = [&](const QString& why) {
        *error = why;
        return QList<int>();
    };
    if (text.isEmpty())
        return fail(QStringLiteral("empty track list"));
    for (const QString& item : text.split(QLatin1Char(','))) {
        const qsizetype dash = item.indexOf(QLatin1Char('-'));
        int first = 0;
        int last = 0;
        if (dash < 0) {
            if (!toNumber(item, 1, kMaxTrack, &first))
                return fail(QStringLiteral("bad track \"%1\" (tracks are 1 to %2)").arg(item).arg(kMaxTrack));
            last = first;
        } else {
            if (!toNumber(item.left(dash), 1, kMaxTrack, &first) || !toNumber(item.mid(dash + 1), 1, kMaxTrack, &last))
                return fail(QStringLiteral("bad track range \"%1\" (tracks are 1 to %2)").arg(item).arg(kMaxTrack));
            if (last < first)
                return fail(QStringLiteral("backward track range \"%1\"").arg(item));
        }
        for (int n = first; n <= last; ++n)
            tracks.append(n);
    }
    std::sort(tracks.begin(), tracks.end());
    tracks.erase(std::unique(tracks.begin(), tracks.end()), tracks.end());
    return tracks;
}

ParseResult parseArguments(const QStringList& arguments)
{
    ParseResult result;
    Arguments& a = result.arguments;
    if (arguments.isEmpty()) {
        result.error = QStringLiteral("no command given (try --help)");
        return result;
    }
    // --help and --version stand for themselves wherever they are.
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        a.command = Arguments::Command::Help;
        return result;
    }
    if (arguments.contains(QStringLiteral("--version"))) {
        a.command = Arguments::Command::Version;
        return result;
    }

    const QString& command = arguments.first();
    if (command == QLatin1String("drives"))
        a.command = Arguments::Command::Drives;
    else if (command == QLatin1String("toc"))
        a.command = Arguments::Command::Toc;
    else if (command == QLatin1String("rip"))
        a.command = Arguments::Command::Rip;
    else if (command == QLatin1String("lookup"))
        a.command = Arguments::Command::Lookup;
    else {
        result.error = QStringLiteral("unknown command \"%1\" (try --help)").arg(command);
        return result;
    }

    bool formatGiven = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        QString option = arguments.at(i);
        QString value;
        bool inlineValue = false;
        // --option=value as well as --option value.
        if (const qsizetype eq = option.indexOf(QLatin1Char('=')); option.startsWith(QLatin1String("--")) && eq > 0) {
            value = option.mid(eq + 1);
            option.truncate(eq);
            inlineValue = true;
        }
        const auto takeValue = [&]() -> bool {
            if (inlineValue)
                return true;
            if (i + 1 >= arguments.size()) {
                result.error = QStringLiteral("%1 needs a value").arg(option);
                return false;
            }
            value = arguments.at(++i);
            return true;
        };
        const bool forToc = a.command != Arguments::Command::Drives;
        const bool forRip = a.command == Arguments::Command::Rip;
        const bool forLookup = a.command == Arguments::Command::Lookup;
        if (option == QLatin1String("--drive") && forToc) {
            if (!takeValue())
                return result;
            if (!toNumber(value, 1, kMaxDrive, &a.drive)) {
                result.error = QStringLiteral("bad drive \"%1\" (drives are 1 to %2, see \"drives\")").arg(value).arg(kMaxDrive);
                return result;
            }
        } else if (option == QLatin1String("--tracks") && forRip) {
            if (!takeValue())
                return result;
            QString why;
            a.tracks = parseTrackList(value, &why);
            if (a.tracks.isEmpty()) {
                result.error = QStringLiteral("--tracks: ") + why;
                return result;
            }
        } else if (const std::optional<Arguments::Format> format = formatOption(option); format && forRip && !inlineValue) {
            if (formatGiven && *format != a.format) {
                result.error = QStringLiteral("--wav, --mp3 and --flac exclude each other");
                return result;
            }
            formatGiven = true;
            a.format = *format;
        } else if ((option == QLatin1String("--secure") || option == QLatin1String("--fast")) && forRip && !inlineValue) {
            const auto mode = option == QLatin1String("--secure") ? Arguments::ReadMode::Secure : Arguments::ReadMode::Fast;
            if (a.readMode != Arguments::ReadMode::Settings && a.readMode != mode) {
                result.error = QStringLiteral("--secure and --fast exclude each other");
                return result;
            }
            a.readMode = mode;
        } else if (option == QLatin1String("--offset") && forRip) {
            if (!takeValue())
                return result;
            bool number = false;
            a.offset = value.toInt(&number);
            if (!number || a.offset < -3000 || a.offset > 3000) {
                result.error = QStringLiteral("bad offset \"%1\" (samples, -3000 to 3000)").arg(value);
                return result;
            }
            a.offsetGiven = true;
        } else if (option == QLatin1String("--require-accurate") && forRip && !inlineValue) {
            a.requireAccurate = true;
        } else if (option == QLatin1String("--on-the-fly") && forRip && !inlineValue) {
            a.onTheFly = true;
        } else if (option == QLatin1String("--jobs") && forRip) {
            if (!takeValue())
                return result;
            if (!toNumber(value, 1, kMaxJobs, &a.jobs)) {
                result.error = QStringLiteral("bad job count \"%1\" (1 to %2)").arg(value).arg(kMaxJobs);
                return result;
            }
        } else if (option == QLatin1String("--out") && forRip) {
            if (!takeValue())
                return result;
            if (value.isEmpty()) {
                result.error = QStringLiteral("--out needs a folder");
                return result;
            }
            a.outputDirectory = value;
        } else if (option == QLatin1String("--source") && (forRip || forLookup)) {
            if (!takeValue())
                return result;
            if (value == QLatin1String("cddb"))
                a.source = Arguments::Source::Cddb;
            else if (value == QLatin1String("musicbrainz"))
                a.source = Arguments::Source::MusicBrainz;
            else {
                result.error = QStringLiteral("bad source \"%1\" (cddb or musicbrainz)").arg(value);
                return result;
            }
        } else if (option == QLatin1String("--lookup") && forRip && !inlineValue) {
            a.lookup = true;
        } else if (option == QLatin1String("--release") && forRip) {
            if (!takeValue())
                return result;
            if (!toNumber(value, 1, 25, &a.release)) {
                result.error = QStringLiteral("bad release \"%1\" (1 to 25, as \"lookup\" numbers them)").arg(value);
                return result;
            }
        } else if (option == QLatin1String("--settings") && (forRip || forLookup)) {
            if (!takeValue())
                return result;
            if (value.isEmpty()) {
                result.error = QStringLiteral("--settings needs a file");
                return result;
            }
            a.settingsFile = value;
        } else {
            result.error = QStringLiteral("unknown option \"%1\" for \"%2\" (try --help)").arg(arguments.at(i), command);
            return result;
        }
    }
    if (a.onTheFly && a.format == Arguments::Format::Wav) {
        result.error = QStringLiteral("--on-the-fly needs --mp3 or --flac");
        return result;
    }
    if (a.command == Arguments::Command::Rip && !a.lookup && (a.release > 0 || a.source != Arguments::Source::Settings)) {
        result.error = QStringLiteral("--release and --source need --lookup");
        return result;
    }
    if (a.jobs > 0 && a.format == Arguments::Format::Wav) {
        result.error = QStringLiteral("--jobs needs --mp3 or --flac");
        return result;
    }
    return result;
}

QString usageText()
{
    return QStringLiteral(
        "Usage: trackmill-cli <command> [options]\n"
        "\n"
        "Commands:\n"
        "  drives                 list the drives: physical drives, then the disc images\n"
        "                         of the Discs folder beside the program\n"
        "  toc [--drive N]        the tracks of the disc (number, start and length in\n"
        "                         sectors, play time, audio or data) and its disc ids\n"
        "  lookup [options]       look the disc up and list the matches: number, year,\n"
        "                         track count, country or category, artist / album,\n"
        "                         then the track names of each match that has them\n"
        "  rip [options]          rip tracks as the program's WAV, MP3 or FLAC button\n"
        "                         does, with its naming, tags and settings file\n"
        "\n"
        "Options of lookup:\n"
        "  --drive N              the drive as \"drives\" numbers it (default 1)\n"
        "  --source S             cddb or musicbrainz (default: the settings file's)\n"
        "  --settings FILE        a settings file instead of Trackmill.INI beside the program\n"
        "\n"
        "Options of rip:\n"
        "  --drive N              the drive as \"drives\" numbers it (default 1)\n"
        "  --tracks LIST          tracks such as 1,3-5 (default: every audio track)\n"
        "  --wav | --mp3 | --flac WAV files (default), MP3 files or FLAC files (the\n"
        "                         level and verify of the settings file's [FLAC])\n"
        "  --on-the-fly           with --mp3 or --flac: encode while reading, no WAV\n"
        "                         file between\n"
        "                         (without it the settings file decides)\n"
        "  --jobs N               with --mp3 or --flac: up to N tracks encoded at once\n"
        "                         while the next is read (default: one per usable\n"
        "                         processor when the settings' multi-processor box is\n"
        "                         ticked); 1: one track after the other\n"
        "  --out DIR              the output folder instead of the settings' one (made\n"
        "                         when missing)\n"
        "  --settings FILE        a settings file instead of Trackmill.INI beside the program\n"
        "  --secure | --fast      verified reads with error correction, or each sector\n"
        "                         read once (default: the settings file decides)\n"
        "  --offset N             the drive's read offset in samples, -3000 to 3000\n"
        "                         (disc images are always read with 0)\n"
        "  --require-accurate     fail unless every track is accurately ripped\n"
        "                         (AccurateRip)\n"
        "  --lookup               look the disc up first and take the names, year, disc\n"
        "                         number and cover of the first match\n"
        "  --release N            with --lookup: take match N as \"lookup\" lists it\n"
        "  --source S             with --lookup: cddb or musicbrainz\n"
        "\n"
        "  --help                 this text\n"
        "  --version              the program's version\n"
        "\n"
        "Exit codes: 0 every track done, 1 a failure (a read error too), 2 a bad\n"
        "command line, 3 a track not accurately ripped (--require-accurate),\n"
        "130 interrupted.\n");
}

}
