// SPDX-License-Identifier: GPL-2.0-or-later
#include "progresswindowobserver.h"

#include "platform/hiddenlog.h"
#include "progresswindow.h"

#include <QCoreApplication>
#include <QLabel>

namespace trackmill {

ProgressWindowObserver::ProgressWindowObserver(TForm3& window, HiddenLog& log, TitleSetter setTitle,
                                               bool bothGauges)
    : m_window(window)
    , m_log(log)
    , m_setTitle(std::move(setTitle))
    , m_bothGauges(bothGauges)
{
}

void ProgressWindowObserver::flush()
{
    if (m_timesPending)
        m_window.ShowTimes(m_times);
    if (m_readPending)
        m_window.ShowSectorsRead(m_readingSector, m_gaugePosition, m_bothGauges);
    m_timesPending = false;
    m_readPending = false;
    m_lastShown.start();
}

void ProgressWindowObserver::flushIfDue()
{
    if (!m_lastShown.isValid() || m_lastShown.elapsed() >= kRedrawMs)
        flush();
}

void ProgressWindowObserver::stateChanged(const QString& text)
{
    // A new track: what the last one left waiting is shown first (a track
    // that failed never reported its end).
    flush();
    m_lastShown.invalidate();
    m_window.State->setText(text);
}

void ProgressWindowObserver::trackMeasured(qint64 sectors)
{
    m_window.ShowTrackMeasured(sectors, m_bothGauges);
}

void ProgressWindowObserver::gaugesReset()
{
    m_readPending = false;
    m_window.ResetGauges();
}

void ProgressWindowObserver::titleChanged(const QString& title)
{
    if (m_setTitle)
        m_setTitle(title);
}

void ProgressWindowObserver::timesChanged(const RipTimeTexts& times)
{
    // The estimate appears once and stays: keep the last one shown when a
    // later call has none.
    const bool hadEstimate = m_timesPending && m_times.hasEstimate;
    const QString estimate = m_times.estimate, remaining = m_times.remaining;
    m_times = times;
    if (hadEstimate && !times.hasEstimate) {
        m_times.hasEstimate = true;
        m_times.estimate = estimate;
        m_times.remaining = remaining;
    }
    m_timesPending = true;
    flushIfDue();
}

void ProgressWindowObserver::sectorsRead(qint64 readingSector, qint64 gaugePosition)
{
    m_readingSector = readingSector;
    m_gaugePosition = gaugePosition;
    m_readPending = true;
    flushIfDue();
}

void ProgressWindowObserver::processEvents()
{
    QCoreApplication::processEvents();
}

void ProgressWindowObserver::trackEnded(qint64 totalSectors, const QString& passedTime)
{
    flush();
    m_window.ShowTrackEnded(totalSectors, passedTime, m_bothGauges);
}

void ProgressWindowObserver::log(const QString& line)
{
    m_log.add(line);
}

}
