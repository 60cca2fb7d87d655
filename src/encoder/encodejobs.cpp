// SPDX-License-Identifier: GPL-2.0-or-later
// TForm2's encode jobs (see encodejobs.h).
#include "encodejobs.h"

#include "platform/hiddenlog.h"
#include "app/mainwindow.h"
#include "app/tracklist.h"
#include "encodersettings.h"
#include "gogotea.h"
#include "lang/languagetexts.h"
#include "platform/messageboxes.h"
#include "rip/progresswindow.h"
#include "rip/ripbatch.h"
#include "rip/timefigures.h"
#include "settings/settings.h"
#include "tags/tageditorwindow.h"

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QTimer>

namespace trackmill {

namespace {

const QString kTitle = QStringLiteral("Trackmill");

}

EncodeJobs::EncodeJobs(Collaborators collaborators, Hooks hooks, TickClock clock, QObject* parent)
    : QObject(parent)
    , m_c(collaborators)
    , m_hooks(std::move(hooks))
    , m_clock(std::move(clock))
{
    connect(&m_c.GogoTea1, &TGogoTea::OnProgress, this, &EncodeJobs::GogoTea1Progress);
    connect(&m_c.GogoTea1, &TGogoTea::OnFinish, this, &EncodeJobs::GogoTea1Finish);
}

EncodeJobs::~EncodeJobs() = default;

void EncodeJobs::SetPrimaryAndSecondarySettings()
{
    const QString note = EncoderSettings::SetPrimaryAndSecondarySettings(m_c.settings, m_c.GogoTea1);
    if (!note.isEmpty())
        m_c.log.add(note);
}

QString EncodeJobs::GetBitrate(int index) const
{
    return EncoderSettings::GetBitrate(m_c.settings, index);
}

void EncodeJobs::InitializeTabEncoding()
{
    m_encodingTimes.clear();
}

void EncodeJobs::waitWhileBusy()
{
    // The previous job's end is handled first, so jobs never overlap.
    while (m_busy) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (m_busy)
            QThread::msleep(1);
    }
}

void EncodeJobs::SetFileNameMp3()
{
    if (!m_onTheFly && !m_ripWavPath.isEmpty()) {
        m_files = Mp3FileNames::SetFileNameMp3fromWAV(
            m_ripWavPath.left(m_ripWavPath.lastIndexOf(QLatin1Char('/')) + 1), m_ripWavPath);
    } else {
        m_files = Mp3FileNames::SetFileNameMp3(m_c.settings.directoryMp3, m_baseName);
    }
    m_c.GogoTea1.setSourceFile(m_files.source);
    m_c.GogoTea1.setDestinationFile(m_files.destination);
}

void EncodeJobs::SetFileNameMp3fromWAV(const QString& wavFile, int fileIndex)
{
    m_files = Mp3FileNames::SetFileNameMp3fromWAV(m_c.settings.directoryMp3, wavFile);
    m_c.GogoTea1.setSourceFile(m_files.source);
    m_c.GogoTea1.setDestinationFile(m_files.destination);
    m_c.form3.Input->setText(m_files.source);
    m_c.form3.Output->setText(m_files.destination.mid(m_files.destination.lastIndexOf(QLatin1Char('/')) + 1));
    const LanguageTexts t = m_c.batch.texts();
    m_c.form3.State->setText(TimeFigures::GetState(t.file, t.of, fileIndex, m_fileCount));
}

bool EncodeJobs::startJob()
{
    m_busy = true;
    try {
        if (m_onTheFly)
            m_c.GogoTea1.Configure();
        m_c.GogoTea1.Start();
    } catch (const EGogoTeaError& e) {
        m_busy = false;
        m_c.log.add(QStringLiteral("Encoder: ") + e.message());
        throw;
    }
    return true;
}

void EncodeJobs::startTrackJob(const QString& baseName, int row, TEncodeMode mode)
{
    m_ripMode = true;
    m_c.form1.SetProcess(true);
    m_baseName = baseName;
    m_row = row;
    m_startTick = m_clock();
    m_percent = 0;
    m_fileIndex = 1;
    waitWhileBusy();
    m_c.GogoTea1.setEncodeMode(mode);
    SetPrimaryAndSecondarySettings();
    SetFileNameMp3();
    startJob();
}

bool EncodeJobs::Encode(const QString& outputRoot, const QString& baseName, const QString& /*trackName*/,
                        int row, int /*selectedCount*/, const QString& wavPath)
{
    m_ripWavPath = wavPath;
    m_onTheFly = false;
    m_batchRunning = true;
    m_outputRoot = outputRoot;
    try {
        startTrackJob(baseName, row, _FILE);
    } catch (const EGogoTeaError& e) {
        failBatch(e.message());
        return false;
    }
    return true;
}

