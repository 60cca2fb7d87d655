// SPDX-License-Identifier: GPL-2.0-or-later
// Several encode jobs at once. The reader stays on the window thread (one
// drive, one reader) and reads track n+1 while up to N jobs encode the
// tracks before it, each on an encoder of the pool with a worker thread and
// an encoder state of its own. A track's tags, its grid cell and the
// removal of its WAV file follow its own job's end; the run ends once, when
// the reader has stopped and the last job has ended.
//
// Disk use stays bounded: a read track waits for a free encoder before the
// next read starts, so at most N + 1 intermediate WAV files exist at a time
// (N encoding, one being read).
#include "riprun.h"

#include "intermediatewav.h"
#include "runview.h"
#include "wavfilesink.h"

#include "cd/cddrives.h"
#include "cd/drivelist.h"
#include "cd/tracklist.h"
#include "encoder/encoderpool.h"
#include "lang/languagetexts.h"
#include "platform/hiddenlog.h"
#include "platform/usablecores.h"
#include "secure/securerun.h"
#include "settings/settings.h"
#include "tags/tagfields.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>

namespace trackmill {

namespace {

constexpr int kInformationColumn = 5;

// As in the pipeline: handles events for at most ms milliseconds, and
// returns as soon as one came (a job's end wakes it).
void waitForEvents(int ms)
{
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(ms);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

}

int RipRun::jobCount() const
{
    if (m_jobsWanted > 0)
        return m_jobsWanted;
    return m_c.settings.multiCpu ? usableCores() : 1;
}

bool RipRun::selectedDriveIsImage() const
{
    return m_c.drives.isImagePath(m_c.drives.DetectCD().value(m_c.driveList.selectedIndex()));
}

TrackEncoder::Job RipRun::encoderJob(const Task& task, qint64 frames) const
{
    TrackEncoder::Job job;
    job.input = m_mode == Mode::OnTheFly ? TrackEncoder::Input::Feed : TrackEncoder::Input::File;
    job.source = job.input == TrackEncoder::Input::File ? task.wavPath : QString();
    job.destination = task.encodedPath;
    job.frames = frames;
    // A FLAC track carries its names from its first byte; a WAV file from
    // disk gets none, as its MP3 would get no tags.
    if (m_output == Output::Flac && m_mode != Mode::WavFiles) {
        const TagSources sources = tagSources();
        job.tags = m_c.tags.vorbisComments(tagTrack(task, sources), sources);
    }
    return job;
}

bool RipRun::startPoolJob(const Task& task, QString* error)
{
    const int id = m_pool->start(encoderJob(task, 0), error);
    if (!id)
        return false;
    const qint64 now = m_times.now();
    if (!m_poolStarted)
        m_jobStart = now;  // the encoding group's times count from the first job
    m_poolStarted = true;
    m_poolJobs[id] = PoolJob{task, now};
    m_c.log.add(QStringLiteral("Encoding job %1 (%2 %3): started, %4")
                    .arg(id)
                    .arg(m_mode == Mode::WavFiles ? QStringLiteral("file") : QStringLiteral("track"))
                    .arg(task.track)
                    .arg(task.encodedPath));
    m_view->showRunningJobs(m_pool->running());
    return true;
}

void RipRun::waitForRoom()
{
    while (!m_pool->hasRoom() && !m_figures.abort)
        waitForEvents(10);
}

void RipRun::beginJobs()
{
    m_pool->resetFigures();
    m_poolJobs.clear();
    m_poolStarted = false;
    m_view->showRunningJobs(0);
}

void RipRun::waitForJobs()
{
    while (m_pool->running() > 0)
        waitForEvents(10);
    m_view->showRunningJobs(0);
}

void RipRun::endJobs(const QString& startError, const QString& finishedText)
{
    if (!startError.isEmpty())
        endRun(End::Failed, startError);
    else if (m_figures.abort || !m_encoderFailure.isEmpty())
        endRun(End::Aborted, boxText(m_c.texts.abortEncoding));
    else
        endRun(End::Finished, finishedText);
}

void RipRun::stopJobs(int track, const QString& file, const QString& error)
{
    report(track, TrackReport::Result::Failed, file, error);
    m_figures.abort = true;
    m_pool->abortAll();
}

// ---------------------------------------------------------------- rip, then N jobs

void RipRun::ripWithJobs()
{
    beginJobs();
    const QString extension = m_encoder->extension();
    Task stoppedRead;  // a read that failed or was aborted by the user
    bool readStopped = false;
    QString startError;

    for (int n = m_figures.firstSelected; n > 0; n = m_c.tracks.NextTrack(n)) {
        // An abort or a job's error between reads: the ripper would clear
        // the flag and read on.
        if (m_figures.abort)
            break;
        m_figures.currentTrack = n;
        Task task = makeTask(n, extension);
        task.wavPath = IntermediateWav::create(m_outputDirectory, task.baseName, &startError);
        task.intermediate = !task.wavPath.isEmpty();
        if (!task.intermediate) {
            stopJobs(n, QString(), startError);
            break;
        }
        {
            WavFileSink sink(task.wavPath);
            task.rip = readTrack(task, sink, /*encode*/ true);
        }
        // A job failed while this track was read: the track is not
        // started, it leaves nothing behind and reports nothing.
        if (!m_encoderFailure.isEmpty()) {
            removeIntermediate(task);
            m_secure->encodingStopped(n);
            break;
        }
        if (task.rip.failed() || task.rip.outcome == TrackRipResult::Outcome::Aborted) {
            // An abort has stopped the jobs already; after a read error the
            // tracks read before it were read well, and their jobs finish.
            stoppedRead = task;
            readStopped = true;
            break;
        }
        waitForRoom();
        if (m_figures.abort) {
            removeIntermediate(task);
            // Read whole but never encoded: aborted by the user; after a
            // job's error no later track counts as started.
            m_secure->encodingStopped(n);
            if (m_encoderFailure.isEmpty()) {
                m_c.tracks.setCell(kInformationColumn, n, m_c.texts.abortEncoding);
                report(n, TrackReport::Result::Aborted, task.encodedPath);
            }
            break;
        }
        startError.clear();
        if (!startPoolJob(task, &startError)) {
            removeIntermediate(task);
            stopJobs(n, task.encodedPath, startError);
            break;
        }
        m_view->resetGauges();
        poolProgress();
    }
    // The reader is done; the jobs finish (or stop) in their own time.
    waitForJobs();

    if (readStopped) {
        if (stoppedRead.rip.failed())
            failTrack(stoppedRead);
        else
            abortTrack(stoppedRead);
        return;
    }
    endJobs(startError, QStringLiteral("  ") + m_c.texts.finishGrabbingAndEncoding + QStringLiteral(".   \n\n    ")
                            + grabbingTime() + QStringLiteral("\n    ") + encodingTime());
}

// ---------------------------------------------------------------- WAV files, N at once

void RipRun::encodeFilesWithJobs()
{
    beginJobs();
    QString startError;
    for (int index = 1; index <= m_wavFiles.size(); ++index) {
        waitForRoom();
        if (m_figures.abort)
            break;
        const Task task = fileTask(index);
        if (!startPoolJob(task, &startError)) {
            stopJobs(index, task.encodedPath, startError);
            break;
        }
    }
    waitForJobs();
    endJobs(startError, QStringLiteral("  ") + m_c.texts.finishEncoding + QStringLiteral(".   \n\n    ") + encodingTime());
}

// ---------------------------------------------------------------- the jobs' events

void RipRun::poolProgress()
{
    // The encoding group shows the work of every job started so far; the
    // reader owns the title and the rip group.
    const qint64 total = m_pool->framesTotal();
    if (total <= 0)
        return;
    const qint64 done = m_pool->framesDone();
    m_view->showEncodingProgress(done, total);
    m_jobPercent = int(done * 100 / total);
    showEncodingTimes();
}

void RipRun::poolJobFinished(int id, bool aborted)
{
    const auto it = m_poolJobs.find(id);
    if (it == m_poolJobs.end())
        return;
    const PoolJob job = it->second;
    m_poolJobs.erase(it);
    const QString failure = m_pool->failure(id);
    if (aborted)
        poolJobStopped(id, job.task, failure);
    else
        poolJobDone(id, job.task, m_times.now() - job.start);
    m_view->showRunningJobs(m_pool->running());
    poolProgress();
}

void RipRun::poolJobDone(int id, const Task& task, qint64 elapsed)
{
    const QString what = m_mode == Mode::WavFiles ? QStringLiteral("file") : QStringLiteral("track");
    m_c.log.add(QStringLiteral("Encoding job %1 (%2 %3): done in %4")
                    .arg(id)
                    .arg(what)
                    .arg(task.track)
                    .arg(TimeFigures::FormatTime(elapsed)));
    m_encodingTimes.set(task.track, elapsed);
    if (m_mode == Mode::WavFiles) {
        deleteWavIfAsked(task.wavPath);
        report(task.track, TrackReport::Result::Done, task.encodedPath);
        return;
    }
    m_c.tracks.setCell(kInformationColumn, task.track,
                       QStringLiteral(" OK ") + task.rip.passedTime + QLatin1Char('/') + TimeFigures::FormatTime(elapsed)
                           + secureSuffix(task.track));
    if (m_c.settings.deleteWav) {
        removeIntermediate(task);
    } else {
        QString error;
        if (IntermediateWav::keep(task.wavPath, m_outputDirectory, task.baseName, &error).isEmpty())
            m_c.log.add(QStringLiteral("Could not name the WAV file ") + task.wavPath + QStringLiteral(": ") + error);
    }
    writeTags(task);
    report(task.track, TrackReport::Result::Done, task.encodedPath);
}

void RipRun::poolJobStopped(int id, const Task& task, const QString& failure)
{
    // Several jobs end together: no half file may look like a finished
    // one beside the finished ones, so an unfinished output goes; the
    // run's own WAV file goes too, a WAV file from disk stays.
    if (QFile::exists(task.encodedPath) && !QFile::remove(task.encodedPath))
        m_c.log.add(QStringLiteral("Could not delete ") + task.encodedPath);
    if (m_mode != Mode::WavFiles) {
        removeIntermediate(task);
        m_secure->encodingStopped(task.track);
    }
    const bool firstFailure = !failure.isEmpty() && m_encoderFailure.isEmpty();
    if (firstFailure) {
        m_encoderFailure = failure;
        m_c.log.add(failure);
    }
    m_c.log.add(QStringLiteral("Encoding job %1 (%2 %3): stopped")
                    .arg(id)
                    .arg(m_mode == Mode::WavFiles ? QStringLiteral("file") : QStringLiteral("track"))
                    .arg(task.track));
    if (m_mode != Mode::WavFiles)
        m_c.tracks.setCell(kInformationColumn, task.track, m_c.texts.abortEncoding);
    if (firstFailure)
        report(task.track, TrackReport::Result::Failed, task.encodedPath, failure);
    else
        report(task.track, TrackReport::Result::Aborted, task.encodedPath);
    // One job's error ends the run: the reader stops before its next read
    // and the other jobs are stopped.
    if (!m_figures.abort) {
        m_figures.abort = true;
        m_pool->abortAll();
    }
}

}
