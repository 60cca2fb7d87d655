// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

namespace trackmill {

struct RipTimeTexts;

// What a ripper shows while it reads a track, in the terms of the progress
// window, the application title and the hidden log. The main window routes
// these to its windows; every call comes on the user-interface thread.
// Sector counts are sectors of 2352 bytes.
class RipObserver
{
public:
    virtual ~RipObserver() = default;

    // Label State: the batch line of the track starting.
    virtual void stateChanged(const QString& /*text*/) {}
    // The track's length was read from the TOC: label TotalSector and the
    // maximum of the gauge ProgressBar1 (and ProgressBar2 on the fly).
    virtual void trackMeasured(qint64 /*sectors*/) {}
    // The output was created: both gauges go back to 0.
    virtual void gaugesReset() {}
    // The application title, "Trackmill <read>% / <encoded>%".
    virtual void titleChanged(const QString& /*title*/) {}
    // One call of the time routine (before every read).
    virtual void timesChanged(const RipTimeTexts& /*times*/) {}
    // A read succeeded: label ReadingSector shows readingSector, the gauge
    // ProgressBar1 (and ProgressBar2 on the fly) moves to gaugePosition.
    virtual void sectorsRead(qint64 /*readingSector*/, qint64 /*gaugePosition*/) {}
    // After every successful read: let the user interface handle pending
    // events (this is how the Abort button reaches the ripper).
    virtual void processEvents() {}
    // The track is over (done or aborted): ReadingSector shows the track's
    // sectors, EstimateTimeRip the elapsed time, ProgressBar1 is full.
    virtual void trackEnded(qint64 /*totalSectors*/, const QString& /*passedTime*/) {}
    // A line for the hidden log.
    virtual void log(const QString& /*line*/) {}
};

}
