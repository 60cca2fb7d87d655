// SPDX-License-Identifier: GPL-2.0-or-later
// The commands of the command-line ripper over the core: the same
// drives, Track list, settings, disc names, tag fields and run controller
// as the window program, reporting to the console.
#include "clisession.h"

#include "clilookup.h"
#include "consolerunview.h"
#include "consoletexts.h"
#include "interruptwatch.h"

#include "cd/akriplibrary.h"
#include "cd/cddrives.h"
#include "cd/drivelist.h"
#include "cd/tracklist.h"
#include "encoder/egogoteaerror.h"
#include "encoder/encoderpool.h"
#include "encoder/flactrackencoder.h"
#include "encoder/gogotea.h"
#include "encoder/gogotrackencoder.h"
#include "lang/languagechoice.h"
#include "lang/languagefile.h"
#include "lang/languagetexts.h"
#include "metadata/discid.h"
#include "metadata/disclookup.h"
#include "metadata/discnames.h"
#include "metadata/discstartnames.h"
#include "platform/hiddenlog.h"
#include "platform/inifile.h"
#include "platform/systemservices.h"
#include "rip/riprun.h"
#include "rip/runservices.h"
#include "rip/settingsnaming.h"
#include "secure/riplog.h"
#include "secure/securerun.h"
#include "settings/settings.h"
#include "tags/genrelist.h"
#include "tags/tagfields.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>

#include <memory>
#include <optional>

namespace trackmill::cli {

namespace {

// Logical block addressing of the TOC (parameter 36 = 0).
constexpr DWORD kLbaAddressing = 0;

void print(FILE* to, const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
    std::fflush(to);
}

// The console has no file dialogs: every choice is cancelled (the WAV
// files batch, which asks for files, is not offered on the command line).
class ConsoleShell final : public DesktopShell
{
public:
    QString selectDirectory(const QString&, const QString&) override { return {}; }
    QStringList selectFiles(const QString&, const QString&, const QString&) override { return {}; }
    void openUrl(const QString&) override {}
};

// Before an after-run action the window program keeps the settings and
// the names the user changed. The command line changes neither (its
// options override the file for the one run and are not to be stored, the
// names are the database's own) and runs no after-run action.
class NothingToKeep final : public RunPersistence
{
public:
    void saveSettings() override {}
    void storeDiscNames() override {}
};

// One track of the table of contents.
struct TocRow
{
    int number = 0;
    TrackList::TrackExtent extent;
};

// The drives, the disc in one of them and its Track list, as the main
// window holds them.
class Disc
{
public:
    Disc(const Environment& env, const ConsoleTexts& texts)
        : m_env(env)
        , m_texts(texts)
        , m_drives(m_library, m_log, m_driveList, CdDrives::Options{env.paths.discsDir(), env.listPhysicalDrives})
        , m_tracks(m_drives, m_log)
    {
        m_drives.GetListCDROM();
    }

    DriveList& driveList() { return m_driveList; }
    CdDrives& drives() { return m_drives; }
    TrackList& tracks() { return m_tracks; }
    HiddenLog& log() { return m_log; }

    // Opens drive `number` (1-based) and reads its disc. False with the
    // reason when there is no such drive.
    bool open(int number, QString* error)
    {
        if (number > m_driveList.count()) {
            *error = m_driveList.count() == 0 ? m_texts.noDrive.arg(m_env.paths.discsDir())
                                              : m_texts.noSuchDrive.arg(number).arg(m_driveList.count());
            return false;
        }
        m_drives.FGetCloseHandle();
        m_driveList.setSelectedIndex(number - 1);
        m_drives.openSelectedDrive();
        m_tracks.GetCDTOC();
        return true;
    }

