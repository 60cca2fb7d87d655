// SPDX-License-Identifier: GPL-2.0-or-later
#include "runviewobserver.h"

#include "runview.h"

#include "platform/hiddenlog.h"

#include <QCoreApplication>

namespace trackmill {

RunViewObserver::RunViewObserver(RunView* view, HiddenLog& log)
    : m_view(view)
    , m_log(log)
{
}

void RunViewObserver::prepareTrack(const QString& trackLength, bool bothGauges)
{
    m_trackLength = trackLength;
    m_bothGauges = bothGauges;
}

void RunViewObserver::flush()
{
    if (m_timesPending)
        m_view->showRipTimes(m_times);
    if (m_readPending)
        m_view->showSectorsRead(m_readingSector, m_gaugePosition, m_bothGauges);
    m_timesPending = false;
    m_readPending = false;
    m_lastShown.start();
}

void RunViewObserver::flushIfDue()
{
    if (!m_lastShown.isValid() || m_lastShown.elapsed() >= kRedrawMs)
        flush();
}

void RunViewObserver::stateChanged(const QString& text)
{
    // A new track: what the last one left waiting is shown first (a track
    // that failed never reported its end).
    flush();
    m_lastShown.invalidate();
    m_view->showState(text);
}

void RunViewObserver::trackMeasured(qint64 sectors)
{
    m_view->showTrackMeasured(sectors, m_trackLength, m_bothGauges);
}

void RunViewObserver::gaugesReset()
{
    m_readPending = false;
    m_view->resetGauges();
}

void RunViewObserver::titleChanged(const QString& title)
{
    m_view->setTitle(title);
}

void RunViewObserver::timesChanged(const RipTimeTexts& times)
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

void RunViewObserver::sectorsRead(qint64 readingSector, qint64 gaugePosition)
{
    m_readingSector = readingSector;
    m_gaugePosition = gaugePosition;
    m_readPending = true;
    flushIfDue();
}

void RunViewObserver::processEvents()
{
    QCoreApplication::processEvents();
}

void RunViewObserver::trackEnded(qint64 totalSectors, const QString& passedTime)
{
    flush();
    m_view->showTrackEnded(totalSectors, passedTime, m_bothGauges);
}

void RunViewObserver::log(const QString& line)
{
    m_log.add(line);
}

}
