// SPDX-License-Identifier: GPL-2.0-or-later
#include "securerun.h"

#include "cuesheetwriter.h"
#include "lang/readingtexts.h"
#include "rip/outputnaming.h"
#include "rip/trackripresult.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <cstring>

namespace trackmill {

namespace {

constexpr BYTE kControlData = 0x14;

int tocEntries(const TOC& toc)
{
    return toc.lastTrack >= toc.firstTrack ? std::min(toc.lastTrack - toc.firstTrack + 1, TRACKS_PER_DISK - 1) : 0;
}

}

SecureRun::SecureRun() = default;
SecureRun::~SecureRun() = default;

QString SecureRun::baseName(const QString& artist, const QString& album)
{
    return OutputNaming::SafeComponent(artist + QStringLiteral(" - ") + album, 4);
}

void SecureRun::begin(const Disc& disc, const Options& options)
{
    m_active = true;
    m_disc = disc;
    m_options = options;
    if (disc.image)
        m_options.offset = 0;
    m_tracks.clear();
    m_date = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    m_firstAudio = m_lastAudio = 0;
    m_audioFirst = m_audioEnd = 0;
    std::memset(&m_toc, 0, sizeof m_toc);
    ModifyCDParms(disc.cd, CDP_MSF, 0);
    if (ReadTOC(disc.cd, &m_toc) == SS_COMP) {
        for (int t = 1; t <= tocEntries(m_toc); ++t) {
            TrackRipper::Extent extent;
            if (m_toc.tracks[t - 1].ADR == kControlData || !TrackRipper::TrackExtent(m_toc, t, extent))
                continue;
            if (m_firstAudio == 0) {
                m_firstAudio = t;
                m_audioFirst = extent.start;
            }
            m_lastAudio = t;
            m_audioEnd = extent.start + extent.length;
        }
    }
    m_lookup.start(disc.cd, options.accurateRipServer);
}

void SecureRun::prepareTrack(int track, TrackRipper::Options& options)
{
    options.secure = m_options.secure;
    m_reader = std::make_unique<OffsetReader>(m_options.offset, m_audioFirst, m_audioEnd);
    options.source = m_reader.get();
    m_sink.reset();
    m_tracks.erase(track);
}

AudioSink& SecureRun::wrap(int track, AudioSink& inner)
{
    // First and last audio track by the TOC of the run's start.
    m_sink = std::make_unique<VerifyingSink>(inner, track == m_firstAudio, track == m_lastAudio);
    return *m_sink;
}

const SecureTrack& SecureRun::trackRead(int track, const TrackRipResult& result, const QString& file,
                                        const std::function<void()>& pump)
{
    SecureTrack& t = m_tracks[track];
    t.track = track;
    TrackRipper::Extent extent;
    if (TrackRipper::TrackExtent(m_toc, track, extent)) {
        t.start = extent.start;
        t.length = extent.length;
    }
    t.file = QFileInfo(file).fileName();
    t.complete = result.outcome == TrackRipResult::Outcome::Ripped;
    t.readError = result.outcome == TrackRipResult::Outcome::ReadFailed;
    t.aborted = result.outcome == TrackRipResult::Outcome::Aborted;
    t.errorSector = result.errorSector;
    t.rereads = result.rereads;
    t.repairs = result.repairs;
    t.skips = result.skips;
    if (m_sink) {
        const TrackChecksums& sums = m_sink->checksums();
        t.crc32 = sums.crc32();
        t.accurateRipV1 = sums.accurateRipV1();
        t.accurateRipV2 = sums.accurateRipV2();
        t.peak = sums.peak();
    }
    if (t.complete) {
        const AccurateRipLookup::Result& r = m_lookup.wait(pump);
        // Entries of the answer count from the first audio track's TOC place.
        int position = 0;
        for (int n = m_firstAudio; n <= track && n > 0; ++n)
            if (m_toc.tracks[n - 1].ADR != kControlData)
                ++position;
        if (r.haveId)
            t.verdict = AccurateRipVerdict::of(r.answer, position + r.id.firstAudio - 2, t.accurateRipV1,
                                               t.accurateRipV2);
    }
    return t;
}

void SecureRun::encodingStopped(int track)
{
    const auto it = m_tracks.find(track);
    if (it != m_tracks.end())
        it->second.encodingStopped = true;
}

QString SecureRun::shortText(int track, const ReadingTexts& texts) const
{
    const auto it = m_tracks.find(track);
    if (it == m_tracks.end())
        return {};
    const SecureTrack& t = it->second;
    if (t.readError)
        return texts.shortReadError;
    if (!t.complete)
        return {};
    switch (t.verdict.kind) {
    case AccurateRipVerdict::Kind::Accurate:
        return QString(texts.shortAccurate).replace(QStringLiteral("%1"), QString::number(t.verdict.confidence));
    case AccurateRipVerdict::Kind::NotAccurate:
        return texts.shortNotAccurate;
    case AccurateRipVerdict::Kind::NotInDatabase:
        break;
    }
    const quint32 fixed = t.rereads + t.repairs;
    if (fixed > 0)
        return QString(texts.shortRepaired).replace(QStringLiteral("%1"), QString::number(fixed));
    return texts.shortNotVerified;
}

QString SecureRun::longText(int track, const ReadingTexts& texts) const
{
    const auto it = m_tracks.find(track);
    if (it == m_tracks.end())
        return {};
    const SecureTrack& t = it->second;
    QString head;
    if (t.readError) {
        head = QString(texts.longReadError).replace(QStringLiteral("%1"), QString::number(t.errorSector));
    } else if (t.verdict.kind == AccurateRipVerdict::Kind::Accurate) {
        head = QString(texts.longAccurate)
                   .replace(QStringLiteral("%1"), QString::number(t.verdict.confidence))
                   .replace(QStringLiteral("%2"), QString::number(t.verdict.total))
                   .replace(QStringLiteral("%3"), t.verdict.v2 ? QStringLiteral("v2") : QStringLiteral("v1"));
    } else if (t.verdict.kind == AccurateRipVerdict::Kind::NotAccurate) {
        head = QString(texts.longNotAccurate).replace(QStringLiteral("%1"), QString::number(t.verdict.disagreeing));
    } else {
        head = texts.longNotInDatabase;
    }
    const QString reads = QString(texts.longReads)
                              .replace(QStringLiteral("%1"), QString::number(t.rereads))
                              .replace(QStringLiteral("%2"), QString::number(t.repairs))
                              .replace(QStringLiteral("%3"), QString::number(t.skips));
    return head + QLatin1Char('\n') + reads + QStringLiteral("\nCRC32 ")
        + QStringLiteral("%1").arg(t.crc32, 8, 16, QLatin1Char('0')).toUpper();
}

int SecureRun::accurateTracks() const
{
    int n = 0;
    for (const auto& [track, t] : m_tracks)
        n += t.complete && t.verdict.kind == AccurateRipVerdict::Kind::Accurate ? 1 : 0;
    return n;
}

QString SecureRun::accurateCount(const ReadingTexts& texts) const
{
    if (m_tracks.empty())
        return {};
    return QString(texts.accurateCount)
        .replace(QStringLiteral("%1"), QString::number(accurateTracks()))
        .replace(QStringLiteral("%2"), QString::number(m_tracks.size()));
}

QStringList SecureRun::end(const QString& outputDirectory, const std::function<QString(int)>& trackTitle)
{
    QStringList problems;
    if (!m_active)
        return problems;
    m_active = false;
    m_reader.reset();
    m_sink.reset();
    const AccurateRipLookup::Result& r = m_lookup.wait([] {});
    if (m_tracks.empty())
        return problems;

    RipLog log;
    log.program = QStringLiteral("Trackmill " TRACKMILL_VERSION);
    log.date = m_date;
    log.drive = m_disc.drive;
    log.secure = m_options.secure;
    log.offset = m_options.offset;
    log.artist = m_disc.artist;
    log.album = m_disc.album;
    log.settings = m_options.settingsLines;
    if (r.haveId)
        log.accurateRipDisc = QString::fromLatin1(r.id.name);
    log.accurateRipStatus = r.status;
    for (int t = 1; t <= tocEntries(m_toc); ++t) {
        TrackRipper::Extent extent;
        if (!TrackRipper::TrackExtent(m_toc, t, extent))
            continue;
        log.toc.push_back({m_toc.tracks[t - 1].trackNumber, extent.start, extent.length,
                           m_toc.tracks[t - 1].ADR == kControlData});
    }
    bool wholeDisc = m_firstAudio > 0;
    for (const auto& [track, t] : m_tracks)
        log.tracks.push_back(t);
    for (int n = m_firstAudio; n > 0 && n <= m_lastAudio; ++n) {
        if (m_toc.tracks[n - 1].ADR == kControlData)
            continue;
        const auto it = m_tracks.find(n);
        if (it == m_tracks.end() || !it->second.complete || it->second.encodingStopped)
            wholeDisc = false;
    }

    const QString base = QDir(outputDirectory)
                             .filePath(m_disc.fileBase.isEmpty() ? baseName(m_disc.artist, m_disc.album)
                                                                 : OutputNaming::SafeComponent(m_disc.fileBase, 4));
    QString error;
    if (!log.write(base + QStringLiteral(".log"), &error))
        problems << error;
    if (!wholeDisc)
        return problems;

    CueSheetWriter cue;
    cue.performer = m_disc.artist;
    cue.title = m_disc.album;
    cue.date = m_disc.year;
    cue.genre = m_disc.genre;
    if (r.haveId)
        cue.discId = QStringLiteral("%1").arg(r.id.cddb, 8, 16, QLatin1Char('0')).toUpper();
    for (const auto& [track, t] : m_tracks) {
        CueSheetWriter::Track entry;
        entry.number = track;
        entry.file = t.file;
        entry.title = trackTitle(track);
        // Only a first track that starts late has a gap no file holds.
        entry.pregap = track == m_firstAudio && m_firstAudio == 1 ? t.start : 0;
        cue.tracks.push_back(entry);
    }
    if (!cue.write(base + QStringLiteral(".cue"), &error))
        problems << error;
    return problems;
}

}
