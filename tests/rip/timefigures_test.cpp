// SPDX-License-Identifier: GPL-2.0-or-later
// The time figures of a batch: the hh:mm:ss rule, elapsed / estimated /
// remaining time of a track, the total grab time and the file line.
#include "rip/batchfigures.h"
#include "rip/timefigures.h"

#include <QStringList>
#include <gtest/gtest.h>

using trackmill::BatchFigures;
using trackmill::GrabTimeTable;
using trackmill::TimeFigures;

namespace {

TEST(TimeFigures, FormatTimeRule)
{
    const std::pair<qint64, const char*> cases[] = {
        {0, "00:00:00"},        {999, "00:00:00"},  // whole seconds only
        {1000, "00:00:01"},     {59999, "00:00:59"}, {60000, "00:01:00"}, {3599999, "00:59:59"},
        {3723000, "01:02:03"},  {100LL * 3600000, "100:00:00"},  // hours keep their digits
        {-5000, "00:00:00"},
    };
    for (const auto& [ms, text] : cases)
        EXPECT_EQ(TimeFigures::FormatTime(ms), QString::fromLatin1(text)) << ms;
}

TEST(TimeFigures, ElapsedEstimateRemaining)
{
    BatchFigures figures;
    qint64 now = 1'000'000;  // the tick counter does not start at 0
    TimeFigures times(figures, [&now] { return now; });
    times.StartTrack();

    // Nothing read yet: only the elapsed time is known.
    now += 5000;
    auto t = times.GetTimeEncodeTotalRipWAV();
    EXPECT_EQ(t.passed, "00:00:05");
    EXPECT_FALSE(t.hasEstimate);

    // 40 % read after 20 s.
    now = 1'000'000 + 20000;
    figures.percentRead = 40;
    t = times.GetTimeEncodeTotalRipWAV();
    ASSERT_TRUE(t.hasEstimate);
    EXPECT_EQ(QStringList({t.passed, t.estimate, t.remaining}), QStringList({"00:00:20", "00:00:50", "00:00:30"}));
    EXPECT_EQ(figures.remaining, 30000);

    // Long tracks on a slow drive: 3 % after 40 minutes.
    now = 1'000'000 + 40 * 60000;
    figures.percentRead = 3;
    t = times.GetTimeEncodeTotalRip(false);
    EXPECT_EQ(QStringList({t.passed, t.estimate, t.remaining}), QStringList({"00:40:00", "22:13:20", "21:33:20"}));
    EXPECT_FALSE(t.encodingToo);
    EXPECT_TRUE(times.GetTimeEncodeTotalRip(true).encodingToo);

    // A new track starts from its own tick with nothing read.
    times.StartTrack();
    EXPECT_EQ(figures.percentRead, 0);
    now += 1000;
    t = times.GetTimeEncodeTotalRipWAV();
    EXPECT_EQ(t.passed, "00:00:01");
    EXPECT_FALSE(t.hasEstimate);
}

TEST(TimeFigures, GrabbingTimeSumsRowsOfTheGrid)
{
    GrabTimeTable table;
    table.set(1, 61000);
    table.set(3, 3600000);
    table.set(250, 2000);  // beyond the old fixed table of 200 slots
    table.set(0, 999999);  // no track 0
    table.set(-4, 999999);
    // RowCount counts the header row: tracks 1 to RowCount - 1.
    EXPECT_EQ(TimeFigures::GrabbingTime("Grabbing", table, 4), "Grabbing: 01:01:01");
    EXPECT_EQ(TimeFigures::GrabbingTime("Grabbing", table, 3), "Grabbing: 00:01:01");
    EXPECT_EQ(TimeFigures::GrabbingTime("Grabbing", table, 251), "Grabbing: 01:01:03");
    table.set(1, 1000);  // a slot is replaced, not added to
    EXPECT_EQ(table.sum(1, 1), 1000);
    table.clear();
    EXPECT_EQ(TimeFigures::GrabbingTime("Grabbing", table, 251), "Grabbing: 00:00:00");

    EXPECT_EQ(TimeFigures::GetState("Datei", "von", 10, 12), "Datei 10 von 12");
}

}
