// SPDX-License-Identifier: GPL-2.0-or-later
// A run's view for whole-program tests: forwards to the windows' view, and
// takes over what would reach the desktop (the title, the blinking, whether
// the user looks at the progress window) so a test can record and steer it.
#pragma once

#include "cd/drivetray.h"
#include "rip/runview.h"

#include <QStringList>
#include <functional>

namespace trackmill::test {

class RecordingRunView : public RunView
{
public:
    explicit RecordingRunView(RunView& windows)
        : m_windows(windows)
    {
    }

    // What blink() and the title record into (the caller's call list).
    QStringList* calls = nullptr;
    // Whether the user looks at the progress window (null: always).
    const bool* watched = nullptr;
    std::function<void(const QString&)> onTitle;
    // Each state line shown, once per change, and every title offered.
    QStringList states, titles;
    // Each count of running jobs shown, once per change.
    QList<int> runningJobs;

    void showProgress() override { m_windows.showProgress(); }
    void hideProgress() override { m_windows.hideProgress(); }
    bool progressWatched() const override { return !watched || *watched; }
    void showState(const QString& text) override
    {
        if (states.isEmpty() || states.last() != text)
            states << text;
        m_windows.showState(text);
    }
    void showFiles(const QString& input, const QString& output, const QString& directory) override
    {
        m_windows.showFiles(input, output, directory);
    }
    void showEncoderFigures(const EncoderFigures& figures) override { m_windows.showEncoderFigures(figures); }
    void showTrackMeasured(qint64 sectors, const QString& trackLength, bool bothGauges) override
    {
        m_windows.showTrackMeasured(sectors, trackLength, bothGauges);
    }
    void resetGauges() override { m_windows.resetGauges(); }
    void showRipTimes(const RipTimeTexts& times) override { m_windows.showRipTimes(times); }
    void showSectorsRead(qint64 readingSector, qint64 gaugePosition, bool bothGauges) override
    {
        m_windows.showSectorsRead(readingSector, gaugePosition, bothGauges);
    }
    void showTrackEnded(qint64 totalSectors, const QString& passedTime, bool bothGauges) override
    {
        m_windows.showTrackEnded(totalSectors, passedTime, bothGauges);
    }
    void clearRipGroup() override { m_windows.clearRipGroup(); }
    void completeGauges() override { m_windows.completeGauges(); }
    void showEncodingProgress(qint64 framesDone, qint64 framesTotal) override
    {
        m_windows.showEncodingProgress(framesDone, framesTotal);
    }
    void showEncodingTimes(const RipTimeTexts& times) override { m_windows.showEncodingTimes(times); }
    void showRunningJobs(int jobs) override
    {
        if (runningJobs.isEmpty() || runningJobs.last() != jobs)
            runningJobs << jobs;
        m_windows.showRunningJobs(jobs);
    }
    QString grabbingCaption() const override { return m_windows.grabbingCaption(); }
    QString encodingCaption() const override { return m_windows.encodingCaption(); }
    void setTitle(const QString& title) override
    {
        titles << title;
        if (onTitle)
            onTitle(title);
    }
    void setMainWindowEnabled(bool enabled) override { m_windows.setMainWindowEnabled(enabled); }
    void showMainWindow() override { m_windows.showMainWindow(); }
    void blink(int ms) override
    {
        if (calls)
            *calls << QStringLiteral("blink:%1").arg(ms);
    }

private:
    RunView& m_windows;
};

// Notes the tray requests instead of opening a tray.
class RecordingTray : public DriveTray
{
public:
    QStringList* calls = nullptr;
    bool openTray(const QString& path) override
    {
        if (calls)
            *calls << QStringLiteral("eject:") + path;
        return true;
    }
};

}
