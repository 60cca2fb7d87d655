// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "ripobserver.h"
#include "timefigures.h"

#include <QElapsedTimer>
#include <QString>

namespace trackmill {

class HiddenLog;
class RunView;

// Routes what the ripper reports to the run's view, the hidden log and the
// application title, and lets the event loop run after every read so Abort
// reaches the ripper.
//
// The figures of single reads (sector count, gauge, times) reach the view
// at most every kRedrawMs: a read of 26 sectors from a cached image takes a
// fraction of a millisecond, and drawing the window after each one would
// cost several times the rip itself. Whatever is still pending is shown
// when the track ends, so the final figures are always exact.
class RunViewObserver final : public RipObserver
{
public:
    static constexpr qint64 kRedrawMs = 50;

    RunViewObserver(RunView* view, HiddenLog& log);

    void setView(RunView* view) { m_view = view; }
    // For the track about to be read: its play time "mm:ss" (the grid's
    // column 3 without blanks) and whether the encoding gauge follows the
    // reads (on the fly).
    void prepareTrack(const QString& trackLength, bool bothGauges);

    void stateChanged(const QString& text) override;
    void trackMeasured(qint64 sectors) override;
    void gaugesReset() override;
    void titleChanged(const QString& title) override;
    void timesChanged(const RipTimeTexts& times) override;
    void sectorsRead(qint64 readingSector, qint64 gaugePosition) override;
    void processEvents() override;
    void trackEnded(qint64 totalSectors, const QString& passedTime) override;
    void log(const QString& line) override;

    // Shows the per-read figures that are still waiting.
    void flush();

private:
    void flushIfDue();

    RunView* m_view;
    HiddenLog& m_log;
    QString m_trackLength;
    bool m_bothGauges = false;

    bool m_readPending = false;
    qint64 m_readingSector = 0;
    qint64 m_gaugePosition = 0;
    bool m_timesPending = false;
    RipTimeTexts m_times;
    QElapsedTimer m_lastShown;
};

}
