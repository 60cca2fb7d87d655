// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "ripobserver.h"

#include <QString>

#include <functional>

namespace trackmill {

class HiddenLog;
class TForm3;

// Routes what a ripper reports to the progress window, the hidden log and
// the application title, and lets the user interface handle its events
// after every read so Abort reaches the ripper.
class ProgressWindowObserver final : public RipObserver
{
public:
    using TitleSetter = std::function<void(const QString&)>;

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

private:
    TForm3& m_window;
    HiddenLog& m_log;
    TitleSetter m_setTitle;
    bool m_bothGauges;
};

}
