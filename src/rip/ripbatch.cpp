// SPDX-License-Identifier: GPL-2.0-or-later
#include "ripbatch.h"

#include "outputdirectory.h"
#include "progresswindow.h"
#include "wavfilesink.h"

#include "platform/hiddenlog.h"
#include "app/mainwindow.h"
#include "app/tracklist.h"
#include "cd/cddrives.h"
#include "cd/drivelist.h"
#include "platform/messageboxes.h"
#include "platform/systemservices.h"
#include "settings/settings.h"

#include <QGroupBox>
#include <QLabel>

namespace trackmill {

namespace {

const QString kTitle = QStringLiteral("Trackmill");

// Information column of the track grid.
constexpr int kInformationColumn = 5;

QString withTrailingSlash(const QString& path)
{
    if (path.isEmpty() || path.endsWith(QLatin1Char('/')))
        return path;
    return path + QLatin1Char('/');
}

// The boxes of the batch: two blanks, the text, a full stop, two blanks.
QString boxText(const QString& text)
{
    return QStringLiteral("  ") + text + QStringLiteral(".  ");
}

}

RipBatch::RipBatch(Collaborators collaborators, Sources sources, QObject* parent)
    : QObject(parent)
    , m_c(collaborators)
    , m_sources(std::move(sources))
    , m_times(m_figures, m_sources.clock ? m_sources.clock : steadyTickClock())
    , m_observer(m_c.form3, m_c.log, [this](const QString& title) { setTitle(title); })
    , m_ripper(m_figures, m_times, m_observer)
{
    connect(&m_c.form3, &TForm3::abortRequested, this, &RipBatch::AbortRipping);
}

RipBatch::~RipBatch() = default;

LanguageTexts RipBatch::texts() const
{
    return m_sources.texts ? m_sources.texts() : LanguageTexts{};
}

OutputNaming RipBatch::naming() const
{
    return OutputNaming(m_sources.naming ? m_sources.naming() : NamingSettings{});
}

QString RipBatch::outputDirectory() const
{
    return withTrailingSlash(m_c.settings.directoryMp3);
}

void RipBatch::setTitle(const QString& title)
{
    if (m_sources.setTitle)
        m_sources.setTitle(title);
}

void RipBatch::FormEnabled(bool enabled)
{
    m_c.form1.FormEnabled(enabled);
}

QString RipBatch::GrabbingTime() const
{
    return TimeFigures::GrabbingTime(m_c.form3.Grb_Grabbing->title(), m_figures.grabTimes,
                                     m_c.tracks.RowCount());
}

// ---------------------------------------------------------------- the start

bool RipBatch::CheckSelection()
{
    m_figures.grabTimes.clear();
    if (!m_c.tracks.Selected()) {
        m_c.messageBoxes.warning(boxText(texts().noTrackSelected));
        return false;
    }
    return true;
}

bool RipBatch::StartOnDisc(Command command)
{
    if (!m_c.tracks.CD()) {
        m_c.messageBoxes.warning(boxText(texts().noDisc));
        return false;
    }
    ScreenSaverOff();

    m_figures.fileCounter = 0;
    m_figures.ripError = false;
    m_figures.onTheFlyStop = false;
    if (command != Command::MP3)
        m_figures.abort = false;
    if (command == Command::MP3) {
        FormEnabled(false);
    } else {
        m_figures.busy = true;
        m_c.form1.SetProcess(true);
    }
    m_ejected = false;
    const TrackList::SelectionFigures selection = m_c.tracks.SelectedTracks();
    m_figures.firstSelected = selection.firstTrack;
    m_figures.currentTrack = selection.currentTrack;
    m_figures.selectedCount = selection.selectedCount;

    // The sub-directories of this disc extend the directory text for the
    // batch only; the text is given back at its end.
    m_figures.savedOutputDirectory = m_c.settings.directoryMp3;
    OutputDirectory directory(naming(), m_c.settings.directoryMp3);
    QString artist = m_c.form1.artist();
    QString album = m_c.form1.album();
    QString year = m_sources.year ? m_sources.year() : QString();
    directory.MakingDirectory(artist, album, year);
    m_c.form1.setArtist(artist);
    m_c.form1.setAlbum(album);
    if (m_sources.setYear)
        m_sources.setYear(year);
    m_c.settings.directoryMp3 = directory.directory();
    if (!directory.hasError())
        directory.Check();
    m_c.settings.outputDirectoryError = directory.hasError();

    if (directory.hasError()) {
        // The design's text, then which folder and why, so the user can
        // put it right.
        m_c.messageBoxes.error(QStringLiteral("  ") + texts().errorPathFilename + QStringLiteral(".   ")
                               + QStringLiteral("\n\n") + directory.errorText());
        // Given back whichever command failed: a half-made path must not
        // become the start of the next batch's path.
        RestoreOutputDirectory();
        m_figures.busy = false;
        m_c.form1.SetProcess(false);
        FormEnabled(true);
        ScreenSaverOn();
        return false;
    }
    showProgressWindow();
    return true;
}

bool RipBatch::CommonStart(Command command)
{
    return CheckSelection() && StartOnDisc(command);
}

void RipBatch::showProgressWindow()
{
    m_c.form3.show();
    m_c.form3.raise();
    m_c.form3.activateWindow();
}

// ---------------------------------------------------------------- the batch

void RipBatch::WAVClick()
{
    // Events are handled between reads; the main window is disabled, but
    // a second batch must never start inside the first.
    if (m_running)
        return;
    if (!CommonStart(Command::WAV))
        return;
    m_running = true;
    for (int n = 1; n < m_c.tracks.RowCount(); ++n) {
        if (!m_c.tracks.isSelected(n))
            continue;
        m_figures.currentTrack = n;
        RipTrack(n, false);
        if (m_figures.abort || m_figures.ripError)
            break;
    }
    // After an abort or a failure the ripper did not eject; the finished
    // batch has already.
    if (m_c.settings.ejectCdAudio)
        EjectSelectedDrive();
    RestoreOutputDirectory();
    ScreenSaverOn();
    m_running = false;
}

void RipBatch::showEncoderFigures()
{
    const Settings& s = m_c.settings;
    m_c.form3.Quality->setText(Settings::qualityNames().value(s.quality));
    if (s.vbrRatio) {
        m_c.form3.Bitrate->setText(QStringLiteral("VBR"));
        m_c.form3.VBR->setText(s.vbr >= 0 && s.vbr < Settings::kVbrLevels ? QString::number(s.vbr)
                                                                              : QString());
    } else {
        // The MPEG-1 table when MPEG1 is checked, else the MPEG-2 one.
        const Settings::MpegVersion version =
            s.mpegVersion == Settings::MpegVersion::Mpeg1 ? Settings::MpegVersion::Mpeg1
                                                           : Settings::MpegVersion::Mpeg2;
        m_c.form3.Bitrate->setText(QString::fromLatin1(Settings::bitrateText(version, s.bitrate)));
        m_c.form3.VBR->setText(QStringLiteral("Off"));
    }
}

void RipBatch::RipTrack(int track, bool encode)
{
    const LanguageTexts t = texts();
    m_ripper.setTexts({t.grabbingTrack, t.file, t.of, t.aspiError, t.abortGrabbing});
    FormEnabled(false);
    m_c.form1.SetProcess(true);

    // The base name is a single safe file name: whatever the disc or freedb
    // calls the track, the file stays inside the output directory.
    const QString trackName = m_c.tracks.trackName(track);
    const QString baseName = naming().BaseFileName(track, trackName, m_c.form1.artist());
    const QString directory = outputDirectory();
    const QString wavPath = directory + baseName + QStringLiteral(".wav");
    // The labels show text as it stands, so an "&" needs no doubling.
    m_c.form3.Input->setText(baseName + QStringLiteral(".cda"));
    m_c.form3.Output->setText(baseName + (encode ? QStringLiteral(".mp3") : QStringLiteral(".wav")));
    m_c.form3.Directory->setText(m_c.settings.directoryMp3);
    showEncoderFigures();

    TrackRipper::Options options;
    options.encode = encode;
    options.onTheFlyEncoding = m_c.settings.onTheFly;
    TrackRipResult result;
    {
        WavFileSink sink(wavPath);
        result = m_ripper.RipTrack(m_c.drives.handle(), track, m_c.tracks.MySelectedTracks(), sink, options);
    }

    if (result.failed()) {
        failTrack(track, result);
        return;
    }
    if (result.outcome == TrackRipResult::Outcome::Aborted) {
        abortTrack(track, result);
        return;
    }

    m_c.tracks.setCell(kInformationColumn, track, result.information);
    if (!encode) {
        if (m_figures.fileCounter >= m_figures.selectedCount) {
            const QString finish = boxText(t.finishGrabbing) + QStringLiteral("\n\n    ") + GrabbingTime();
            EndOfRun(finish, 500);
        }
        return;
    }

    setTitle(QStringLiteral("Trackmill 100% / 0%"));
    if (m_hooks.Encode) {
        m_hooks.Encode({m_figures.savedOutputDirectory, directory, wavPath, baseName, trackName, track,
                        m_figures.selectedCount});
    }
}

void RipBatch::failTrack(int track, const TrackRipResult& result)
{
    using Outcome = TrackRipResult::Outcome;
    setTitle(kTitle);
    if (!result.information.isEmpty()) {
        m_c.tracks.setCell(kInformationColumn, track, result.information);
    } else if (result.outcome != Outcome::ReadFailed) {
        // Nothing was ripped: say why on the track's row too.
        m_c.tracks.setCell(kInformationColumn, track, result.errorText.section(QLatin1Char('\n'), 0, 0));
    }
    m_c.messageBoxes.error(result.errorText);
    RestoreOutputDirectory();
    // Closing the progress window aborts the batch.
    AbortRipping();
    m_figures.ripError = true;
    m_figures.busy = false;
    m_c.form1.SetProcess(false);
    FormEnabled(true);
    ScreenSaverOn();
}

void RipBatch::abortTrack(int track, const TrackRipResult& result)
{
    Q_UNUSED(result);
    const QString abortText = texts().abortGrabbing;
    setTitle(kTitle);
    m_c.tracks.setCell(kInformationColumn, track, abortText);
    ScreenSaverOn();
    m_c.messageBoxes.warning(boxText(abortText));
    RestoreOutputDirectory();
    giveWindowsBack();
}

void RipBatch::giveWindowsBack()
{
    m_figures.busy = false;
    m_c.form1.SetProcess(false);
    if (m_sources.resetTagEditor)
        m_sources.resetTagEditor();
    m_c.form3.hide();
    FormEnabled(true);
    m_c.form1.show();
}

void RipBatch::EndOfRun(const QString& finishText, int blinkMs)
{
    setTitle(kTitle);
    ScreenSaverOn();
    const int action = m_c.settings.afterExecute;
    if (action > 0) {
        Execute(action);
    } else {
        BlinkUnlessWatched(blinkMs);
        m_c.messageBoxes.information(finishText);
    }
    if (m_c.settings.ejectCdAudio)
        EjectSelectedDrive();
    giveWindowsBack();
}

void RipBatch::BlinkUnlessWatched(int blinkMs)
{
    const bool watched = m_sources.progressWindowActive ? m_sources.progressWindowActive()
                                                        : m_c.form3.isActiveWindow();
    if (!watched && m_sources.makeBlinking)
        m_sources.makeBlinking(blinkMs);
}

void RipBatch::AbortRipping()
{
    FormEnabled(true);
    m_figures.abort = true;
    if (m_hooks.stopEncoder)
        m_hooks.stopEncoder();
    m_c.form3.hide();
}

// ---------------------------------------------------------------- the end

void RipBatch::ScreenSaverOff()
{
    if (m_screenSaverOff || !m_c.settings.preventScreensaver)
        return;
    m_c.system.setScreenSaverActive(false);
    m_screenSaverOff = true;
}

void RipBatch::ScreenSaverOn()
{
    if (!m_screenSaverOff)
        return;
    m_screenSaverOff = false;
    m_c.system.setScreenSaverActive(true);
}

void RipBatch::Execute(int index)
{
    if (index == 1)
        m_c.system.requestPowerAction(SystemServices::PowerAction::Shutdown);
    else if (index == 2)
        m_c.system.requestPowerAction(SystemServices::PowerAction::Restart);
}

void RipBatch::EjectSelectedDrive()
{
    if (m_ejected)
        return;
    m_ejected = true;
    // The path of the selected entry, without rebuilding the drive table
    // (which would clear the hidden log).
    const QString path = m_c.drives.DetectCD().value(m_c.driveList.selectedIndex());
    if (path.isEmpty())
        return;
    if (m_sources.eject)
        m_sources.eject(path);
    else
        m_c.drives.OpenCloseCD(path, true);
}

void RipBatch::RestoreOutputDirectory()
{
    m_c.settings.directoryMp3 = m_figures.savedOutputDirectory;
}

}
