// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "akrip32.h"
#include "trackripresult.h"

#include <QString>

namespace trackmill {

class AudioSink;
class RipObserver;
class SectorSource;
class TimeFigures;
struct BatchFigures;

// Reads one audio track through the CD ripping library, 26 sectors at a
// time, into a sink (a WAV file; on the fly also the encoder). Runs on the
// user-interface thread: the observer lets the interface handle its events
// after every read, and the abort flag of the batch figures is polled
// before every read.
class TrackRipper
{
public:
    static constexpr int kSectorBytes = 2352;
    // 26 sectors (61152 bytes) per read.
    static constexpr int kSectorsPerRead = 26;
    // The gap in front of a data session, taken off the last audio track:
    // 11250 sectors, 2 min 30 s.
    static constexpr int kDataSessionGap = 11250;

    // Language texts the ripper writes (none built in).
    struct Texts
    {
        QString grabbingTrack; // GRABBING_AND_ENCODING/GRABBING_TRACK
        QString file;          // GRABBING_AND_ENCODING/FILE
        QString of;            // GRABBING_AND_ENCODING/OF
        QString aspiError;     // MESSAGES/ASPI_ERROR
        QString abortGrabbing; // MESSAGES/ABORT_GRABBING
    };

    struct Options
    {
        // Rip then encode, or on the fly: the time routine is
        // GetTimeEncodeTotalRip instead of the WAV one.
        bool encode = false;
        // The setting ON_THE_FLY_ENCODING: the encoding group repeats the
        // grabbing times.
        bool onTheFlyEncoding = false;
        // On the fly the encoding gauge advances with the reads, and the
        // title shows its percentage.
        bool encodingGaugeFollowsReads = false;
        // Verified reads (libcdio-paranoia) instead of plain ones.
        bool secure = false;
        // Where sectors come from; null: straight from the library.
        SectorSource* source = nullptr;
    };

    // Start, length (sectors) of a track by the TOC, and whether a data
    // track follows it.
    struct Extent
    {
        qint64 start = 0;
        qint64 length = 0;
        bool nextIsData = false;
    };

    TrackRipper(BatchFigures& figures, TimeFigures& times, RipObserver& observer, Texts texts = {});

    const Texts& texts() const { return m_texts; }
    void setTexts(const Texts& texts) { m_texts = texts; }

    // Rips track `track` (1-based, entry track - 1 of the TOC) from the disc
    // behind cd. selectedTracks is the list of the batch line ("2, 5").
    // Clears the abort and rip error flags, sets the busy flag, counts the
    // track in the batch file counter and notes its start. On a failure
    // the rip error flag is set and the busy flag cleared; the caller shows
    // errorText and ends the batch. Whatever was delivered before a failure
    // or an abort stays in the sink.
    TrackRipResult RipTrack(HCDROM cd, int track, const QString& selectedTracks, AudioSink& sink,
                            const Options& options);

    // The batch line of label State: GRABBING_TRACK: track  (FILE i OF n)  [list].
    QString StateText(int track, const QString& selectedTracks) const;

    // The text of the error box for a read status other than 1. Status 4
    // names the ASPI_ERROR text.
    static QString ReadErrorText(std::uint32_t status, const QString& aspiError);

    // Track n is entry n - 1; its length runs to the next entry, less the
    // data session gap when the next entry is a data track (control byte
    // 0x14). False when the TOC has no entry for n or for the one after it.
    static bool TrackExtent(const TOC& toc, int track, Extent& extent);

private:
    TrackRipResult fail(TrackRipResult result, TrackRipResult::Outcome outcome, const QString& text);

    BatchFigures& m_figures;
    TimeFigures& m_times;
    RipObserver& m_observer;
    Texts m_texts;
};

}
