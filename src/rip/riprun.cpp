// SPDX-License-Identifier: GPL-2.0-or-later
// The run controller: the commands, the checks at the start of a run and
// the end of every run. The way of one track is in riprunpipeline.cpp.
#include "riprun.h"

#include "outputdirectory.h"
#include "outputnaming.h"
#include "runservices.h"
#include "runview.h"
#include "wavfilesink.h"

#include "secure/securerun.h"

#include "cd/tracklist.h"
#include "cd/cddrives.h"
#include "cd/drivelist.h"
#include "cd/drivetray.h"
#include "encoder/encoderpool.h"
#include "encoder/trackencoder.h"
#include "lang/languagetexts.h"
#include "metadata/coverart.h"
#include "metadata/discnames.h"
#include "platform/hiddenlog.h"
#include "platform/messageboxes.h"
#include "platform/systemservices.h"
#include "settings/settings.h"
#include "settings/settingstable.h"
#include "tags/tagfields.h"

#include <QDir>

namespace trackmill {

namespace {

QString withTrailingSlash(const QString& path)
{
    if (path.isEmpty() || path.endsWith(QLatin1Char('/')))
        return path;
    return path + QLatin1Char('/');
}

}

RipRun::RipRun(Collaborators collaborators, RunView& view, QObject* parent)
    : QObject(parent)
    , m_c(std::move(collaborators))
    , m_secure(std::make_unique<SecureRun>())
    , m_view(&view)
    , m_times(m_figures, m_c.clock ? m_c.clock : steadyTickClock())
    , m_observer(&view, m_c.log)
    , m_ripper(m_figures, m_times, m_observer)
{
    for (TrackEncoder* encoder : {m_c.encoder, m_c.flacEncoder}) {
        if (!encoder)
            continue;
        // Only the encoder of the run going on speaks to it.
        connect(encoder, &TrackEncoder::progress, this, [this, encoder](qint64 done, qint64 total) {
            if (encoder == m_encoder)
                encoderProgress(done, total);
        });
        connect(encoder, &TrackEncoder::finished, this, [this, encoder](bool aborted) {
            if (encoder == m_encoder)
                encoderFinished(aborted);
        });
    }
    for (EncoderPool* pool : {m_c.mp3Pool, m_c.flacPool}) {
        if (!pool)
            continue;
        connect(pool, &EncoderPool::progress, this, [this, pool](int, qint64, qint64) {
            if (pool == m_pool && m_running)
                poolProgress();
        });
        connect(pool, &EncoderPool::finished, this, [this, pool](int id, bool aborted) {
            if (pool == m_pool)
                poolJobFinished(id, aborted);
        });
    }
}

RipRun::~RipRun() = default;

void RipRun::setView(RunView& view)
{
    m_view = &view;
    m_observer.setView(&view);
}

// ---------------------------------------------------------------- commands

void RipRun::WAVClick()
{
    // Events are handled between reads: a second run must never start
    // inside the first.
    if (m_running)
        return;
    m_output = Output::Wav;
    m_encoder = nullptr;
    m_pool = nullptr;
    m_encodingTimes.clear();
    if (!checkSelection() || !startOnDisc(Mode::Wav))
        return;
    for (int n = 1; n < m_c.tracks.RowCount(); ++n) {
        if (!m_c.tracks.isSelected(n))
            continue;
        m_figures.currentTrack = n;
        Task task = makeTask(n, QStringLiteral(".wav"));
        WavFileSink sink(task.wavPath);
        task.rip = readTrack(task, sink, /*encode*/ false);
        if (endIfReadStopped(task))
            break;
        finishTrack(task);
        if (m_figures.fileCounter >= m_figures.selectedCount)
            endRun(End::Finished, boxText(m_c.texts.finishGrabbing) + QStringLiteral("\n\n    ") + grabbingTime());
        if (!m_running)
            break;
    }
    // A run that did not finish has not ejected yet.
    if (m_c.settings.ejectCdAudio)
        ejectSelectedDrive();
    screenSaverOn();
    if (m_running) {
        m_running = false;
        Q_EMIT runEnded();
    }
}

void RipRun::MP3Click()
{
    encodeCommand(Output::Mp3);
}

void RipRun::FLACClick()
{
    encodeCommand(Output::Flac);
}

void RipRun::encodeCommand(Output output)
{
    TrackEncoder* encoder = output == Output::Flac ? m_c.flacEncoder : m_c.encoder;
    EncoderPool* pool = output == Output::Flac ? m_c.flacPool : m_c.mp3Pool;
    if (m_running || m_jobRunning || !encoder || (m_pool && m_pool->running() > 0))
        return;
    m_output = output;
    m_encoder = encoder;
    // Several jobs only where the encoders can run side by side; else the
    // run goes one job at a time, exactly as without Use_Multi_CPU.
    m_pool = nullptr;
    if (pool && jobCount() > 1) {
        pool->setLimit(jobCount());
        if (pool->limit() > 1)
            m_pool = pool;
    }
    m_encodingTimes.clear();
    if (!checkSelection())
        return;
    if (m_c.settings.encodeWavToMp3) {
        m_view->setMainWindowEnabled(false);
        const QStringList files =
            m_c.shell.selectFiles(QStringLiteral("Open"), QString(), QStringLiteral("Files (.wav) (*.wav)"));
        if (files.isEmpty()) {
            m_view->setMainWindowEnabled(true);
            return;
        }
        beginRun(Mode::WavFiles);
        m_wavFiles = files;
        m_fileIndex = 1;
        m_outputDirectory = withTrailingSlash(m_c.settings.directoryMp3);
        m_view->showFiles(QString(), QString(), m_c.settings.directoryMp3);
        m_view->clearRipGroup();
        m_view->showEncoderFigures(encoderFigures());
        m_jobStart = m_times.now();
        m_jobPercent = 0;
        if (m_pool) {
            m_view->showProgress();
            encodeFilesWithJobs();
            return;
        }
        encodeNextFile();
        if (m_running)
            m_view->showProgress();
        return;
    }

    // On the fly one encoder keeps up with a drive; a disc image reads far
    // faster than one encoder, so with several jobs it is ripped, then
    // encoded beside the next read.
    const bool onTheFly = m_c.settings.onTheFly && !(m_pool && selectedDriveIsImage());
    if (onTheFly)
        m_pool = nullptr;  // the designed single encoder, fed by the reader
    const Mode mode = onTheFly ? Mode::OnTheFly : Mode::RipThenEncode;
    if (!startOnDisc(mode))
        return;
    if (m_pool) {
        ripWithJobs();
        return;
    }
    if (mode == Mode::RipThenEncode) {
        // Each finished job rips the next selected track.
        m_figures.currentTrack = m_figures.firstSelected;
        ripNextTrack();
        return;
    }
    for (int n = 1; n < m_c.tracks.RowCount() && m_running; ++n) {
        if (!m_c.tracks.isSelected(n))
            continue;
        m_figures.currentTrack = n;
        ripTrackOnTheFly(n);
        if (m_figures.abort || m_figures.ripError || m_figures.onTheFlyStop)
            break;
    }
    screenSaverOn();
    if (m_running) {
        m_running = false;
        Q_EMIT runEnded();
    }
}

void RipRun::AbortRipping()
{
    m_view->setMainWindowEnabled(true);
    m_figures.abort = true;
    if (m_pool)
        m_pool->abortAll();
    else if (m_encoder)
        m_encoder->abort();
    m_view->hideProgress();
}

// ---------------------------------------------------------------- the start

bool RipRun::checkSelection()
{
    m_figures.grabTimes.clear();
    if (!m_c.tracks.Selected()) {
        m_c.boxes.warning(boxText(m_c.texts.noTrackSelected));
        return false;
    }
    return true;
}

void RipRun::beginRun(Mode mode)
{
    m_mode = mode;
    m_running = true;
    m_reports.clear();
    m_encoderFailure.clear();
    m_figures.fileCounter = 0;
    m_figures.ripError = false;
    m_figures.onTheFlyStop = false;
    m_figures.abort = false;
    m_figures.busy = true;
    m_ejected = false;
    // The jobs line shows only in a run with several jobs.
    m_view->showRunningJobs(0);
}

bool RipRun::startOnDisc(Mode mode)
{
    if (!m_c.tracks.CD()) {
        m_c.boxes.warning(boxText(m_c.texts.noDisc));
        return false;
    }
    screenSaverOff();
    beginRun(mode);
    m_view->setMainWindowEnabled(false);
    const TrackList::SelectionFigures selection = m_c.tracks.SelectedTracks();
    m_figures.firstSelected = selection.firstTrack;
    m_figures.currentTrack = selection.currentTrack;
    m_figures.selectedCount = selection.selectedCount;

    if (!prepareOutputDirectory()) {
        m_running = false;
        m_figures.busy = false;
        m_view->setMainWindowEnabled(true);
        screenSaverOn();
        return false;
    }
    beginSecure();
    m_view->showProgress();
    return true;
}

bool RipRun::prepareOutputDirectory()
{
    // A new user's output folder is the music folder, which a fresh account
    // may not have yet: make it rather than fail the first rip. A folder the
    // user chose is never made: a missing one may be a disk not mounted.
    if (m_c.settings.directoryMp3 == defaultOutputDirectory())
        QDir().mkpath(m_c.settings.directoryMp3);
    // The sub-directories of this disc extend the output folder for this
    // run only; the settings keep the root.
    OutputDirectory directory(OutputNaming(m_c.naming.namingSettings()), m_c.settings.directoryMp3);
    // Filtered copies: the folder names lose what a file system cannot
    // hold, the names the user typed (and the tags and the disc database
    // after them) keep it.
    QString artist = m_c.names.artist();
    QString album = m_c.names.album();
    QString year = m_c.tags.fields().year2;
    directory.MakingDirectory(artist, album, year);
    if (!directory.hasError())
        directory.Check();
    // The album's own folder holds its cover; a disc of a set goes one
    // folder deeper when asked, into "CD n".
    const NamingSettings naming = m_c.naming.namingSettings();
    const bool albumFolder =
        naming.albumAsDirectory || naming.artistAndAlbumAsDirectory || naming.artistAlbumYearAsDirectory;
    if (!directory.hasError() && albumFolder && !m_c.names.cover().data.isEmpty()) {
        const QString error = writeCoverFile(directory.directory(), m_c.names.cover());
        if (!error.isEmpty())
            m_c.log.add(QStringLiteral("Could not save the cover: ") + error);
    }
    if (!directory.hasError() && m_c.settings.cdNumberFolder && m_c.names.discCount() > 1)
        directory.addDiscFolder(m_c.names.discNumber());
    m_outputDirectory = withTrailingSlash(directory.directory());
    if (!directory.hasError())
        return true;
    // The design's text, then which folder and why, so the user can put it right.
    m_c.boxes.error(QStringLiteral("  ") + m_c.texts.errorPathFilename + QStringLiteral(".   ")
                    + QStringLiteral("\n\n") + directory.errorText());
    return false;
}

// ---------------------------------------------------------------- the end

void RipRun::endRun(End how, const QString& text)
{
    const bool ripped = m_mode != Mode::WavFiles;
    const bool encoded = m_mode == Mode::RipThenEncode || m_mode == Mode::WavFiles;
    m_view->setTitle(QStringLiteral("Trackmill"));
    const QString accurate = endSecure();

    switch (how) {
    case End::Finished: {
        // After ripping the screen saver comes back before the box, after
        // encoding once the box is gone.
        if (!encoded)
            screenSaverOn();
        const int action = m_c.settings.afterExecute;
        if (action > 0) {
            // The machine goes down next: keep what the user set up first.
            m_c.persistence.saveSettings();
            if (m_c.tracks.CD())
                m_c.persistence.storeDiscNames();
            executeAfterRunAction(action);
        } else {
            blinkUnlessWatched(encoded ? 400 : 500);
            m_c.boxes.information(accurate.isEmpty() ? text : text + QStringLiteral("\n    ") + accurate);
        }
        if (encoded)
            m_view->resetGauges();
        screenSaverOn();
        if (ripped && m_c.settings.ejectCdAudio)
            ejectSelectedDrive();
        giveWindowsBack(ripped);
        m_view->showMainWindow();
        break;
    }
    case End::Aborted:
        if (!encoded || m_mode == Mode::OnTheFly)
            screenSaverOn();
        m_c.boxes.warning(text);
        // After the designed box: which file, and the system's reason.
        if (!m_encoderFailure.isEmpty())
            m_c.boxes.error(m_encoderFailure);
        if (encoded)
            m_view->resetGauges();
        m_view->hideProgress();
        giveWindowsBack(ripped);
        if (!encoded)
            m_view->showMainWindow();
        screenSaverOn();
        break;
    case End::Failed:
        m_c.boxes.error(text);
        // Closing the progress window aborts whatever still runs.
        AbortRipping();
        m_figures.ripError = true;
        if (encoded)
            m_view->resetGauges();
        giveWindowsBack(false);
        screenSaverOn();
        break;
    }
    m_running = false;
    Q_EMIT runEnded();
}

void RipRun::giveWindowsBack(bool resetTags)
{
    m_figures.busy = false;
    m_jobRunning = false;
    if (resetTags)
        m_c.tags.initialize(m_c.names.artist(), m_c.names.album());
    m_view->hideProgress();
    m_view->setMainWindowEnabled(true);
}

void RipRun::screenSaverOff()
{
    if (m_screenSaverOff || !m_c.settings.preventScreensaver)
        return;
    m_c.system.setScreenSaverActive(false);
    m_screenSaverOff = true;
}

void RipRun::screenSaverOn()
{
    // Only when this run switched it off, so every run ends with it back on once.
    if (!m_screenSaverOff)
        return;
    m_screenSaverOff = false;
    m_c.system.setScreenSaverActive(true);
}

void RipRun::executeAfterRunAction(int index)
{
    if (index == 1)
        m_c.system.requestPowerAction(SystemServices::PowerAction::Shutdown);
    else if (index == 2)
        m_c.system.requestPowerAction(SystemServices::PowerAction::Restart);
}

void RipRun::ejectSelectedDrive()
{
    if (m_ejected)
        return;
    m_ejected = true;
    // The path of the selected entry, without rebuilding the drive table
    // (which would clear the hidden log).
    const QString path = m_c.drives.DetectCD().value(m_c.driveList.selectedIndex());
    if (!path.isEmpty())
        m_c.tray.openTray(path);
}

void RipRun::blinkUnlessWatched(int ms)
{
    // The user is told only when looking elsewhere.
    if (!m_view->progressWatched())
        m_view->blink(ms);
}

QString RipRun::grabbingTime() const
{
    return TimeFigures::GrabbingTime(m_view->grabbingCaption(), m_figures.grabTimes, m_c.tracks.RowCount());
}

QString RipRun::encodingTime() const
{
    const int last = m_mode == Mode::WavFiles ? int(m_wavFiles.size()) : m_c.tracks.RowCount() - 1;
    return m_view->encodingCaption() + QStringLiteral(": ") + TimeFigures::FormatTime(m_encodingTimes.sum(1, last));
}

QString RipRun::boxText(const QString& text)
{
    return QStringLiteral("  ") + text + QStringLiteral(".  ");
}

void RipRun::report(int track, TrackReport::Result result, const QString& file, const QString& message)
{
    const TrackReport r{track, result, file, message};
    m_reports.append(r);
    Q_EMIT trackFinished(r);
}

}
