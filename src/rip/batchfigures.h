// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "grabtimetable.h"

#include <QString>

namespace trackmill {

// The figures of one batch (one press of WAV or MP3), shared by the batch
// driver, the rippers, the progress window and the encode jobs. The main
// window owns the one instance and hands it to those that need it.
struct BatchFigures
{
    // Set by the progress window's Abort (or by closing it); polled by the
    // rippers before every read.
    bool abort = false;
    // Set when a track could not be ripped; the batch stops after it.
    bool ripError = false;
    // Set while a batch runs (SetProcess / GetProcess).
    bool busy = false;

    // Selected tracks, as SelectedTracks sets them.
    int firstSelected = 0;
    int currentTrack = 0;
    int selectedCount = 0;
    // Tracks started in this batch.
    int fileCounter = 0;

    // The output directory text when the batch started; written back at its
    // end so sub-directories made for one disc do not pile up.
    QString savedOutputDirectory;

    GrabTimeTable grabTimes;

    // Of the track being ripped, in milliseconds of the tick clock: its
    // start, and elapsed, estimated total and remaining time at the last
    // time routine call.
    qint64 trackStartTick = 0;
    qint64 elapsed = 0;
    qint64 estimate = 0;
    qint64 remaining = 0;
    // Percent of the current track read, 0 to 100.
    int percentRead = 0;

    // On the fly: set when the last track of the batch has finished.
    bool onTheFlyStop = false;
};

}
