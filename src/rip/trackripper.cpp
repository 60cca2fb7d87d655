// SPDX-License-Identifier: GPL-2.0-or-later
#include "trackripper.h"

#include "audiosink.h"
#include "batchfigures.h"
#include "ripobserver.h"
#include "sectorsource.h"
#include "timefigures.h"

#include <algorithm>
#include <vector>

namespace trackmill {

namespace {

constexpr BYTE kControlData = 0x14;
constexpr DWORD kBufferBytes = TrackRipper::kSectorsPerRead * TrackRipper::kSectorBytes;

qint64 entryAddress(const TOCTRACK& entry)
{
    const quint32 v = (quint32(entry.addr[0]) << 24) | (quint32(entry.addr[1]) << 16)
        | (quint32(entry.addr[2]) << 8) | quint32(entry.addr[3]);
    return qint32(v);
}

void takeReadFigures(HCDROM cd, TrackRipResult& result)
{
    CDREADSTATS stats;
    if (GetCDReadStats(cd, &stats) != SS_COMP)
        return;
    result.rereads = stats.rereads;
    result.repairs = stats.repairs;
    result.skips = stats.skips;
    if (stats.errorSector != 0xFFFFFFFFu)
        result.errorSector = stats.errorSector;
}

QString percentTitle(qint64 read, qint64 encoded)
{
    return QStringLiteral("Trackmill %1% / %2%").arg(read).arg(encoded);
}

}

TrackRipper::TrackRipper(BatchFigures& figures, TimeFigures& times, RipObserver& observer, Texts texts)
    : m_figures(figures)
    , m_times(times)
    , m_observer(observer)
    , m_texts(std::move(texts))
{
}

QString TrackRipper::StateText(int track, const QString& selectedTracks) const
{
    return m_texts.grabbingTrack + QStringLiteral(": ") + QString::number(track) + QStringLiteral("  (")
        + TimeFigures::GetState(m_texts.file, m_texts.of, m_figures.fileCounter, m_figures.selectedCount)
        + QStringLiteral(")  [") + selectedTracks + QLatin1Char(']');
}

QString TrackRipper::ReadErrorText(std::uint32_t status, const QString& aspiError)
{
    const QString s = QString::number(status);
    switch (status) {
    case SS_ABORTED:
    case SS_ABORT_FAIL:
        return QStringLiteral("Could not load ASPI function GetASPI32SupportInfo. Only occurs when an ASPI "
                              "manager (WNASPI32.DLL)\n"
                              "is found, but cannot be correctly loaded by the system. Most often indicates "
                              "that ASPI is improperly installed.\n"
                              "AKRIP32.DLL Error code = ")
            + s;
    case SS_ERR:
        return QStringLiteral("An error was returned by the ASPI manager\nAKRIP32.DLL ") + aspiError
            + QStringLiteral(": ") + s;
    default:
        return QStringLiteral("AKRIP32.DLL Error code = ") + s;
    }
}

bool TrackRipper::TrackExtent(const TOC& toc, int track, Extent& extent)
{
    // Entry track - 1 is the track, entry track the next one (or the
    // lead-out); both must lie among the entries the TOC fills.
    const int entries = toc.lastTrack >= toc.firstTrack ? toc.lastTrack - toc.firstTrack + 2 : 0;
    if (track < 1 || track >= entries || track >= TRACKS_PER_DISK)
        return false;
    const TOCTRACK& entry = toc.tracks[track - 1];
    const TOCTRACK& next = toc.tracks[track];
    extent.start = entryAddress(entry);
    extent.nextIsData = next.ADR == kControlData;
    extent.length = entryAddress(next) - extent.start - (extent.nextIsData ? kDataSessionGap : 0);
    return true;
}

TrackRipResult TrackRipper::fail(TrackRipResult result, TrackRipResult::Outcome outcome, const QString& text)
{
    result.outcome = outcome;
    result.errorText = text;
    // The batch ends here: the caller shows the box and gives the main
    // window back, so nothing may be left marked as running.
    m_figures.ripError = true;
    m_figures.busy = false;
    return result;
}

TrackRipResult TrackRipper::RipTrack(HCDROM cd, int track, const QString& selectedTracks, AudioSink& sink,
                                     const Options& options)
{
    using Outcome = TrackRipResult::Outcome;
    TrackRipResult result;

    m_figures.abort = false;
    m_figures.ripError = false;
    m_figures.busy = true;
    m_times.StartTrack();
    ++m_figures.fileCounter;
    m_observer.stateChanged(StateText(track, selectedTracks));

    if (cd == 0)
        return fail(result, Outcome::NoHandle, QStringLiteral("Need valid CD handle first!"));

    // Block addresses, track 1 at 0; verified reads or plain ones, their
    // figures counted from here.
    ModifyCDParms(cd, CDP_MSF, 0);
    ModifyCDParms(cd, CDP_SECURE, options.secure ? 1 : 0);
    CDREADSTATS stats;
    GetCDReadStats(cd, &stats);
    TOC toc;
    const DWORD tocStatus = ReadTOC(cd, &toc);
    if (tocStatus != SS_COMP) {
        return fail(result, Outcome::TocUnreadable,
                    QStringLiteral("The table of contents of the disc could not be read.\n"
                                   "AKRIP32.DLL Error code = %1")
                        .arg(tocStatus));
    }
    Extent extent;
    if (!TrackExtent(toc, track, extent)) {
        return fail(result, Outcome::TocUnreadable,
                    QStringLiteral("Track %1 is not in the table of contents of the disc.").arg(track));
    }
    if (extent.length <= 0 || extent.start < 0) {
        return fail(result, Outcome::TocUnreadable,
                    QStringLiteral("The table of contents of the disc gives track %1 no audio sectors.")
                        .arg(track));
    }
    const qint64 length = extent.length;
    result.totalSectors = length;
    m_observer.trackMeasured(length);

    QString error;
    if (!sink.begin(quint64(length) * kSectorBytes, &error))
        return fail(result, Outcome::OutputFailed, error);
    m_observer.gaugesReset();

    // One read buffer for the whole track: the record's 24-byte head, then
    // room for 26 sectors.
    std::vector<char> storage(TRACKBUFEXTRA + kBufferBytes, 0);
    TRACKBUF* buffer = reinterpret_cast<TRACKBUF*>(storage.data());

    qint64 remaining = length;
    qint64 sector = extent.start;
    qint64 gauge = 0; // ProgressBar1: advances by 26 per read, as designed
    RipTimeTexts times;
    while (remaining > 0 && !m_figures.abort) {
        const qint64 encodedPercent = options.encodingGaugeFollowsReads ? gauge * 100 / length : 0;
        m_observer.titleChanged(percentTitle(gauge * 100 / length, encodedPercent));
        const qint64 n = std::min<qint64>(kSectorsPerRead, remaining);

        times = options.encode ? m_times.GetTimeEncodeTotalRip(options.onTheFlyEncoding)
                               : m_times.GetTimeEncodeTotalRipWAV();
        m_observer.timesChanged(times);

        buffer->startFrame = DWORD(sector);
        buffer->numFrames = DWORD(n);
        buffer->maxLen = kBufferBytes;
        buffer->len = 0;
        buffer->status = SS_PENDING;
        buffer->startOffset = 0;
        m_figures.percentRead = int(gauge * 100 / length);

        const DWORD status = options.source ? options.source->read(cd, sector, n, buffer) : ReadCDAudioLBA(cd, buffer);
        // A drive reports an error on the last sectors before a data
        // session; that read counts as done.
        const bool accepted = status == SS_COMP || (status == SS_ERR && extent.nextIsData);
        if (!accepted) {
            result.status = status;
            takeReadFigures(cd, result);
            // A plain read names no sector: the first of the read that failed.
            if (result.errorSector < 0)
                result.errorSector = sector;
            if (status == SS_ERR) {
                result.information = m_texts.aspiError + QStringLiteral(": ") + QString::number(status);
                m_observer.log(QStringLiteral("Error! Status = %1").arg(status));
            }
            sink.end(AudioSink::End::Failed, nullptr);
            return fail(result, Outcome::ReadFailed, ReadErrorText(status, m_texts.aspiError));
        }

        // Never trust the library's figures beyond the buffer, nor beyond
        // the sectors asked for.
        const qint64 offset = buffer->startOffset;
        qint64 bytes = 0;
        if (offset >= 0 && offset <= qint64(kBufferBytes))
            bytes = std::min({qint64(buffer->len), qint64(kBufferBytes) - offset, n * kSectorBytes});
        if (!sink.write(reinterpret_cast<const char*>(buffer->buf) + offset, bytes, &error)) {
            sink.end(AudioSink::End::Failed, nullptr);
            return fail(result, Outcome::OutputFailed, error);
        }
        result.bytesDelivered += quint64(bytes);
        m_observer.sectorsRead(gauge, gauge + kSectorsPerRead);
        remaining -= n;
        sector += n;
        gauge += kSectorsPerRead;
        m_observer.processEvents();
    }

    takeReadFigures(cd, result);
    const bool aborted = m_figures.abort;
    // The elapsed time of the last time routine call is the track's grab time.
    result.grabMs = m_figures.elapsed;
    result.passedTime = times.passed;
    m_figures.grabTimes.set(track, result.grabMs);

    if (!sink.end(aborted ? AudioSink::End::Aborted : AudioSink::End::Complete, &error) && !aborted)
        return fail(result, Outcome::OutputFailed, error);

    m_observer.log(QStringLiteral("Track ripped!"));
    m_observer.trackEnded(length, result.passedTime);
    if (aborted) {
        result.outcome = Outcome::Aborted;
        result.information = m_texts.abortGrabbing;
    } else {
        result.outcome = Outcome::Ripped;
        result.information = QStringLiteral(" OK ") + result.passedTime;
    }
    return result;
}

}
