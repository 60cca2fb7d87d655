// SPDX-License-Identifier: GPL-2.0-or-later
// The run controller's pipeline: the way of one track from the drive to a
// finished file (read, encode, finish), and of one WAV file from disk.
#include "riprun.h"

#include "intermediatewav.h"
#include "outputnaming.h"
#include "runservices.h"
#include "runview.h"
#include "wavfilesink.h"

#include "cd/tracklist.h"
#include "cd/cddrives.h"
#include "encoder/encoderfeedsink.h"
#include "encoder/mp3filenames.h"
#include "encoder/trackencoder.h"
#include "secure/securerun.h"
#include "lang/languagetexts.h"
#include "metadata/discnames.h"
#include "platform/hiddenlog.h"
#include "platform/messageboxes.h"
#include "settings/settings.h"
#include "tags/tagfields.h"
#include "tags/tagwriter.h"
#include "tags/vorbiscomments.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

namespace trackmill {

namespace {

constexpr int kInformationColumn = 5;
constexpr quint64 kBytesPerFrame = 4;  // 16-bit stereo

// Handles events for at most ms milliseconds, returning as soon as one
// came: the end of the encoder's job wakes it.
void waitForEvents(int ms)
{
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(ms);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

}

RipRun::Task RipRun::makeTask(int track, const QString& extension) const
{
    Task task;
    task.track = track;
    task.trackName = m_c.tracks.trackName(track);
    // A single safe file name: whatever the disc or a server calls the
    // track, the file stays inside the output folder.
    task.baseName = OutputNaming(m_c.naming.namingSettings()).BaseFileName(track, task.trackName, m_c.names.artist());
    const Mp3FileNames files = Mp3FileNames::SetFileNameMp3(m_outputDirectory, task.baseName, extension);
    task.wavPath = files.source;
    task.encodedPath = files.destination;
    return task;
}

EncoderFigures RipRun::encoderFigures() const
{
    const Settings& s = m_c.settings;
    EncoderFigures f;
    if (m_output == Output::Flac) {
        // "Lossless, level 5": no bitrate to choose, and CD audio is stereo.
        const QString lossless = m_c.texts.flacLossless;
        const QString level = QString::number(s.flacCompression);
        f.bitrate = lossless.contains(QLatin1String("%1")) ? lossless.arg(level) : level;
        f.quality = Settings::qualityNames().value(1);
        return f;
    }
    f.quality = Settings::qualityNames().value(s.quality);
    if (s.vbrRatio) {
        f.bitrate = QStringLiteral("VBR");
        f.vbr = s.vbr >= 0 && s.vbr < Settings::kVbrLevels ? QString::number(s.vbr) : QString();
    } else {
        // The table of the checked MPEG version: MPEG-1 when MPEG1 is checked, else MPEG-2.
        const Settings::MpegVersion version = s.mpegVersion == Settings::MpegVersion::Mpeg1
                                                  ? Settings::MpegVersion::Mpeg1
                                                  : Settings::MpegVersion::Mpeg2;
        f.bitrate = QString::fromLatin1(Settings::bitrateText(version, s.bitrate));
        f.vbr = QStringLiteral("Off");
    }
    return f;
}

// ---------------------------------------------------------------- read

TrackRipResult RipRun::readTrack(Task& task, AudioSink& sink, bool encode)
{
    const LanguageTexts& t = m_c.texts;
    m_ripper.setTexts({t.grabbingTrack, t.file, t.of, t.aspiError, t.abortGrabbing});
    m_view->setMainWindowEnabled(false);
    m_figures.busy = true;

    const bool onTheFly = m_mode == Mode::OnTheFly;
    const QString extension = encode ? QFileInfo(task.encodedPath).suffix() : QStringLiteral("wav");
    // Labels show text as it stands, so an "&" needs no doubling.
    m_view->showFiles(task.baseName + QStringLiteral(".cda"), task.baseName + QLatin1Char('.') + extension,
                      m_outputDirectory);
    m_view->showEncoderFigures(encoderFigures());
    m_observer.prepareTrack(m_c.tracks.cell(3, task.track).remove(QLatin1Char(' ')), onTheFly);

    TrackRipper::Options options;
    options.encode = encode;
    options.onTheFlyEncoding = m_c.settings.onTheFly;
    options.encodingGaugeFollowsReads = onTheFly;
    if (m_secure->active())
        m_secure->prepareTrack(task.track, options);
    AudioSink& target = m_secure->active() ? m_secure->wrap(task.track, sink) : sink;
    TrackRipResult result =
        m_ripper.RipTrack(m_c.drives.handle(), task.track, m_c.tracks.MySelectedTracks(), target, options);
    secureTrackRead(task, result, encode);
    return result;
}

void RipRun::removeIntermediate(const Task& task)
{
    if (task.intermediate && QFile::exists(task.wavPath) && !QFile::remove(task.wavPath))
        m_c.log.add(QStringLiteral("Could not delete ") + task.wavPath);
}

void RipRun::failTrack(const Task& task)
{
    removeIntermediate(task);
    const TrackRipResult& result = task.rip;
    m_view->setTitle(QStringLiteral("Trackmill"));
    if (!result.information.isEmpty())
        m_c.tracks.setCell(kInformationColumn, task.track, result.information);
    else if (result.outcome != TrackRipResult::Outcome::ReadFailed)
        // Nothing was ripped: say why on the track's row too.
        m_c.tracks.setCell(kInformationColumn, task.track, result.errorText.section(QLatin1Char('\n'), 0, 0));
    report(task.track, TrackReport::Result::Failed, task.wavPath, result.errorText);
    endRun(End::Failed, result.errorText);
}

bool RipRun::endIfReadStopped(const Task& task)
{
    if (task.rip.failed()) {
        failTrack(task);
        return true;
    }
    if (task.rip.outcome == TrackRipResult::Outcome::Aborted) {
        abortTrack(task);
        return true;
    }
    return false;
}

void RipRun::reportStop(int track, const QString& file)
{
    if (m_encoderFailure.isEmpty())
        report(track, TrackReport::Result::Aborted, file);
    else
        report(track, TrackReport::Result::Failed, file, m_encoderFailure);
}

void RipRun::abortTrack(const Task& task)
{
    removeIntermediate(task);
    m_c.tracks.setCell(kInformationColumn, task.track, m_c.texts.abortGrabbing);
    reportStop(task.track, task.wavPath);
    // The reader stopped: the screen saver comes back before the box.
    screenSaverOn();
    endRun(End::Aborted, boxText(m_c.texts.abortGrabbing));
}

// ---------------------------------------------------------------- encode

void RipRun::ripNextTrack()
{
    // Abort pressed after the last job ended: the ripper would clear the
    // flag and go on, so the run ends here.
    if (m_figures.abort) {
        endRun(End::Aborted, boxText(m_c.texts.abortEncoding));
        return;
    }
    Task task = makeTask(m_figures.currentTrack, m_encoder->extension());
    // The encoder's input under a name no file had before the run: a WAV of
    // an earlier run stays untouched, whatever "Delete .wav files" says.
    QString error;
    task.wavPath = IntermediateWav::create(m_outputDirectory, task.baseName, &error);
    task.intermediate = !task.wavPath.isEmpty();
    if (!task.intermediate) {
        report(task.track, TrackReport::Result::Failed, QString(), error);
        endRun(End::Failed, error);
        return;
    }
    {
        WavFileSink sink(task.wavPath);
        task.rip = readTrack(task, sink, /*encode*/ true);
    }
    if (endIfReadStopped(task))
        return;
    m_c.tracks.setCell(kInformationColumn, task.track, task.rip.information);
    m_view->setTitle(QStringLiteral("Trackmill 100% / 0%"));
    if (!startEncoding(task, &error)) {
        removeIntermediate(task);
        report(task.track, TrackReport::Result::Failed, task.encodedPath, error);
        endRun(End::Failed, error);
    }
}

bool RipRun::startEncoding(Task& task, QString* error, qint64 frames)
{
    // The last job's end is handled first, so jobs never overlap.
    while (m_encoder->isEncoding())
        waitForEvents(10);
    m_job = task;
    m_jobStart = m_times.now();
    m_jobElapsed = 0;
    m_jobPercent = 0;
    const TrackEncoder::Job job = encoderJob(task, frames);
    if (!m_encoder->start(job, error))
        return false;
    m_jobRunning = true;
    return true;
}

void RipRun::encoderProgress(qint64 framesDone, qint64 framesTotal)
{
    // On the fly the reader drives both gauges, the title and the times.
    // With several jobs the pool's figures fill the gauge.
    if (!m_running || framesTotal <= 0 || m_mode == Mode::OnTheFly || m_pool)
        return;
    m_view->showEncodingProgress(framesDone, framesTotal);
    m_jobPercent = int(framesDone * 100 / framesTotal);
    m_view->setTitle((m_mode == Mode::WavFiles ? QStringLiteral("Trackmill 0% / ") : QStringLiteral("Trackmill 100% / "))
                     + QString::number(m_jobPercent) + QLatin1Char('%'));
    showEncodingTimes();
}

void RipRun::showEncodingTimes()
{
    m_jobElapsed = m_times.now() - m_jobStart;
    RipTimeTexts times;
    times.passed = TimeFigures::FormatTime(m_jobElapsed);
    if (m_jobPercent > 0) {
        const qint64 estimate = m_jobElapsed * 100 / m_jobPercent;
        times.hasEstimate = true;
        times.estimate = TimeFigures::FormatTime(estimate);
        times.remaining = TimeFigures::FormatTime(estimate - m_jobElapsed);
    }
    m_view->showEncodingTimes(times);
}

void RipRun::encoderFinished(bool aborted)
{
    if (!m_running || !m_jobRunning)
        return;
    m_jobRunning = false;
    if (aborted) {
        // A user abort or an encoder error: the partial output stays, the
        // run's own intermediate WAV goes (a WAV from disk stays), and no
        // further track or file is started.
        m_figures.abort = true;
        m_encoderFailure = m_encoder->failure();
        if (!m_encoderFailure.isEmpty())
            m_c.log.add(m_encoderFailure);
        if (m_mode == Mode::OnTheFly)
            return;  // the reader ends the run when it has stopped
        removeIntermediate(m_job);
        reportStop(m_job.track, m_job.encodedPath);
        if (m_mode == Mode::RipThenEncode)
            m_c.tracks.setCell(kInformationColumn, m_job.track, m_c.texts.abortEncoding);
        endRun(End::Aborted, boxText(m_c.texts.abortEncoding));
        return;
    }
    if (m_mode == Mode::WavFiles) {
        showEncodingTimes();
        m_encodingTimes.set(m_fileIndex, m_jobElapsed);
        deleteWavIfAsked(m_job.wavPath);
        report(m_fileIndex, TrackReport::Result::Done, m_job.encodedPath);
        ++m_fileIndex;
        if (m_fileIndex <= m_wavFiles.size()) {
            encodeNextFile();
            return;
        }
        endRun(End::Finished, QStringLiteral("  ") + m_c.texts.finishEncoding + QStringLiteral(".   \n\n    ")
                                  + encodingTime());
        return;
    }
    finishTrack(m_job);
}

RipRun::Task RipRun::fileTask(int index)
{
    const Mp3FileNames files = Mp3FileNames::SetFileNameMp3fromWAV(m_c.settings.directoryMp3,
                                                                   m_wavFiles.at(index - 1), m_encoder->extension());
    Task task;
    task.track = index;
    task.wavPath = files.source;
    task.encodedPath = files.destination;
    m_view->showFiles(files.source, files.destination.mid(files.destination.lastIndexOf(QLatin1Char('/')) + 1),
                      m_c.settings.directoryMp3);
    m_view->showState(m_c.texts.fileOf(index, int(m_wavFiles.size())));
    return task;
}

void RipRun::encodeNextFile()
{
    Task task = fileTask(m_fileIndex);
    m_jobStart = m_times.now();
    QString error;
    if (!startEncoding(task, &error)) {
        report(task.track, TrackReport::Result::Failed, task.encodedPath, error);
        endRun(End::Failed, error);
    }
}

// ---------------------------------------------------------------- finish

void RipRun::deleteWavIfAsked(const QString& path)
{
    if (m_c.settings.deleteWav && QFile::exists(path) && !QFile::remove(path))
        m_c.log.add(QStringLiteral("Could not delete ") + path);
}

TagSources RipRun::tagSources() const
{
    TagSources sources;
    sources.artist = m_c.names.artist();
    sources.album = m_c.names.album();
    sources.split = m_c.settings.split;
    sources.separator = m_c.naming.namingSettings().splitCharacter;
    sources.discNumber = m_c.names.discNumber();
    sources.discCount = m_c.names.discCount();
    sources.cover = m_c.names.cover().data;
    sources.coverMimeType = m_c.names.cover().mimeType;
    return sources;
}

TrackToTag RipRun::tagTrack(const Task& task, const TagSources& sources) const
{
    TrackToTag track;
    track.fileName = task.encodedPath;
    // With Split off a track name is a title, separators and all.
    track.title = sources.split ? TagWriter::splitPart(task.trackName, sources.separator, 1) : task.trackName;
    track.trackName = task.trackName;
    track.trackNumber = task.track;
    track.total = m_c.tracks.RowCount() - 1;
    return track;
}

void RipRun::writeTags(const Task& task)
{
    if (m_output == Output::Wav)
        return;
    const TagSources sources = tagSources();
    const TrackToTag track = tagTrack(task, sources);
    if (m_output == Output::Flac) {
        // The comments went in when the file was made; a front cover goes
        // into the padding kept for such later additions.
        if (!sources.cover.isEmpty()) {
            const QString error = writeVorbisComments(task.encodedPath, m_c.tags.vorbisComments(track, sources),
                                                      sources.cover, sources.coverMimeType);
            if (!error.isEmpty())
                m_c.boxes.error(error);
        }
        return;
    }
    // The tag editor's title fields follow the track being tagged.
    QString title;
    if (sources.split)
        m_c.tags.split(task.trackName, sources.separator, 1, title);
    if (m_c.tags.useId3v1()) {
        const QString error = m_c.tags.writeId3v1(track, sources);
        if (!error.isEmpty())
            m_c.boxes.error(error);
    }
    if (m_c.tags.useId3v2()) {
        const QString error = m_c.tags.writeId3v23(track, sources);
        if (!error.isEmpty())
            m_c.boxes.error(error);
    }
}

void RipRun::finishTrack(Task& task)
{
    switch (m_mode) {
    case Mode::Wav:
        m_c.tracks.setCell(kInformationColumn, task.track, task.rip.information);
        report(task.track, TrackReport::Result::Done, task.wavPath);
        return;
    case Mode::OnTheFly:
        // The reader is still waiting for this job; it shows the track's
        // result when it has stopped.
        writeTags(task);
        m_view->setTitle(QStringLiteral("Trackmill"));
        m_view->resetGauges();
        return;
    case Mode::RipThenEncode:
        break;
    case Mode::WavFiles:
        return;
    }

    // The time of the whole job, even when it ended before its first report.
    showEncodingTimes();
    m_c.tracks.setCell(kInformationColumn, task.track,
                       QStringLiteral(" OK ") + task.rip.passedTime + QLatin1Char('/')
                           + TimeFigures::FormatTime(m_jobElapsed) + secureSuffix(task.track));
    m_encodingTimes.set(task.track, m_jobElapsed);
    if (m_c.settings.deleteWav) {
        removeIntermediate(task);
    } else {
        QString error;
        const QString kept = IntermediateWav::keep(task.wavPath, m_outputDirectory, task.baseName, &error);
        if (kept.isEmpty())
            m_c.log.add(QStringLiteral("Could not name the WAV file ") + task.wavPath + QStringLiteral(": ") + error);
    }
    writeTags(task);
    report(task.track, TrackReport::Result::Done, task.encodedPath);

    const int next = m_c.tracks.NextTrack(task.track);
    if (next <= 0) {
        endRun(End::Finished, QStringLiteral("  ") + m_c.texts.finishGrabbingAndEncoding
                                  + QStringLiteral(".   \n\n    ") + grabbingTime() + QStringLiteral("\n    ")
                                  + encodingTime());
        return;
    }
    m_view->resetGauges();
    m_figures.currentTrack = next;
    // Ripped from the event loop, not from inside the encoder's event.
    QTimer::singleShot(0, this, [this] {
        if (m_running)
            ripNextTrack();
    });
}

// ---------------------------------------------------------------- on the fly

void RipRun::ripTrackOnTheFly(int track)
{
    m_figures.onTheFlyStop = false;
    Task task = makeTask(track, m_encoder->extension());
    EncoderFeedSink sink(
        *m_encoder, [this, &task](quint64 trackBytes, QString* error) {
            m_encodingTimes.clear();
            return startEncoding(task, error, qint64(trackBytes / kBytesPerFrame));
        },
        waitForEvents);
    task.rip = readTrack(task, sink, /*encode*/ true);
    if (sink.dropped() > 0)
        m_c.log.add(QStringLiteral("Encoder stopped: %1 blocks of track %2 not encoded.").arg(sink.dropped()).arg(track));

    if (task.rip.failed()) {
        failTrack(task);
        return;
    }
    // Also when every block was read but the job ended on an error while
    // the encoder still held the track's end: that track has no good file.
    if (task.rip.outcome == TrackRipResult::Outcome::Aborted || m_figures.abort) {
        m_c.tracks.setCell(kInformationColumn, track, m_c.texts.abortGrabbing);
        report(track, TrackReport::Result::Aborted, task.encodedPath);
        endRun(End::Aborted, boxText(m_c.texts.abortGrabbing));
        return;
    }
    m_view->completeGauges();
    m_c.tracks.setCell(kInformationColumn, track, task.rip.information);
    report(track, TrackReport::Result::Done, task.encodedPath);
    if (m_figures.fileCounter >= m_figures.selectedCount) {
        endRun(End::Finished, boxText(m_c.texts.finishGrabbing) + QStringLiteral("\n\n    ") + grabbingTime());
        m_figures.onTheFlyStop = true;
    }
}

}
