// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "rip/runview.h"

namespace trackmill {

class TForm1;
class TForm3;

// A run as the window program shows it: the progress window's labels and
// gauges, the application title (which the task bar shows), the main
// window disabled while the run goes and flashing when it ends unwatched.
class WindowRunView final : public RunView
{
public:
    WindowRunView(TForm1& mainWindow, TForm3& progressWindow);

    void showProgress() override;
    void hideProgress() override;
    bool progressWatched() const override;
    void showState(const QString& text) override;
    void showFiles(const QString& input, const QString& output, const QString& directory) override;
    void showEncoderFigures(const EncoderFigures& figures) override;
    void showTrackMeasured(qint64 sectors, const QString& trackLength, bool bothGauges) override;
    void resetGauges() override;
    void showRipTimes(const RipTimeTexts& times) override;
    void showSectorsRead(qint64 readingSector, qint64 gaugePosition, bool bothGauges) override;
    void showTrackEnded(qint64 totalSectors, const QString& passedTime, bool bothGauges) override;
    void clearRipGroup() override;
    void completeGauges() override;
    void showEncodingProgress(qint64 framesDone, qint64 framesTotal) override;
    void showEncodingTimes(const RipTimeTexts& times) override;
    void showRunningJobs(int jobs) override;
    QString grabbingCaption() const override;
    QString encodingCaption() const override;
    void setTitle(const QString& title) override;
    void setMainWindowEnabled(bool enabled) override;
    void showMainWindow() override;
    void blink(int ms) override;

private:
    TForm1& m_main;
    TForm3& m_progress;
};

}
