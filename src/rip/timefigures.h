// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "tickclock.h"

#include <QString>

namespace trackmill {

struct BatchFigures;
class GrabTimeTable;

// What one call of the time routine gives the progress window: the texts of
// PassedTimeRip, EstimateTimeRip and RemainTimeRip, and whether the
// encoding group's PassedTime, EstimateTime and RemainTime repeat them.
struct RipTimeTexts
{
    QString passed;
    // Only once part of the track has been read; until then the two labels
    // keep what they show.
    bool hasEstimate = false;
    QString estimate;
    QString remaining;
    bool encodingToo = false;
};

// The time figures of a batch: elapsed, estimated and remaining time of the
// track being ripped, the total ripping time of the batch, and the texts
// built from them. Times are milliseconds of the tick clock.
class TimeFigures
{
public:
    TimeFigures(BatchFigures& figures, TickClock clock);

    // Notes the start tick of a track.
    void StartTrack();
    qint64 now() const { return m_clock(); }

    // The time routine of a ripper that encodes (called before every read):
    // elapsed since the track started and, once some of it has been read,
    // the estimated total (elapsed × 100 div percent read) and what
    // remains. Stores the three figures in the batch figures. With
    // on-the-fly encoding the encoding group shows them as well.
    RipTimeTexts GetTimeEncodeTotalRip(bool onTheFlyEncoding);
    // The same for a WAV-only batch, which never fills the encoding group.
    RipTimeTexts GetTimeEncodeTotalRipWAV();

    // Milliseconds as hours, minutes and seconds, each with a leading "0"
    // when it has one digit, joined by ":" ("01:02:03"; 100 hours and more
    // keep all their digits). Below zero counts as zero.
    static QString FormatTime(qint64 ms);

    // The line of the finish box: caption of the grabbing group + ": " + the
    // sum of the grab times of tracks 1 to rowCount - 1 as hh:mm:ss.
    static QString GrabbingTime(const QString& groupCaption, const GrabTimeTable& table, int rowCount);

    // "File 3 of 7": the FILE text, i, the OF text and n, joined by blanks.
    static QString GetState(const QString& fileText, const QString& ofText, int i, int n);

private:
    RipTimeTexts update();

    BatchFigures& m_figures;
    TickClock m_clock;
};

}
