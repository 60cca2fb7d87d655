// SPDX-License-Identifier: GPL-2.0-or-later
#include "progresswindowobserver.h"

#include "app/hiddenlog.h"
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

void ProgressWindowObserver::stateChanged(const QString& text)
{
    m_window.State->setText(text);
}

void ProgressWindowObserver::trackMeasured(qint64 sectors)
{
    m_window.ShowTrackMeasured(sectors, m_bothGauges);
}

void ProgressWindowObserver::gaugesReset()
{
    m_window.ResetGauges();
}

void ProgressWindowObserver::titleChanged(const QString& title)
{
    if (m_setTitle)
        m_setTitle(title);
}

void ProgressWindowObserver::timesChanged(const RipTimeTexts& times)
{
    m_window.ShowTimes(times);
}

void ProgressWindowObserver::sectorsRead(qint64 readingSector, qint64 gaugePosition)
{
    m_window.ShowSectorsRead(readingSector, gaugePosition, m_bothGauges);
}

void ProgressWindowObserver::processEvents()
{
    QCoreApplication::processEvents();
}

void ProgressWindowObserver::trackEnded(qint64 totalSectors, const QString& passedTime)
{
    m_window.ShowTrackEnded(totalSectors, passedTime, m_bothGauges);
}

void ProgressWindowObserver::log(const QString& line)
{
    m_log.add(line);
}

}
