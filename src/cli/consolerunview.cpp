// SPDX-License-Identifier: GPL-2.0-or-later
#include "consolerunview.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace trackmill::cli {

ConsoleRunView::ConsoleRunView(FILE* out, bool terminal, const ConsoleTexts& texts)
    : m_out(out)
    , m_terminal(terminal)
    , m_texts(texts)
{
}

void ConsoleRunView::write(const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_out);
    std::fflush(m_out);
}

void ConsoleRunView::clearLine()
{
    if (!m_terminal || m_shown == 0)
        return;
    write(QLatin1Char('\r') + QString(m_shown, QLatin1Char(' ')) + QLatin1Char('\r'));
    m_shown = 0;
}

QString ConsoleRunView::progressLine() const
{
    QStringList parts;
    for (const QString& part : {m_state, m_output, m_percents, m_times, m_jobs})
        if (!part.isEmpty())
            parts << part;
    return parts.join(QStringLiteral("  "));
}

void ConsoleRunView::redraw()
{
    if (!m_terminal)
        return;
    const QString line = progressLine();
    // Padded over what the last line left on screen.
    const qsizetype pad = qMax<qsizetype>(0, m_shown - line.size());
    write(QLatin1Char('\r') + line + QString(pad, QLatin1Char(' ')));
    m_shown = line.size() + pad;
}

void ConsoleRunView::hideProgress()
{
    clearLine();
}

void ConsoleRunView::showState(const QString& text)
{
    m_state = text;
    redraw();
}

void ConsoleRunView::showFiles(const QString&, const QString& output, const QString&)
{
    m_output = output;
    redraw();
}

void ConsoleRunView::showRipTimes(const RipTimeTexts& times)
{
    m_times = times.hasEstimate ? times.passed + QStringLiteral(" of ") + times.estimate : times.passed;
    redraw();
}

void ConsoleRunView::showEncodingTimes(const RipTimeTexts& times)
{
    showRipTimes(times);
}

void ConsoleRunView::showRunningJobs(int jobs)
{
    m_jobs = jobs > 0 ? m_texts.jobsRunning + QStringLiteral(": ") + QString::number(jobs) : QString();
    redraw();
}

void ConsoleRunView::setTitle(const QString& title)
{
    // "Trackmill 45% / 0%": read and encoded so far; "Trackmill" alone
    // between tracks.
    m_percents = title.section(QLatin1Char(' '), 1);
    redraw();
}

void ConsoleRunView::trackFinished(const RipRun::TrackReport& report)
{
    clearLine();
    QString line = m_texts.track + QStringLiteral(" %1: ").arg(report.track, 2, 10, QLatin1Char('0'));
    switch (report.result) {
    case RipRun::TrackReport::Result::Done:
        line += m_texts.trackDone + QStringLiteral("  ") + report.file;
        break;
    case RipRun::TrackReport::Result::Aborted:
        line += m_texts.trackAborted + QStringLiteral("  ") + report.file;
        break;
    case RipRun::TrackReport::Result::Failed:
        line += m_texts.trackFailed + QStringLiteral("  ") + ConsoleMessageBoxes::oneLine(report.message);
        break;
    }
    write(line + QLatin1Char('\n'));
    m_times.clear();
    m_percents.clear();
}

void ConsoleRunView::printLine(const QString& text)
{
    clearLine();
    write(text + QLatin1Char('\n'));
}

ConsoleMessageBoxes::ConsoleMessageBoxes(ConsoleRunView& view, FILE* errors)
    : m_view(view)
    , m_errors(errors)
{
}

QString ConsoleMessageBoxes::oneLine(const QString& text)
{
    static const QRegularExpression breaks(QStringLiteral("\\s*[\\r\\n]+\\s*"));
    return text.trimmed().replace(breaks, QStringLiteral(" "));
}

void ConsoleMessageBoxes::problem(const QString& text)
{
    m_view.hideProgress();
    m_lastProblem = oneLine(text);
    const QByteArray line = QByteArrayLiteral("trackmill-cli: ") + m_lastProblem.toLocal8Bit() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), m_errors);
    std::fflush(m_errors);
}

void ConsoleMessageBoxes::warning(const QString& text)
{
    problem(text);
}

void ConsoleMessageBoxes::error(const QString& text)
{
    problem(text);
}

void ConsoleMessageBoxes::information(const QString& text)
{
    m_view.printLine(oneLine(text));
}

}
