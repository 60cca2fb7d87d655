// SPDX-License-Identifier: GPL-2.0-or-later
// TForm1's MP3 command (see mp3command.h).
#include "mp3command.h"

#include "encodejobs.h"
#include "encoderfeedsink.h"
#include "encodersettings.h"
#include "gogotea.h"

#include "platform/hiddenlog.h"
#include "app/mainwindow.h"
#include "app/tracklist.h"
#include "cd/cddrives.h"
#include "platform/messageboxes.h"
#include "platform/systemservices.h"
#include "rip/progresswindow.h"
#include "rip/progresswindowobserver.h"
#include "rip/ripbatch.h"
#include "rip/timefigures.h"
#include "rip/trackripper.h"
#include "settings/settings.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

namespace trackmill {

namespace {

constexpr int kInformationColumn = 5;
const QString kTitle = QStringLiteral("Trackmill");

QString boxText(const QString& text)
{
    return QStringLiteral("  ") + text + QStringLiteral(".  ");
}

// Handles the events of the user interface for at most ms milliseconds,
// returning as soon as one came: the end of the encoder's job wakes it.
void waitForEvents(int ms)
{
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(ms);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

}

Mp3Command::Mp3Command(Collaborators collaborators, QObject* parent)
    : QObject(parent)
    , m_c(collaborators)
{
}

Mp3Command::~Mp3Command() = default;

QString Mp3Command::wavFilter()
{
    return QStringLiteral("Files (.wav) (*.wav)");
}

void Mp3Command::MP3Click()
{
    // Events are handled during a run; a second one must never start inside it.
    if (m_running || m_c.batch.running() || m_c.jobs.busy() || m_c.form1.GetProcess())
        return;
    m_c.jobs.InitializeTabEncoding();
    if (!m_c.batch.CheckSelection())
        return;
    if (m_c.settings.encodeWavToMp3) {
        m_c.batch.FormEnabled(false);
        AddFilesWAV();
        return;
    }
    const bool onTheFly = m_c.settings.onTheFly;
    if (!m_c.batch.StartOnDisc(onTheFly ? RipBatch::Command::OnTheFly : RipBatch::Command::MP3))
        return;
    BatchFigures& figures = m_c.batch.figures();

    if (!onTheFly) {
        // Each finished job rips the next selected track (EncodeJobs).
        m_c.batch.RipTrack(figures.firstSelected, true);
        return;
    }

    m_running = true;
    for (int n = 1; n < m_c.tracks.RowCount(); ++n) {
        if (!m_c.tracks.isSelected(n) || m_c.settings.outputDirectoryError)
            continue;
        figures.currentTrack = n;
        RipTrackOnTheFly(n);
        if (figures.abort || figures.ripError || figures.onTheFlyStop)
            break;
    }
    m_c.batch.RestoreOutputDirectory();
    m_c.batch.ScreenSaverOn();
    m_running = false;
}

void Mp3Command::showEncoderFigures()
{
    const Settings& s = m_c.settings;
    m_c.form3.Quality->setText(Settings::qualityNames().value(s.quality));
    if (s.vbrRatio) {
        m_c.form3.Bitrate->setText(QStringLiteral("VBR"));
        m_c.form3.VBR->setText(s.vbr >= 0 && s.vbr < Settings::kVbrLevels ? QString::number(s.vbr) : QString());
    } else {
        m_c.form3.Bitrate->setText(EncoderSettings::GetBitrate(s, s.bitrate));
        m_c.form3.VBR->setText(QStringLiteral("Off"));
    }
}

void Mp3Command::RipTrackOnTheFly(int track)
{
    RipBatch& batch = m_c.batch;
    BatchFigures& figures = batch.figures();
    const LanguageTexts t = batch.sources().texts ? batch.sources().texts() : LanguageTexts{};
    const auto setTitle = [&batch](const QString& title) {
        if (batch.sources().setTitle)
            batch.sources().setTitle(title);
    };

    batch.FormEnabled(false);
    m_c.form1.SetProcess(true);
    figures.onTheFlyStop = false;

    const QString trackName = m_c.tracks.trackName(track);
    const QString baseName = batch.naming().BaseFileName(track, trackName, m_c.form1.artist());
    m_c.form3.Input->setText(baseName + QStringLiteral(".cda"));
    m_c.form3.Output->setText(baseName + QStringLiteral(".mp3"));
    m_c.form3.Directory->setText(m_c.settings.directoryMp3);
    showEncoderFigures();

    // Both gauges follow the reads; the encoding group repeats the times.
    ProgressWindowObserver observer(m_c.form3, m_c.log, setTitle, /*bothGauges*/ true);
    TrackRipper ripper(figures, batch.times(), observer,
                       {t.grabbingTrack, t.file, t.of, t.aspiError, t.abortGrabbing});
    TrackRipper::Options options;
    options.encode = true;
    options.onTheFlyEncoding = true;
    options.encodingGaugeFollowsReads = true;

    const int selected = figures.selectedCount;
    EncoderFeedSink sink(
        m_c.GogoTea1,
        [&](QString* error) { return m_c.jobs.EncodeOnTheFly(baseName, track, selected, error); },
        waitForEvents);
    const TrackRipResult result =
        ripper.RipTrack(m_c.drives.handle(), track, m_c.tracks.MySelectedTracks(), sink, options);
    if (sink.dropped() > 0)
        m_c.log.add(QStringLiteral("Encoder stopped: %1 blocks of track %2 not encoded.")
                        .arg(sink.dropped())
                        .arg(track));

    if (result.failed()) {
        failTrack(track, result);
        return;
    }
    // Also when every block was read but the job ended on an error while
    // the ring still held the track's end: that track has no good MP3.
    if (result.outcome == TrackRipResult::Outcome::Aborted || figures.abort) {
        // The encoder's end of job has shown the abort box.
        m_c.tracks.setCell(kInformationColumn, track, t.abortGrabbing);
        setTitle(kTitle);
        m_c.form3.hide();
        batch.FormEnabled(true);
        figures.busy = false;
        m_c.form1.SetProcess(false);
        return;
    }

    TForm3::SetGauge(m_c.form3.ProgressBar1, m_c.form3.ProgressBar1->maximum());
    TForm3::SetGauge(m_c.form3.ProgressBar2, m_c.form3.ProgressBar2->maximum());
    m_c.form3.ReadingSector->setText(m_c.form3.TotalSector->text());
    m_c.form3.EstimateTimeRip->setText(m_c.form3.PassedTimeRip->text());
    m_c.form3.EstimateTime->setText(m_c.form3.PassedTime->text());
    m_c.tracks.setCell(kInformationColumn, track, result.information);
    if (figures.fileCounter >= figures.selectedCount) {
        batch.EndOfRun(boxText(t.finishGrabbing) + QStringLiteral("\n\n    ") + batch.GrabbingTime(), 500);
        figures.onTheFlyStop = true;
    }
}

void Mp3Command::failTrack(int track, const TrackRipResult& result)
{
    RipBatch& batch = m_c.batch;
    BatchFigures& figures = batch.figures();
    if (batch.sources().setTitle)
        batch.sources().setTitle(kTitle);
    if (!result.information.isEmpty())
        m_c.tracks.setCell(kInformationColumn, track, result.information);
    else if (result.outcome != TrackRipResult::Outcome::ReadFailed)
        m_c.tracks.setCell(kInformationColumn, track, result.errorText.section(QLatin1Char('\n'), 0, 0));
    m_c.boxes.error(result.errorText);
    batch.RestoreOutputDirectory();
    // Closing the progress window stops the encoder's job for this track.
    batch.AbortRipping();
    figures.ripError = true;
    figures.busy = false;
    m_c.form1.SetProcess(false);
    batch.FormEnabled(true);
}

void Mp3Command::AddFilesWAV()
{
    const QStringList files =
        m_c.shell.selectFiles(QStringLiteral("Open"), QString(), wavFilter());
    if (files.isEmpty()) {
        m_c.batch.FormEnabled(true);
        return;
    }
    TForm3& f = m_c.form3;
    f.Directory->setText(m_c.settings.directoryMp3);
    for (QLabel* label : {f.PassedTimeRip, f.EstimateTimeRip, f.RemainTimeRip})
        label->setText(QStringLiteral("00:00:00"));
    f.ReadingSector->setText(QStringLiteral("0"));
    f.TotalSector->setText(QStringLiteral("0"));
    f.TrackLength->setText(QStringLiteral("0:00"));
    TForm3::SetGauge(f.ProgressBar1, 0);
    showEncoderFigures();
    if (!m_c.jobs.EncodeWAV(files))
        return;
    f.show();
}

}
