// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/consolerunview.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace trackmill;
using namespace trackmill::cli;
using Result = RipRun::TrackReport::Result;

namespace {

// What a console stream received.
class Capture
{
public:
    Capture() { m_file = std::tmpfile(); }
    ~Capture() { std::fclose(m_file); }
    FILE* file() const { return m_file; }
    QString text() const
    {
        std::fflush(m_file);
        const long size = std::ftell(m_file);
        QByteArray bytes(size, '\0');
        std::rewind(m_file);
        std::fread(bytes.data(), 1, size_t(size), m_file);
        std::fseek(m_file, 0, SEEK_END);
        return QString::fromLocal8Bit(bytes);
    }

private:
    FILE* m_file = nullptr;
};

ConsoleTexts texts()
{
    ConsoleTexts t;
    t.track = "Track";
    t.trackDone = "done";
    t.trackAborted = "aborted";
    t.trackFailed = "failed";
    return t;
}

// A run of two tracks as the run controller reports it.
void twoTracks(ConsoleRunView& view)
{
    view.showState("Grabbing track 1 of 2");
    view.showFiles("01.cda", "01 - One.wav", "/out/");
    view.setTitle("Trackmill 45% / 0%");
    view.showSectorsRead(100, 100, false);
    view.trackFinished({1, Result::Done, "/out/01 - One.wav", {}});
    view.showState("Grabbing track 2 of 2");
    view.setTitle("Trackmill 10% / 0%");
    view.trackFinished({2, Result::Failed, "/out/02 - Two.wav", "Read error\n\n  at sector 7"});
    view.hideProgress();
}

}

TEST(ConsoleRunView, PipeGetsOnePlainLinePerTrack)
{
    Capture out;
    const ConsoleTexts words = texts();
    ConsoleRunView view(out.file(), /*terminal*/ false, words);
    twoTracks(view);
    EXPECT_EQ(out.text(), "Track 01: done  /out/01 - One.wav\n"
                          "Track 02: failed  Read error at sector 7\n");
}

TEST(ConsoleRunView, TerminalRewritesOneLineAndClearsItBeforeATrackLine)
{
    Capture out;
    const ConsoleTexts words = texts();
    ConsoleRunView view(out.file(), /*terminal*/ true, words);
    twoTracks(view);
    const QString text = out.text();
    // Every track line starts on a cleared line; no progress line is left behind.
    EXPECT_TRUE(text.contains("\rGrabbing track 1 of 2  01 - One.wav  45% / 0%")) << text.toStdString();
    EXPECT_TRUE(text.contains("\rTrack 01: done  /out/01 - One.wav\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("\rGrabbing track 2 of 2  01 - One.wav  10% / 0%")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("Track 02: failed  Read error at sector 7\n")) << text.toStdString();
    EXPECT_EQ(text.count('\n'), 2);
    // A shorter line after a longer one blanks the rest.
    EXPECT_TRUE(text.contains(QString(" ").repeated(10) + "\r")) << text.toStdString();
}

TEST(ConsoleRunView, ProgressLineLeavesOutWhatIsNotKnown)
{
    Capture out;
    const ConsoleTexts words = texts();
    ConsoleRunView view(out.file(), true, words);
    EXPECT_EQ(view.progressLine(), "");
    view.setTitle("Trackmill");
    EXPECT_EQ(view.progressLine(), "");
    view.showState("File 1 of 3");
    RipTimeTexts times;
    times.passed = "00:02";
    view.showEncodingTimes(times);
    EXPECT_EQ(view.progressLine(), "File 1 of 3  00:02");
    times.hasEstimate = true;
    times.estimate = "00:10";
    view.showRipTimes(times);
    EXPECT_EQ(view.progressLine(), "File 1 of 3  00:02 of 00:10");
}

TEST(ConsoleMessageBoxes, ProblemsGoToErrorsAsOneLineAndTheLastIsKept)
{
    Capture out, errors;
    const ConsoleTexts words = texts();
    ConsoleRunView view(out.file(), false, words);
    ConsoleMessageBoxes boxes(view, errors.file());
    boxes.information("  Grabbing finished.   \n\n    Grabbing 00:03");
    EXPECT_EQ(boxes.lastProblem(), "");
    boxes.warning("  No track selected.  ");
    boxes.error("  Error in the path or file name.   \n\n/out: Permission denied");
    EXPECT_EQ(out.text(), "Grabbing finished. Grabbing 00:03\n");
    EXPECT_EQ(errors.text(), "trackmill-cli: No track selected.\n"
                             "trackmill-cli: Error in the path or file name. /out: Permission denied\n");
    EXPECT_EQ(boxes.lastProblem(), "Error in the path or file name. /out: Permission denied");
}
