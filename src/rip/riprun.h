// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "batchfigures.h"
#include "grabtimetable.h"
#include "runviewobserver.h"
#include "tickclock.h"
#include "timefigures.h"
#include "trackripper.h"

#include "encoder/trackencoder.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>

namespace trackmill {

class AudioSink;
class CdDrives;
class DesktopShell;
class DiscNames;
class DriveList;
class DriveTray;
class EncoderPool;
class HiddenLog;
class MessageBoxes;
class NamingSource;
class OutputNaming;
class RunPersistence;
class RunView;
class SecureRun;
class Settings;
class SystemServices;
class TagFields;
class TrackEncoder;
class TrackList;
struct EncoderFigures;
struct LanguageTexts;
struct TagSources;
struct TrackToTag;

// The run controller: one press of WAV, MP3 or FLAC from its checks to its
// end. The command chooses the run's output; MP3 and FLAC runs go the same
// way, each with its own encoder.
// It rips the selected tracks one after another on the thread it lives on
// (the window thread), letting events through between reads, and takes each
// track down one pipeline:
//
//   read    the ripper reads the track into its sinks: the WAV file, or on
//           the fly the encoder's input
//   encode  an encoder job turns the WAV file into the output format (rip
//           then encode; on the fly the job ran during the read); a FLAC
//           job writes the track's Vorbis comments into its file
//   finish  ID3 tags of an MP3 file, the intermediate WAV file removed when
//           asked, the track's result in the grid's Information column
//
// and ends every run in one place: the finish box or the after-run action,
// the screen saver back on, the eject, the windows given back. The WAV
// files batch runs the encode and finish steps over files chosen from disk.
//
// Everything a run shows goes to the RunView, the boxes and the Track list;
// the settings are read, never written: the output folder of the disc (the
// root with the artist and album sub-directories) is the run's own.
class RipRun : public QObject
{
    Q_OBJECT
public:
    struct Collaborators
    {
        TrackList& tracks;
        CdDrives& drives;
        DriveList& driveList;
        DriveTray& tray;
        const Settings& settings;
        const NamingSource& naming;
        DiscNames& names;
        TagFields& tags;
        // The current language's texts, read at the moment of use.
        const LanguageTexts& texts;
        HiddenLog& log;
        MessageBoxes& boxes;
        SystemServices& system;
        DesktopShell& shell;
        RunPersistence& persistence;
        // MP3 jobs; null without an encoder library: the MP3 command does nothing.
        TrackEncoder* encoder = nullptr;
        // FLAC jobs; null: the FLAC command does nothing.
        TrackEncoder* flacEncoder = nullptr;
        TickClock clock;
        // Several jobs at once of each format; the pool's first encoder is
        // `encoder` (`flacEncoder`). Null: one job at a time.
        EncoderPool* mp3Pool = nullptr;
        EncoderPool* flacPool = nullptr;
    };

    // What a run makes: WAV files only, or files of an encoder.
    enum class Output { Wav, Mp3, Flac };

    enum class Mode {
        Wav,           // rip only
        RipThenEncode, // rip a track, encode its WAV file, then the next track
        OnTheFly,      // rip and encode at once
        WavFiles,      // encode WAV files chosen from disk
    };

    // How one track (or file) of a run ended, for those who report it
    // (the command-line ripper).
    struct TrackReport
    {
        enum class Result { Done, Aborted, Failed };
        int track = 0;  // the grid row; the file index in a WAV files batch
        Result result = Result::Done;
        QString file;     // the product: the WAV, MP3 ... file
        QString message;  // the failure, when it failed
    };

    RipRun(Collaborators collaborators, RunView& view, QObject* parent = nullptr);
    ~RipRun() override;

    // Where the run reports from now on (tests put a recorder in front of
    // the windows).
    void setView(RunView& view);
    RunView& view() const { return *m_view; }

    // The WAV command: returns when the run is over.
    void WAVClick();
    // The MP3 command: rips and encodes (rip then encode, or on the fly),
    // or encodes WAV files from disk, as the settings say. Rip then encode
    // and the WAV files go on after this returns, through the encoder's
    // events; runEnded() tells when it is over.
    void MP3Click();
    // The FLAC command: the same as MP3 with FLAC files as the output.
    void FLACClick();
    // The progress window's Abort (and closing it): the reader stops
    // before its next read, every running job is stopped.
    void AbortRipping();

    // How many encode jobs a run may start at once: 0 (the default) as the
    // settings say (every core the process may use with Use_Multi_CPU,
    // else one), or this many.
    void setJobs(int jobs) { m_jobsWanted = jobs; }
    int jobCount() const;

    // A run is going on: a second command is ignored, media events wait.
    bool running() const { return m_running; }
    Mode mode() const { return m_mode; }
    Output output() const { return m_output; }
    const QList<TrackReport>& reports() const { return m_reports; }
    // What verified reading learnt about the tracks of the last run.
    const SecureRun& secureRun() const { return *m_secure; }

Q_SIGNALS:
    void trackFinished(const trackmill::RipRun::TrackReport& report);
    // The run is over, however it ended; the windows are back.
    void runEnded();

private:
    enum class End { Finished, Aborted, Failed };
    struct Task
    {
        int track = 0;
        QString trackName;
        QString baseName;
        QString wavPath;      // the WAV file (the product, or the encoder's input)
        QString encodedPath;  // the encoder's output
        bool intermediate = false;  // wavPath is the run's own hidden file
        TrackRipResult rip;
    };