bool EncodeJobs::EncodeOnTheFly(const QString& baseName, int row, int /*selectedCount*/, QString* error)
{
    InitializeTabEncoding();
    m_onTheFly = true;
    try {
        startTrackJob(baseName, row, _MEMORY);
    } catch (const EGogoTeaError& e) {
        if (error)
            *error = e.message();
        return false;
    }
    return true;
}

bool EncodeJobs::EncodeWAV(const QStringList& files)
{
    InitializeTabEncoding();
    m_onTheFly = false;
    m_ripMode = false;
    m_batchRunning = true;
    m_c.form1.SetProcess(true);
    m_wavFiles = files;
    m_startTick = m_clock();
    m_percent = 0;
    m_fileIndex = 1;
    m_fileCount = int(files.size());
    try {
        waitWhileBusy();
        m_c.GogoTea1.setEncodeMode(_FILE);
        SetPrimaryAndSecondarySettings();
        SetFileNameMp3fromWAV(files.value(0), 1);
        startJob();
    } catch (const EGogoTeaError& e) {
        failBatch(e.message());
        return false;
    }
    return true;
}

void EncodeJobs::GogoTea1Progress(int nowFrames, int allFrames)
{
    // On the fly the ripper drives both gauges, the title and the times.
    if (allFrames <= 0 || m_onTheFly)
        return;
    m_c.form3.ProgressBar2->setMaximum(allFrames);
    TForm3::SetGauge(m_c.form3.ProgressBar2, nowFrames);
    m_c.form3.Frames->setText(QString::number(allFrames));
    m_percent = int(qint64(nowFrames) * 100 / allFrames);
    m_c.batch.setTitle((m_ripMode ? QStringLiteral("Trackmill 100% / ") : QStringLiteral("Trackmill 0% / "))
             + QString::number(m_percent) + QLatin1Char('%'));
    GetTimeEncodeTotal();
}

void EncodeJobs::GetTimeEncodeTotal()
{
    m_elapsed = m_clock() - m_startTick;
    m_c.form3.PassedTime->setText(TimeFigures::FormatTime(m_elapsed));
    if (m_percent > 0) {
        const qint64 estimate = m_elapsed * 100 / m_percent;
        m_c.form3.EstimateTime->setText(TimeFigures::FormatTime(estimate));
        m_c.form3.RemainTime->setText(TimeFigures::FormatTime(estimate - m_elapsed));
    }
}

QString EncodeJobs::EncodingTime() const
{
    const int last = m_ripMode ? m_c.tracks.RowCount() - 1 : m_fileCount;
    return m_c.form3.Grb_Encoding->title() + QStringLiteral(": ")
        + TimeFigures::FormatTime(m_encodingTimes.sum(1, last));
}

void EncodeJobs::ConfigureAll()
{
    TForm3::SetGauge(m_c.form3.ProgressBar1, 0);
    TForm3::SetGauge(m_c.form3.ProgressBar2, 0);
    m_busy = false;
}

void EncodeJobs::deleteWav(const QString& path)
{
    if (m_c.settings.deleteWav && !path.isEmpty() && QFile::exists(path) && !QFile::remove(path))
        m_c.log.add(QStringLiteral("Could not delete ") + path);
}

void EncodeJobs::writeTags(const QString& mp3File)
{
    if (m_c.form4.useId3v1()) {
        const QString error = m_c.form4.SaveTagid3v11(mp3File, m_tagTitle, m_row);
        if (!error.isEmpty())
            m_c.boxes.error(error);
    }
    if (m_c.form4.useId3v2()) {
        const QString error = m_c.form4.SaveTagID3v23(mp3File, m_tagTitle, m_row, m_c.tracks.RowCount() - 1);
        if (!error.isEmpty())
            m_c.boxes.error(error);
    }
}

void EncodeJobs::GogoTea1Finish(bool isAborted)
{
    if (isAborted) {
        const LanguageTexts t = m_c.batch.texts();
        abortBatch(m_ripMode && m_onTheFly ? t.abortGrabbing : t.abortEncoding, /*markRow*/ true);
        return;
    }
    if (m_ripMode)
        finishRipMode();
    else
        finishWavMode();
}

void EncodeJobs::abortBatch(const QString& text, bool markRow)
{
    // A user abort or an encoder error: the partial MP3 and the WAV file
    // stay, and no further track or file is started.
    m_c.batch.setTitle(kTitle);
    m_c.batch.figures().abort = true;
    m_c.boxes.warning(QStringLiteral("  ") + text + QStringLiteral(".  "));
    if (m_ripMode && !m_onTheFly) {
        if (markRow)
            m_c.tracks.setCell(5, m_row, m_c.batch.texts().abortEncoding);
        m_c.settings.directoryMp3 = m_outputRoot;
    }
    giveWindowsBack();
    const bool wasRunning = m_batchRunning || m_onTheFly;
    m_batchRunning = false;
    if (wasRunning)
        emit batchEnded();
}

