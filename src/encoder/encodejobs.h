// SPDX-License-Identifier: GPL-2.0-or-later
// TForm2's encode jobs: the handlers of the settings window that run the
// encoder component GogoTea1 over ripped tracks and WAV files.
#pragma once

#include "gogoteatypes.h"
#include "mp3filenames.h"
#include "rip/grabtimetable.h"
#include "rip/tickclock.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

namespace trackmill {

class HiddenLog;
class MessageBoxes;
class RipBatch;
class Settings;
class TForm1;
class TForm3;
class TForm4;
class TGogoTea;
class TrackList;
struct LanguageTexts;

// Runs one encode job at a time and, when it ends, writes the tags, deletes
// the WAV file when asked and moves the batch on: the next ripped track,
// the next WAV file, or the end of the batch with its message or the
// after-run action. Everything runs on the window thread; the component's
// events arrive here through its signals.
class EncodeJobs : public QObject
{
    Q_OBJECT
public:
    struct Collaborators
    {
        TGogoTea& GogoTea1;
        // The rip batch: the next track, its abort flag, the run's title,
        // texts, blinking, screen saver, after-run action and eject.
        RipBatch& batch;
        Settings& settings;
        TForm1& form1;
        TForm3& form3;
        TForm4& form4;
        TrackList& tracks;
        HiddenLog& log;
        MessageBoxes& boxes;
    };

    // Steps of other parts of the program, asked when needed; an empty one
    // is skipped.
    struct Hooks
    {
        // Saves the settings; stores the disc's names in CDPLAYER.INI
        // (only called when a disc is in the drive).
        std::function<void()> saveSettings;
        std::function<void()> storeDiscNames;
        // The settings window's Character edit (the split separator).
        std::function<QString()> splitCharacter;
    };

    EncodeJobs(Collaborators collaborators, Hooks hooks, TickClock clock, QObject* parent = nullptr);
    ~EncodeJobs() override;

    // Copies the settings into GogoTea1 (a missing bitrate choice is
    // logged: the job runs MPEG-1 at 128 kbps).
    void SetPrimaryAndSecondarySettings();
    QString GetBitrate(int index) const;

    // Starts the job on the WAV file just ripped for `row`. Returns false
    // when the encoder refused to start: the error box was shown and the
    // batch ended.
    // wavPath, when given, is the file the ripper wrote (else the output
    // directory text + base name + ".wav").
    bool Encode(const QString& outputRoot, const QString& baseName, const QString& trackName, int row,
                int selectedCount, const QString& wavPath = QString());
    // Starts a memory-mode job that the ripper feeds while it reads `row`.
    // Returns false when the encoder refused (the error is in *error; the
    // ripper ends the track).
    bool EncodeOnTheFly(const QString& baseName, int row, int selectedCount, QString* error);
    // Encodes the files one after the other into the output directory.
    // Returns false when the first file could not be started (box shown,
    // batch ended).
    bool EncodeWAV(const QStringList& files);

    void SetFileNameMp3();
    void SetFileNameMp3fromWAV(const QString& wavFile, int fileIndex);

    void GogoTea1Progress(int nowFrames, int allFrames);
    void GogoTea1Finish(bool isAborted);
    void GetTimeEncodeTotal();
    // Caption of Grb_Encoding + ": " + the encoding time of the batch.
    QString EncodingTime() const;
    void ConfigureAll();
    void InitializeTabEncoding();

    // The encoder busy flag: a job runs or its end is not handled yet.
    bool busy() const { return m_busy; }
    // The batch (rip then encode or WAV files) is still running.
    bool batchRunning() const { return m_batchRunning; }
    const GrabTimeTable& encodingTimes() const { return m_encodingTimes; }

Q_SIGNALS:
    // The batch is over, however it ended.
    void batchEnded();

private:
    // The common start of a track's job (from its WAV file or fed on the
    // fly); throws EGogoTeaError when the component refuses.
    void startTrackJob(const QString& baseName, int row, TEncodeMode mode);
    bool startJob();
    void waitWhileBusy();
    void writeTags(const QString& mp3File);
    void deleteWav(const QString& path);
    void endBatch();
    void abortBatch(const QString& text, bool markRow);
    void failBatch(const QString& text);
    // After an abort or a failure: progress window away, main window
    // enabled, component settings and tag editor reset, screen saver back.
    void giveWindowsBack();
    void finishRipMode();
    void finishWavMode();

    Collaborators m_c;
    Hooks m_hooks;
    TickClock m_clock;

    bool m_busy = false;
    bool m_ripMode = false;
    bool m_onTheFly = false;
    bool m_batchRunning = false;
    QString m_outputRoot;
    QString m_baseName;
    QString m_ripWavPath;
    int m_row = 0;
    Mp3FileNames m_files;
    QStringList m_wavFiles;
    int m_fileIndex = 1;
    int m_fileCount = 0;
    qint64 m_startTick = 0;
    qint64 m_elapsed = 0;
    int m_percent = 0;
    GrabTimeTable m_encodingTimes;
    QString m_tagTitle;
};

}