    // The tracks of the open drive's disc; empty without one.
    QList<TocRow> rows()
    {
        QList<TocRow> rows;
        TOC toc;
        if (!m_drives.readToc(toc, kLbaAddressing))
            return rows;
        for (int n = 1; n < m_tracks.RowCount(); ++n) {
            TocRow row;
            row.number = n;
            if (TrackList::trackExtent(toc, n, row.extent))
                rows.append(row);
        }
        return rows;
    }

    // The CDDB disc id from the TOC in block addresses; every track counts.
    std::optional<QString> cddbId()
    {
        TOC toc;
        if (!m_drives.readToc(toc, kLbaAddressing) || toc.lastTrack < toc.firstTrack)
            return std::nullopt;
        const auto address = [](const TOCTRACK& t) {
            return qint64((quint32(t.addr[0]) << 24) | (quint32(t.addr[1]) << 16) | (quint32(t.addr[2]) << 8) | t.addr[3]);
        };
        const int count = toc.lastTrack - toc.firstTrack + 1;
        if (count >= TRACKS_PER_DISK)
            return std::nullopt;
        QList<qint64> starts;
        for (int i = 0; i < count; ++i)
            starts.append(address(toc.tracks[i]));
        return cddbDiscId(starts, address(toc.tracks[count]));
    }

