// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "timefigures.h"

#include <QString>

namespace trackmill {

// The encoder's figures of the progress window: bitrate ("128kbps" or
// "VBR"), the channel mode's name, the VBR level ("4" or "Off").
struct EncoderFigures
{
    QString bitrate;
    QString quality;
    QString vbr;
};

// What a run shows while it goes: the progress window's texts and gauges,
// the application title, the main window's availability and the task bar.
// The window program implements it over the progress and main windows,
// the command-line ripper over the terminal. Every call comes on the thread
// that runs the run (the window thread); sector counts are sectors of 2352
// bytes. Boxes go through MessageBoxes, grid texts into the Track list.
class RunView
{
public:
    virtual ~RunView() = default;

    // The progress window: shown (raised, activated) when a run starts,
    // hidden when it ends. Watched: it is the active window, so the user
    // needs no blinking to notice the end of the run.
    virtual void showProgress() = 0;
    virtual void hideProgress() = 0;
    virtual bool progressWatched() const = 0;

    // Label State: the batch line.
    virtual void showState(const QString& text) = 0;
    // Labels Input, Output and Directory.
    virtual void showFiles(const QString& input, const QString& output, const QString& directory) = 0;
    virtual void showEncoderFigures(const EncoderFigures& figures) = 0;

    // The grabbing group. trackLength is the play time "mm:ss" of the grid.
    // bothGauges: on the fly, where the encoding gauge follows the reads.
    virtual void showTrackMeasured(qint64 sectors, const QString& trackLength, bool bothGauges) = 0;
    virtual void resetGauges() = 0;
    virtual void showRipTimes(const RipTimeTexts& times) = 0;
    virtual void showSectorsRead(qint64 readingSector, qint64 gaugePosition, bool bothGauges) = 0;
    virtual void showTrackEnded(qint64 totalSectors, const QString& passedTime, bool bothGauges) = 0;
    // An encode-only run: the grabbing group at zero.
    virtual void clearRipGroup() = 0;
    // On the fly, a track read and encoded to its end: both gauges full,
    // the estimates replaced by the times it took.
    virtual void completeGauges() = 0;

    // The encoding group: the gauge at framesDone of framesTotal (frames of
    // 1152 samples), the times of the job (the estimate only once known).
    virtual void showEncodingProgress(qint64 framesDone, qint64 framesTotal) = 0;
    virtual void showEncodingTimes(const RipTimeTexts& times) = 0;
    // A run with several encode jobs at once: how many run now (the gauge
    // then shows the frames of all jobs started so far). 0: the run has one
    // job at a time and shows nothing of it.
    virtual void showRunningJobs(int jobs) = 0;

    // Captions of the two groups, which head the time lines of the finish box.
    virtual QString grabbingCaption() const = 0;
    virtual QString encodingCaption() const = 0;

    // The application title ("Trackmill", "Trackmill 45% / 0%").
    virtual void setTitle(const QString& title) = 0;

    // The main window: disabled while a run goes, given back at its end.
    virtual void setMainWindowEnabled(bool enabled) = 0;
    virtual void showMainWindow() = 0;
    // Flashes the task bar entry (ms per flash) until the user comes back.
    virtual void blink(int ms) = 0;
};

}
