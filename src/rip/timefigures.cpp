// SPDX-License-Identifier: GPL-2.0-or-later
#include "timefigures.h"

#include "batchfigures.h"

namespace trackmill {

namespace {

QString twoDigits(qint64 value)
{
    return QString::number(value).rightJustified(2, QLatin1Char('0'));
}

}

TimeFigures::TimeFigures(BatchFigures& figures, TickClock clock)
    : m_figures(figures)
    , m_clock(std::move(clock))
{
}

void TimeFigures::StartTrack()
{
    m_figures.trackStartTick = now();
    m_figures.elapsed = 0;
    m_figures.estimate = 0;
    m_figures.remaining = 0;
    m_figures.percentRead = 0;
}

RipTimeTexts TimeFigures::update()
{
    RipTimeTexts texts;
    m_figures.elapsed = now() - m_figures.trackStartTick;
    texts.passed = FormatTime(m_figures.elapsed);
    if (m_figures.percentRead > 0) {
        m_figures.estimate = m_figures.elapsed * 100 / m_figures.percentRead;
        m_figures.remaining = m_figures.estimate - m_figures.elapsed;
        texts.hasEstimate = true;
        texts.estimate = FormatTime(m_figures.estimate);
        texts.remaining = FormatTime(m_figures.remaining);
    }
    return texts;
}

RipTimeTexts TimeFigures::GetTimeEncodeTotalRip(bool onTheFlyEncoding)
{
    RipTimeTexts texts = update();
    texts.encodingToo = onTheFlyEncoding;
    return texts;
}

RipTimeTexts TimeFigures::GetTimeEncodeTotalRipWAV()
{
    return update();
}

QString TimeFigures::FormatTime(qint64 ms)
{
    if (ms < 0)
        ms = 0;
    const qint64 hours = ms / 3600000;
    const qint64 seconds = ms % 3600000 / 1000;
    return twoDigits(hours) + QLatin1Char(':') + twoDigits(seconds / 60) + QLatin1Char(':')
        + twoDigits(seconds % 60);
}

QString TimeFigures::GrabbingTime(const QString& groupCaption, const GrabTimeTable& table, int rowCount)
{
    return groupCaption + QStringLiteral(": ") + FormatTime(table.sum(1, rowCount - 1));
}

QString TimeFigures::GetState(const QString& fileText, const QString& ofText, int i, int n)
{
    return fileText + QLatin1Char(' ') + QString::number(i) + QLatin1Char(' ') + ofText + QLatin1Char(' ')
        + QString::number(n);
}

}