    QString drivePath(int index) const { return m_drives.DetectCD().value(index); }

private:
    const Environment& m_env;
    const ConsoleTexts& m_texts;
    HiddenLog m_log;
    DriveList m_driveList;
    AkripLibrary m_library;
    CdDrives m_drives;
    TrackList m_tracks;
};

int listDrives(const Environment& env, const ConsoleTexts& texts)
{
    Disc disc(env, texts);
    const DriveList& list = disc.driveList();
    const QStringList paths = disc.drives().DetectCD();
    if (list.count() == 0) {
        print(env.errors, QStringLiteral("trackmill-cli: ") + texts.noDrive.arg(env.paths.discsDir()) + QLatin1Char('\n'));
        return Failure;
    }
    for (int i = 0; i < list.count(); ++i)
        print(env.out, QStringLiteral("%1  %2  %3\n").arg(i + 1).arg(list.identifications().at(i).trimmed(), paths.value(i)));
    return Success;
}

int printToc(const Arguments& args, const Environment& env, const ConsoleTexts& texts)
{
    Disc disc(env, texts);
    QString error;
    if (!disc.open(args.drive, &error)) {
        print(env.errors, QStringLiteral("trackmill-cli: ") + error + QLatin1Char('\n'));
        return Failure;
    }
    const QList<TocRow> rows = disc.rows();
    if (rows.isEmpty()) {
        print(env.errors, QStringLiteral("trackmill-cli: ") + texts.noDisc.arg(args.drive) + QLatin1Char('\n'));
        return Failure;
    }
    print(env.out, QStringLiteral("track     start    length   time  type\n"));
    for (const TocRow& row : rows) {
        const bool audio = TrackList::kindOf(row.extent.control) == TrackList::TrackKind::Audio;
        print(env.out, QStringLiteral("%1  %2  %3  %4  %5\n")
                           .arg(row.number, 5)
                           .arg(row.extent.start, 8)
                           .arg(row.extent.length, 8)
                           .arg(TrackList::timeText(row.extent.length), 5)
                           .arg(audio ? QStringLiteral("audio") : QStringLiteral("data")));
    }
    if (const std::optional<QString> id = disc.cddbId())
        print(env.out, QStringLiteral("CDDB disc id: %1\n").arg(*id));
    if (const std::optional<QString> id = cdPlayerDiscIdOfDrive(disc.drives()))
        print(env.out, QStringLiteral("CDPLAYER.INI section: %1\n").arg(*id));
    return Success;
}

// The settings file of a command: the one named, else the program's;
// nothing, with the message printed, when it is missing.
std::optional<QString> settingsFileOf(const Arguments& args, const Environment& env)
{
    const QString settingsFile = args.settingsFile.isEmpty() ? env.paths.settingsFile() : args.settingsFile;
    if (QFileInfo(settingsFile).isFile())
        return settingsFile;
    const ConsoleTexts texts = ConsoleTexts::forSettings(env.paths.settingsFile(), env.paths.languagesDir());
    print(env.errors, QStringLiteral("trackmill-cli: ") + texts.noSettingsFile.arg(settingsFile) + QLatin1Char('\n'));
    return std::nullopt;
}

int lookUp(const Arguments& args, const Environment& env)
{
    const std::optional<QString> settingsFile = settingsFileOf(args, env);
    if (!settingsFile)
        return Failure;
    const ConsoleTexts texts = ConsoleTexts::forSettings(*settingsFile, env.paths.languagesDir());
    Settings settings;
    settings.load(IniFile(*settingsFile), env.paths.programDir);
    Disc disc(env, texts);
    QString error;
    if (!disc.open(args.drive, &error)) {
        print(env.errors, QStringLiteral("trackmill-cli: ") + error + QLatin1Char('\n'));
        return Failure;
    }
    if (!disc.tracks().CD()) {
        print(env.errors, QStringLiteral("trackmill-cli: ") + texts.noAudioDisc.arg(args.drive) + QLatin1Char('\n'));
        return Failure;
    }
    ConsoleLookup lookup(disc.drives(), disc.tracks(), disc.log(), settings, args.source);
    QString why;
    const LookupAnswer answer = lookup.find(&why);
    switch (answer.outcome) {
    case LookupAnswer::Outcome::Found:
        print(env.out, ConsoleLookup::table(answer.candidates));
        return Success;
    case LookupAnswer::Outcome::NotFound:
        print(env.errors, QStringLiteral("trackmill-cli: ") + texts.noMatch + QLatin1Char('\n'));
        return Failure;
    case LookupAnswer::Outcome::Cancelled:
        print(env.errors, QStringLiteral("trackmill-cli: ") + texts.interrupted + QLatin1Char('\n'));
        return Interrupted;
    case LookupAnswer::Outcome::Failed:
        break;
    }
    print(env.errors, QStringLiteral("trackmill-cli: ") + texts.lookupFailed.arg(why) + QLatin1Char('\n'));
    return Failure;
}

// rip --lookup: the chosen match's names, year, disc number and cover into
// the disc's names and tags before the run. Nothing found leaves the
// disc's own names (said on the error output); a match that is not there
// or an interrupt ends the command (the exit code answered).
std::optional<int> takeLookedUpNames(const Arguments& args, const Environment& env, const ConsoleTexts& texts,
                                     const Settings& settings, CdDrives& drives, TrackList& tracks, HiddenLog& log,
                                     DiscNames& names, TagFields& tags)
{
    ConsoleLookup lookup(drives, tracks, log, settings, args.source);
    QString why;
    const LookupAnswer answer = lookup.find(&why);
    if (answer.outcome == LookupAnswer::Outcome::Cancelled) {
        print(env.errors, QStringLiteral("trackmill-cli: ") + texts.interrupted + QLatin1Char('\n'));
        return Interrupted;
    }
    if (answer.outcome != LookupAnswer::Outcome::Found) {
        print(env.errors, QStringLiteral("trackmill-cli: ")
                              + (answer.outcome == LookupAnswer::Outcome::NotFound ? texts.noMatch
                                                                                    : texts.lookupFailed.arg(why))
                              + QLatin1Char('\n'));
        return args.release > 0 ? std::optional<int>(Failure) : std::nullopt;
    }
    const int index = qMax(1, args.release) - 1;
    if (index >= answer.candidates.size()) {
        print(env.errors, QStringLiteral("trackmill-cli: ")
                              + texts.noSuchRelease.arg(index + 1).arg(answer.candidates.size()) + QLatin1Char('\n'));
        return Failure;
    }
    const std::optional<LookupCandidate> chosen = lookup.complete(answer.candidates[index], &why);
    if (!chosen) {
        print(env.errors, QStringLiteral("trackmill-cli: ") + texts.lookupFailed.arg(why) + QLatin1Char('\n'));
        return Failure;
    }
    applyLookupCandidate(*chosen, names, tracks, tags);
    if (const std::optional<CoverArt> cover = lookup.cover(*chosen))
        names.setCover(*cover);
    // The tag fields start again from the names taken, as in the window.
    tags.initialize(names.artist(), names.album());
    return std::nullopt;
}

// The language the settings file names (English when its file is
// missing): the texts of the run's lines and boxes.
LanguageTexts languageTexts(const QString& settingsFile, const QString& languagesDir)
{
    const StartupLanguage language = startupLanguage(settingsFile, languagesDir);
    const QString name = (language.applyFile ? language.marked.name : QStringLiteral("English")) + QStringLiteral(".LNG");
    return LanguageTexts::fromFile(LanguageFile::open(languagesDir, name));
}

// The table of the tracks' results (English: scripts read it); answers how
// many were accurately ripped.
int printTrackResults(const Environment& env, const SecureRun& secure)
{
    if (secure.tracks().empty())
        return 0;
    const auto hex = [](quint32 v) { return QStringLiteral("%1").arg(v, 8, 16, QLatin1Char('0')).toUpper(); };
    QString table = QStringLiteral("Track  CRC32     AR v1     AR v2     Re-reads  Repairs  Skips  Result\n");
    for (const auto& [number, t] : secure.tracks()) {
        table += QStringLiteral("%1  %2  %3  %4  %5  %6  %7  %8\n")
                     .arg(number, 5)
                     .arg(hex(t.crc32), hex(t.accurateRipV1), hex(t.accurateRipV2))
                     .arg(t.rereads, 8)
                     .arg(t.repairs, 7)
                     .arg(t.skips, 5)
                     .arg(RipLog::result(t));
    }
    print(env.out, table);
    return secure.accurateTracks();
}

// An aborted track leaves no file behind: the WAV file of a stopped read
// has a repaired header and an MP3 encoder's partial output is a playable
// file, both would pass for the whole track. Only the aborted product goes:
// a WAV file between rip and encode is the run's own hidden one and gone
// already, and a file of the same track from before the run is the user's.
void removeAbortedProducts(const QList<RipRun::TrackReport>& reports)
{
    for (const RipRun::TrackReport& report : reports) {
        if (report.result == RipRun::TrackReport::Result::Aborted && !report.file.isEmpty())
            QFile::remove(report.file);
    }
}

int rip(const Arguments& args, const Environment& env)
{
    const std::optional<QString> settingsPath = settingsFileOf(args, env);
    if (!settingsPath)
        return Failure;
    const QString& settingsFile = *settingsPath;
    // The language of this settings file speaks for the run.
    const ConsoleTexts texts = ConsoleTexts::forSettings(settingsFile, env.paths.languagesDir());
    const IniFile settingsIni(settingsFile);
    Settings settings;
    settings.load(settingsIni, env.paths.programDir);
    // The command line's choices for this run; the file is not changed.
    settings.encodeWavToMp3 = false;
    settings.afterExecute = 0;
    settings.preventScreensaver = false;
    if (args.format != Arguments::Format::Wav && args.onTheFly)
        settings.onTheFly = true;
    if (args.readMode != Arguments::ReadMode::Settings)
        settings.readMode = args.readMode == Arguments::ReadMode::Secure ? 0 : 1;
    if (args.offsetGiven)
        settings.readOffset = args.offset;
    if (!args.outputDirectory.isEmpty()) {
        // A folder named on the command line is made when missing; the
        // run's own check then tells whether it can be used.
        QString out = QDir(args.outputDirectory).absolutePath();
        QDir().mkpath(out);
        settings.directoryMp3 = out.endsWith(QLatin1Char('/')) ? out : out + QLatin1Char('/');
    }

    Disc disc(env, texts);
    QString error;
    if (!disc.open(args.drive, &error)) {
        print(env.errors, QStringLiteral("trackmill-cli: ") + error + QLatin1Char('\n'));
        return Failure;
    }
    TrackList& tracks = disc.tracks();
    if (!tracks.CD()) {
        print(env.errors, QStringLiteral("trackmill-cli: ") + texts.noAudioDisc.arg(args.drive) + QLatin1Char('\n'));
        return Failure;
    }

    // The tracks to rip: those asked for, else every audio track.
    const QList<TocRow> rows = disc.rows();
    tracks.CheckOrNotAllTracks(tracks.RowCount() - 1, QLatin1Char('0'));
    QList<int> wanted = args.tracks;
    if (wanted.isEmpty())
        for (const TocRow& row : rows)
            if (TrackList::kindOf(row.extent.control) == TrackList::TrackKind::Audio)
                wanted.append(row.number);
    for (int n : wanted) {
        const auto row = std::find_if(rows.begin(), rows.end(), [n](const TocRow& r) { return r.number == n; });
        if (row == rows.end()) {
            print(env.errors, QStringLiteral("trackmill-cli: ") + texts.noSuchTrack.arg(n).arg(rows.size()) + QLatin1Char('\n'));
            return UsageError;
        }
        if (TrackList::kindOf(row->extent.control) != TrackList::TrackKind::Audio) {
            print(env.errors, QStringLiteral("trackmill-cli: ") + texts.dataTrack.arg(n) + QLatin1Char('\n'));
            return UsageError;
        }
        tracks.setSelection(n, true);
    }

    // The names and tags the program starts this disc with.
    GenreList genres;
    DiscNames names;
    TagFields tags(genres);
    tags.setUseId3v1(settings.useId3v1);
    tags.setUseId3v2(settings.useId3v2);
    const bool useDatabase = settingsIni.readBool("MAIN", "USECDPLAYERINI", true);
    if (const auto start = readDiscStartNames(disc.drives(), tracks, env.paths.cdPlayerIni(), useDatabase))
        applyDiscStartNames(*start, names, tracks, tags);
    else
        applyDiscStartNames(DiscStartNames{false, {}, {}, {}, GenreList::PopPosition, {}}, names, tracks, tags);
    if (args.lookup) {
        if (const std::optional<int> end =
                takeLookedUpNames(args, env, texts, settings, disc.drives(), tracks, disc.log(), names, tags))
            return *end;
    }

    std::unique_ptr<TGogoTea> tea;
    std::unique_ptr<TrackEncoder> encoder;
    std::unique_ptr<TrackEncoder> flacEncoder;
    if (args.format == Arguments::Format::Flac)
        flacEncoder = std::make_unique<FlacTrackEncoder>(settings);
    if (args.format == Arguments::Format::Mp3) {
        try {
            tea = std::make_unique<TGogoTea>(GogoLibrarySource::forProgram(env.paths));
        } catch (const EGogoTeaError& e) {
            print(env.errors, QStringLiteral("trackmill-cli: ") + texts.noEncoder.arg(e.message()) + QLatin1Char('\n'));
            return Failure;
        }
        encoder = std::make_unique<GogoTrackEncoder>(*tea, settings, disc.log());
    }
    // Several jobs at once: each further encoder has a component (MP3) or
    // worker thread (FLAC) of its own, made when a job first needs it.
    std::unique_ptr<EncoderPool> mp3Pool;
    std::unique_ptr<EncoderPool> flacPool;
    if (encoder) {
        mp3Pool = std::make_unique<EncoderPool>(*encoder, [&env, &settings, &disc]() -> std::unique_ptr<TrackEncoder> {
            try {
                return GogoTrackEncoder::withOwnComponent(GogoLibrarySource::forProgram(env.paths), settings, disc.log());
            } catch (const EGogoTeaError& e) {
                disc.log().add(e.message());
                return nullptr;
            }
        });
    }
    if (flacEncoder)
        flacPool = std::make_unique<EncoderPool>(*flacEncoder, [&settings] { return std::make_unique<FlacTrackEncoder>(settings); });

    const LanguageTexts runTexts = languageTexts(settingsFile, env.paths.languagesDir());
    ConsoleRunView view(env.out, env.terminal, texts);
    ConsoleMessageBoxes boxes(view, env.errors);
    ConsoleShell shell;
    NothingToKeep persistence;
    SettingsNaming naming(settings);
    RipRun run(RipRun::Collaborators{tracks, disc.drives(), disc.driveList(), disc.drives(), settings, naming, names,
                                     tags, runTexts, disc.log(), boxes, env.system, shell, persistence, encoder.get(),
                                     flacEncoder.get(), {}, mp3Pool.get(), flacPool.get()},
               view);
    run.setJobs(args.jobs);
    QObject::connect(&run, &RipRun::trackFinished, &run, [&view](const RipRun::TrackReport& r) { view.trackFinished(r); });

    bool interrupted = false;
    InterruptWatch watch([&] {
        interrupted = true;
        run.AbortRipping();
    });

    QEventLoop loop;
    QObject::connect(&run, &RipRun::runEnded, &loop, &QEventLoop::quit);
    switch (args.format) {
    case Arguments::Format::Mp3: run.MP3Click(); break;
    case Arguments::Format::Flac: run.FLACClick(); break;
    case Arguments::Format::Wav: run.WAVClick(); break;
    }
    if (run.running())
        loop.exec();
    // The last job's end is in: no encoder output is still being written.
    TrackEncoder* used = encoder ? encoder.get() : flacEncoder.get();
    EncoderPool* pool = mp3Pool ? mp3Pool.get() : flacPool.get();
    while ((used && used->isEncoding()) || (pool && pool->running() > 0))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);

