// SPDX-License-Identifier: GPL-2.0-or-later
#include "windowrunview.h"

#include "app/mainwindow.h"
#include "rip/progresswindow.h"

#include <QGroupBox>
#include <QGuiApplication>

namespace trackmill {

WindowRunView::WindowRunView(TForm1& mainWindow, TForm3& progressWindow)
    : m_main(mainWindow)
    , m_progress(progressWindow)
{
}

void WindowRunView::showProgress()
{
    m_progress.show();
    m_progress.raise();
    m_progress.activateWindow();
}

void WindowRunView::hideProgress()
{
    m_progress.hide();
}

bool WindowRunView::progressWatched() const
{
    return m_progress.isActiveWindow();
}

void WindowRunView::showState(const QString& text)
{
    m_progress.ShowState(text);
}

void WindowRunView::showFiles(const QString& input, const QString& output, const QString& directory)
{
    m_progress.ShowFiles(input, output, directory);
}

void WindowRunView::showEncoderFigures(const EncoderFigures& figures)
{
    m_progress.ShowEncoderFigures(figures.bitrate, figures.quality, figures.vbr);
}

void WindowRunView::showTrackMeasured(qint64 sectors, const QString& trackLength, bool bothGauges)
{
    m_progress.ShowTrackMeasured(sectors, bothGauges);
    m_progress.ShowTrackLength(trackLength);
}

void WindowRunView::resetGauges()
{
    m_progress.ResetGauges();
}

void WindowRunView::showRipTimes(const RipTimeTexts& times)
{
    m_progress.ShowTimes(times);
}

void WindowRunView::showSectorsRead(qint64 readingSector, qint64 gaugePosition, bool bothGauges)
{
    m_progress.ShowSectorsRead(readingSector, gaugePosition, bothGauges);
}

void WindowRunView::showTrackEnded(qint64 totalSectors, const QString& passedTime, bool bothGauges)
{
    m_progress.ShowTrackEnded(totalSectors, passedTime, bothGauges);
}

void WindowRunView::clearRipGroup()
{
    m_progress.ClearRipGroup();
}

void WindowRunView::completeGauges()
{
    m_progress.CompleteGauges();
}

void WindowRunView::showEncodingProgress(qint64 framesDone, qint64 framesTotal)
{
    m_progress.ShowEncodingProgress(framesDone, framesTotal);
}

void WindowRunView::showEncodingTimes(const RipTimeTexts& times)
{
    m_progress.ShowEncodingTimes(times);
}

void WindowRunView::showRunningJobs(int jobs)
{
    m_progress.ShowRunningJobs(jobs);
}

QString WindowRunView::grabbingCaption() const
{
    return m_progress.Grb_Grabbing->title();
}

QString WindowRunView::encodingCaption() const
{
    return m_progress.Grb_Encoding->title();
}

void WindowRunView::setTitle(const QString& title)
{
    // Offered before every read, and every window's title follows it:
    // set only when it changes.
    if (QGuiApplication::applicationDisplayName() != title)
        QGuiApplication::setApplicationDisplayName(title);
}

void WindowRunView::setMainWindowEnabled(bool enabled)
{
    m_main.FormEnabled(enabled);
}

void WindowRunView::showMainWindow()
{
    m_main.show();
}

void WindowRunView::blink(int ms)
{
    m_main.MakeBlinking(ms);
}

}
