// SPDX-License-Identifier: GPL-2.0-or-later
// The ripper driving the real progress window offscreen: the figures it
// shows, and the Abort button reaching the read loop between two reads.
#include "app/hiddenlog.h"
#include "rip/batchfigures.h"
#include "rip/progresswindow.h"
#include "rip/progresswindowobserver.h"
#include "rip/timefigures.h"
#include "rip/trackripper.h"
#include "rip/wavfilesink.h"
#include "rip/wavheader.h"

#include "akrip32.h"
#include "akrip32_testing.h"
#include "discimage.h"

#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace trackmill;

namespace {

constexpr qint64 kSector = 2352;

class RipProgressTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(discs.isValid() && output.isValid());
        AkripTestReset();
        AkripTestUsePhysicalDrives(0);
        AkripTestSetDiscsDir(discs.path().toLocal8Bit().constData());
        discimage::DiscSpec discSpec;
        discSpec.trackBytes = {(26 * 3 + 5) * kSector};
        discimage::writeDisc(discs.filePath("disc").toStdString(), discSpec);
        GETCDHAND request{};
        request.size = sizeof request;
        request.ver = 1;
        cd = GetCDHandle(&request);
        ASSERT_NE(cd, 0u);
        figures.selectedCount = 1;
        // As AbortRipping does: set the abort flag and hide the window.
        QObject::connect(&window, &TForm3::abortRequested, [this] {
            figures.abort = true;
            window.hide();
        });
        window.show();
    }
    void TearDown() override
    {
        CloseCDHandle(cd);
        AkripTestReset();
        AkripTestUsePhysicalDrives(0);
    }

    QTemporaryDir discs, output;
    HCDROM cd = 0;
    BatchFigures figures;
    qint64 now = 0;
    TimeFigures times{figures, [this] { return now += 700; }};
    TForm3 window;
    HiddenLog log;
    QStringList titles;
    ProgressWindowObserver observer{window, log, [this](const QString& t) { titles << t; }};
    TrackRipper ripper{figures, times, observer, {"Grabbing track", "File", "of", "Read error", "Aborted"}};
};

TEST_F(RipProgressTest, WindowShowsTheTrack)
{
    WavFileSink sink(output.filePath("01.wav"));
    const TrackRipResult r = ripper.RipTrack(cd, 1, "1", sink, {});
    ASSERT_EQ(r.outcome, TrackRipResult::Outcome::Ripped);
    EXPECT_EQ(window.State->text(), "Grabbing track: 1  (File 1 of 1)  [1]");
    EXPECT_EQ(window.TotalSector->text(), "83");
    EXPECT_EQ(window.ReadingSector->text(), "83");
    EXPECT_EQ(window.ProgressBar1->maximum(), 83);
    EXPECT_EQ(window.ProgressBar1->value(), 83);
    EXPECT_EQ(window.ProgressBar2->value(), 0);
    EXPECT_EQ(window.EstimateTimeRip->text(), window.PassedTimeRip->text());
    EXPECT_EQ(titles.size(), 4);
    EXPECT_EQ(titles.last(), "Trackmill 93% / 0%");
    EXPECT_EQ(log.lines(), QStringList{"Track ripped!"});
}

TEST_F(RipProgressTest, AbortButtonStopsTheReadLoop)
{
    // The click waits in the event queue until the ripper lets the
    // interface run, after its first read.
    QTimer::singleShot(0, window.Abort, &QPushButton::click);
    WavFileSink sink(output.filePath("01.wav"));
    const TrackRipResult r = ripper.RipTrack(cd, 1, "1", sink, {});

    EXPECT_EQ(r.outcome, TrackRipResult::Outcome::Aborted);
    EXPECT_EQ(r.information, "Aborted");
    EXPECT_EQ(r.bytesDelivered, quint64(26 * kSector));
    EXPECT_FALSE(window.isVisible());
    QFile wav(output.filePath("01.wav"));
    ASSERT_TRUE(wav.open(QIODevice::ReadOnly));
    EXPECT_EQ(wav.size(), 44 + 26 * kSector);
    EXPECT_EQ(wav.read(44), WavHeader::build(26 * kSector));
}

}