    removeAbortedProducts(run.reports());
    view.hideProgress();
    const int accurate = printTrackResults(env, run.secureRun());
    if (interrupted) {
        print(env.errors, QStringLiteral("trackmill-cli: ") + texts.interrupted + QLatin1Char('\n'));
        return Interrupted;
    }
    int done = 0;
    for (const RipRun::TrackReport& report : run.reports()) {
        if (report.result == RipRun::TrackReport::Result::Done)
            ++done;
    }
    if (done == wanted.size())
        return args.requireAccurate && accurate < done ? NotAccurate : Success;
    QString reason = boxes.lastProblem();
    if (reason.isEmpty())
        reason = texts.tracksDone.arg(done).arg(wanted.size());
    print(env.errors, QStringLiteral("trackmill-cli: ") + texts.runFailed.arg(reason) + QLatin1Char('\n'));
    return Failure;
}

}

int run(const QStringList& arguments, const Environment& env)
{
    const ParseResult parsed = parseArguments(arguments);
    if (!parsed.ok()) {
        print(env.errors, QStringLiteral("trackmill-cli: ") + parsed.error + QLatin1Char('\n'));
        return UsageError;
    }
    const Arguments& args = parsed.arguments;
    switch (args.command) {
    case Arguments::Command::Help:
        print(env.out, usageText());
        return Success;
    case Arguments::Command::Version:
        print(env.out, QStringLiteral("trackmill-cli %1\n").arg(QCoreApplication::applicationVersion()));
        return Success;
    case Arguments::Command::Drives:
        return listDrives(env, ConsoleTexts::forSettings(env.paths.settingsFile(), env.paths.languagesDir()));
    case Arguments::Command::Toc:
        return printToc(args, env, ConsoleTexts::forSettings(env.paths.settingsFile(), env.paths.languagesDir()));
    case Arguments::Command::Lookup:
        return lookUp(args, env);
    case Arguments::Command::Rip:
        return rip(args, env);
    }
    return UsageError;
}

}
