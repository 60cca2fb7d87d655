// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "ripobserver.h"
#include "timefigures.h"

#include <QElapsedTimer>
#include <QString>

#include <functional>

namespace trackmill {

class HiddenLog;
class TForm3;

// Routes what a ripper reports to the progress window, the hidden log and
// the application title, and lets the user interface handle its events
// after every read so Abort reaches the ripper.
//
// The figures of single reads (sector count, gauge, times) reach the window
// at most every kRedrawMs: a read of 26 sectors from a cached image takes a
// fraction of a millisecond, and drawing the window after each one would
// cost several times the rip itself. Whatever is still pending is shown
// when the track ends, so the final figures are always exact.
class ProgressWindowObserver final : public RipObserver
{
public:
    using TitleSetter = std::function<void(const QString&)>;

    // Milliseconds between two updates of the per-read figures.
    static constexpr qint64 kRedrawMs = 50;

    // bothGauges: on the fly, where the encoding gauge follows the reads.
    ProgressWindowObserver(TForm3& window, HiddenLog& log, TitleSetter setTitle, bool bothGauges = false);

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

    TForm3& m_window;
    HiddenLog& m_log;
    TitleSetter m_setTitle;
    bool m_bothGauges;

    bool m_readPending = false;
    qint64 m_readingSector = 0;
    qint64 m_gaugePosition = 0;
    bool m_timesPending = false;
    RipTimeTexts m_times;
    QElapsedTimer m_lastShown;
};

}