void EncodeJobs::failBatch(const QString& text)
{
    // The encoder refused to start a job: the user sees why and gets the
    // main window back instead of a batch that never ends.
    m_c.batch.setTitle(kTitle);
    m_c.boxes.error(text);
    if (m_ripMode)
        m_c.settings.directoryMp3 = m_outputRoot;
    giveWindowsBack();
    m_batchRunning = false;
    emit batchEnded();
}

void EncodeJobs::giveWindowsBack()
{
    m_c.form3.hide();
    m_c.form1.FormEnabled(true);
    ConfigureAll();
    if (m_ripMode) {
        m_c.form4.ID3Initialization();
        m_c.batch.ScreenSaverOn();
    }
    m_c.form1.SetProcess(false);
}

void EncodeJobs::finishRipMode()
{
    QString title;
    m_c.form4.Split(m_c.tracks.cell(1, m_row),
                    m_hooks.splitCharacter ? m_hooks.splitCharacter() : QStringLiteral("/"), 1, title);
    m_tagTitle = title;

    if (m_onTheFly) {
        // No WAV file is written on the fly, so there is none to delete
        // (and a file of that name from elsewhere is not ours to remove).
        writeTags(m_c.GogoTea1.DestinationFile());
        m_c.batch.setTitle(kTitle);
        ConfigureAll();
        return;
    }

    // The time of the whole job, even when it ended before its first report.
    GetTimeEncodeTotal();
    m_c.tracks.setCell(5, m_row,
                       QStringLiteral(" OK ") + m_c.form3.PassedTimeRip->text() + QLatin1Char('/')
                           + m_c.form3.PassedTime->text());
    ++m_fileIndex;
    m_encodingTimes.set(m_row, m_elapsed);
    deleteWav(m_files.source);
    writeTags(m_c.GogoTea1.DestinationFile());

    const int next = m_c.tracks.NextTrack(m_row);
    if (next > 0) {
        ConfigureAll();
        // Ripped from the event loop, not from inside the component's event.
        QTimer::singleShot(0, this, [this, next] {
            // Abort pressed after this job ended: the ripper would clear
            // the flag and go on, so the batch ends here.
            if (m_c.batch.figures().abort) {
                abortBatch(m_c.batch.texts().abortEncoding, /*markRow*/ false);
                return;
            }
            m_c.batch.figures().currentTrack = next;
            m_c.batch.RipTrack(next, true);
        });
        return;
    }
    endBatch();
}

void EncodeJobs::finishWavMode()
{
    GetTimeEncodeTotal();
    m_encodingTimes.set(m_fileIndex, m_elapsed);
    deleteWav(m_files.source);
    ++m_fileIndex;
    if (m_fileIndex <= m_fileCount) {
        m_startTick = m_clock();
        m_percent = 0;
        try {
            SetFileNameMp3fromWAV(m_wavFiles.at(m_fileIndex - 1), m_fileIndex);
            startJob();
        } catch (const EGogoTeaError& e) {
            failBatch(e.message());
        }
        return;
    }
    endBatch();
}

void EncodeJobs::endBatch()
{
    const LanguageTexts t = m_c.batch.texts();
    m_c.batch.setTitle(kTitle);
    const int action = m_c.settings.afterExecute;
    if (action <= 0) {
        m_c.batch.BlinkUnlessWatched(400);
        QString text = QStringLiteral("  ")
            + (m_ripMode ? t.finishGrabbingAndEncoding : t.finishEncoding) + QStringLiteral(".   \n\n    ");
        if (m_ripMode)
            text += m_c.batch.GrabbingTime() + QStringLiteral("\n    ");
        text += EncodingTime();
        m_c.boxes.information(text);
    } else {
        // The machine goes down next: keep what the user set up first.
        if (m_hooks.saveSettings)
            m_hooks.saveSettings();
        if (m_c.tracks.CD() && m_hooks.storeDiscNames)
            m_hooks.storeDiscNames();
        m_c.batch.Execute(action);
    }

    if (m_ripMode)
        m_c.settings.directoryMp3 = m_outputRoot;
    ConfigureAll();
    if (m_ripMode)
        m_c.form4.ID3Initialization();
    m_c.batch.ScreenSaverOn();
    if (m_ripMode && m_c.settings.ejectCdAudio)
        m_c.batch.EjectSelectedDrive();
    m_c.form1.SetProcess(false);
    m_c.form3.hide();
    m_c.form1.FormEnabled(true);
    m_c.form1.show();
    m_batchRunning = false;
    emit batchEnded();
}

}
