// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "consoletexts.h"

#include "platform/messageboxes.h"
#include "rip/riprun.h"
#include "rip/runview.h"

#include <QString>
#include <cstdio>

namespace trackmill::cli {

// A run shown on the console. On a terminal one line is rewritten in
// place (the batch line, the percentages read / encoded, the times of the
// track); otherwise nothing but a plain line per track, so a log or a
// pipe gets no carriage returns. There is no window to enable, show or
// blink: those calls have nothing to do on a console.
class ConsoleRunView final : public RunView
{
public:
    // `out` stays open for the view's life; `terminal`: it is a tty.
    ConsoleRunView(FILE* out, bool terminal, const ConsoleTexts& texts);

    // One line per track of the run, after the progress line is cleared.
    void trackFinished(const RipRun::TrackReport& report);
    // The run's end box as a line of its own.
    void printLine(const QString& text);

    void showProgress() override {}
    void hideProgress() override;
    bool progressWatched() const override { return true; }
    void showState(const QString& text) override;
    void showFiles(const QString& input, const QString& output, const QString& directory) override;
    void showEncoderFigures(const EncoderFigures&) override {}
    void showTrackMeasured(qint64, const QString&, bool) override {}
    void resetGauges() override {}
    void showRipTimes(const RipTimeTexts& times) override;
    void showSectorsRead(qint64, qint64, bool) override { redraw(); }
    void showTrackEnded(qint64, const QString&, bool) override { redraw(); }
    void clearRipGroup() override {}
    void completeGauges() override {}
    void showEncodingProgress(qint64, qint64) override { redraw(); }
    void showEncodingTimes(const RipTimeTexts& times) override;
    void showRunningJobs(int jobs) override;
    QString grabbingCaption() const override { return QStringLiteral("Grabbing"); }
    QString encodingCaption() const override { return QStringLiteral("Encoding"); }
    void setTitle(const QString& title) override;
    void setMainWindowEnabled(bool) override {}
    void showMainWindow() override {}
    void blink(int) override {}

    // The progress line as it stands (tests).
    QString progressLine() const;

private:
    void redraw();
    void clearLine();
    void write(const QString& text);

    FILE* m_out;
    bool m_terminal;
    const ConsoleTexts& m_texts;
    QString m_state;
    QString m_output;    // the file being written
    QString m_percents;  // "45% / 0%"
    QString m_times;     // "00:03 of 00:10"
    QString m_jobs;      // "Jobs running: 2", in runs with several jobs
    qsizetype m_shown = 0;  // characters of the progress line on screen
};

// The run's boxes on the console: errors and warnings to standard error,
// information to the view. The last error or warning is kept: it is the
// one-line reason a failed run ends with.
class ConsoleMessageBoxes final : public MessageBoxes
{
public:
    ConsoleMessageBoxes(ConsoleRunView& view, FILE* errors);

    void warning(const QString& text) override;
    void error(const QString& text) override;
    void information(const QString& text) override;

    // The last warning or error, its lines joined into one.
    const QString& lastProblem() const { return m_lastProblem; }

    // A box's text as one line: blanks trimmed, line breaks and the
    // indentation after them become one blank.
    static QString oneLine(const QString& text);

private:
    void problem(const QString& text);

    ConsoleRunView& m_view;
    FILE* m_errors;
    QString m_lastProblem;
};

}