    // The start (riprun.cpp).
    void encodeCommand(Output output);
    bool checkSelection();
    bool startOnDisc(Mode mode);
    bool prepareOutputDirectory();
    void beginRun(Mode mode);
    // The end (riprun.cpp): one function for every way a run ends.
    void endRun(End how, const QString& boxText = QString());
    void giveWindowsBack(bool resetTags);
    void screenSaverOff();
    void screenSaverOn();
    void ejectSelectedDrive();
    void executeAfterRunAction(int index);
    void blinkUnlessWatched(int ms);
    QString grabbingTime() const;
    QString encodingTime() const;
    void report(int track, TrackReport::Result result, const QString& file, const QString& message = {});

    // The pipeline (riprunpipeline.cpp).
    Task makeTask(int track, const QString& extension) const;
    TrackRipResult readTrack(Task& task, AudioSink& sink, bool encode);
    // frames: samples per channel of a fed track, 0 for a file.
    bool startEncoding(Task& task, QString* error, qint64 frames = 0);
    void finishTrack(Task& task);
    void ripNextTrack();
    void ripTrackOnTheFly(int track);
    void failTrack(const Task& task);
    // A track or file that stopped: aborted, or failed when the encoder said why.
    void reportStop(int track, const QString& file);
    void abortTrack(const Task& task);
    // Ends the run when the read of the task failed or was aborted; true when it did.
    bool endIfReadStopped(const Task& task);
    // The intermediate WAV file of an encoded track or file, when the
    // settings ask for it to go; one that will not go is logged.
    void deleteWavIfAsked(const QString& path);
    void removeIntermediate(const Task& task);
    // The boxes of a run: two blanks, the text, a full stop, two blanks.
    static QString boxText(const QString& text);
    // The encoder's events.
    void encoderProgress(qint64 framesDone, qint64 framesTotal);
    void encoderFinished(bool aborted);
    void encodeNextFile();
    // The names of WAV file `index` (1-based) of the batch, shown as the
    // file being encoded.
    Task fileTask(int index);
    void showEncodingTimes();
    void writeTags(const Task& task);
    TagSources tagSources() const;
    TrackToTag tagTrack(const Task& task, const TagSources& sources) const;
    EncoderFigures encoderFigures() const;
    // Verified reading around the read step (riprunsecure.cpp): the run's
    // start, each track's result in the grid, the log and cue sheet at the end.
    void beginSecure();
    void secureTrackRead(const Task& task, TrackRipResult& result, bool encode);
    QString secureSuffix(int track) const;
    QString endSecure();
    // Several encode jobs at once (riprunjobs.cpp): the reader stays on
    // this thread, each read track goes to a job of the pool while the next
    // one is read; the WAV files batch runs several files at once.
    bool selectedDriveIsImage() const;
    TrackEncoder::Job encoderJob(const Task& task, qint64 frames) const;
    void ripWithJobs();
    void encodeFilesWithJobs();
    bool startPoolJob(const Task& task, QString* error);
    void beginJobs();
    void waitForRoom();
    void waitForJobs();
    // Ends the run once every job has ended: failed to start, stopped, or
    // finished with this box text.
    void endJobs(const QString& startError, const QString& finishedText);
    // A track or file could not be started: the reader and every job stop.
    void stopJobs(int track, const QString& file, const QString& error);
    void poolProgress();
    void poolJobFinished(int id, bool aborted);
    void poolJobDone(int id, const Task& task, qint64 elapsed);
    void poolJobStopped(int id, const Task& task, const QString& failure);

    Collaborators m_c;
    std::unique_ptr<SecureRun> m_secure;
    RunView* m_view;
    BatchFigures m_figures;
    TimeFigures m_times;
    RunViewObserver m_observer;
    TrackRipper m_ripper;

    bool m_running = false;
    Mode m_mode = Mode::Wav;
    Output m_output = Output::Wav;
    // The encoder of this run's output (none for WAV).
    TrackEncoder* m_encoder = nullptr;
    bool m_screenSaverOff = false;
    bool m_ejected = false;
    // The output folder of this disc: the settings' folder with the
    // sub-directories made for it, ending with "/".
    QString m_outputDirectory;
    // The encoder's reason when a job of this run failed (a full disk).
    QString m_encoderFailure;
    QList<TrackReport> m_reports;

    // The encode step.
    Task m_job;
    bool m_jobRunning = false;
    qint64 m_jobStart = 0;
    qint64 m_jobElapsed = 0;
    int m_jobPercent = 0;
    GrabTimeTable m_encodingTimes;
    QStringList m_wavFiles;
    int m_fileIndex = 1;

    // Several jobs at once: the pool of this run (null when it runs one job
    // at a time) and the task of each running job by its id.
    int m_jobsWanted = 0;
    EncoderPool* m_pool = nullptr;
    bool m_poolStarted = false;
    struct PoolJob
    {
        Task task;
        qint64 start = 0;
    };
    std::map<int, PoolJob> m_poolJobs;
};

}
