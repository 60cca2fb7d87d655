// SPDX-License-Identifier: GPL-2.0-or-later
#include "disclookup.h"

#include "cd/cddrives.h"
#include "cd/tracklist.h"
#include "cddbservice.h"
#include "discnames.h"
#include "discstartnames.h"
#include "musicbrainzclient.h"
#include "musicbrainzdiscid.h"
#include "platform/hiddenlog.h"
#include "runaside.h"
#include "settings/settings.h"
#include "tags/genrelist.h"
#include "tags/tagfields.h"

namespace trackmill {

namespace {

// Block addressing of the TOC (parameter 36 = 0).
constexpr DWORD kLbaAddressing = 0;

std::optional<int> portOf(const QString& text)
{
    bool ok = false;
    const int port = text.toInt(&ok);
    if (!ok || port < 1 || port > 65535 || text.startsWith(QLatin1Char('+')))
        return std::nullopt;
    return port;
}

}

std::optional<LookupSettings> LookupSettings::fromSettings(const Settings& s, Source source,
                                                           const FreedbServer& server, QString* why)
{
    LookupSettings l;
    l.source = source;
    l.cddb.useProxy = s.useProxy;
    l.cddb.proxyHost = s.serverProxy;
    l.cddb.proxyPort = s.portProxy;
    l.cddb.autoStore = s.autoStoreCdPlayerIni;
    l.cddb.cgi = s.cddbCgi;
    l.cddb.email = s.cddbEmail;
    l.cddbServer = server;
    if (server.host.isEmpty()) {
        // "host" or "host:port"; an emptied field is the default server.
        const QString typed = s.cddbServer.trimmed();
        const qsizetype colon = typed.lastIndexOf(QLatin1Char(':'));
        l.cddbServer.host = (colon > 0 ? typed.left(colon) : typed).toUtf8();
        l.cddbServer.port = 80;
        if (colon > 0) {
            const std::optional<int> port = portOf(typed.mid(colon + 1));
            if (!port) {
                if (why)
                    *why = QStringLiteral("Invalid server port: \"%1\"").arg(typed);
                return std::nullopt;
            }
            l.cddbServer.port = *port;
        }
        if (l.cddbServer.host.isEmpty())
            l.cddbServer.host = FreedbServer{}.host;
    }
    l.musicBrainzServer = s.musicBrainzServer.trimmed().isEmpty()
                              ? QString::fromLatin1(MusicBrainzClient::kDefaultServer)
                              : s.musicBrainzServer;
    l.coverArtServer = s.coverArtServer.trimmed().isEmpty()
                           ? QString::fromLatin1(MusicBrainzClient::kDefaultCoverServer)
                           : s.coverArtServer;
    l.fetchCover = s.fetchCoverArt;
    // The proxy of the CDDB client serves the web services too.
    if (s.useProxy && !s.serverProxy.trimmed().isEmpty() && portOf(s.portProxy.trimmed()))
        l.proxy = (s.serverProxy.trimmed() + QLatin1Char(':') + s.portProxy.trimmed()).toUtf8();
    return l;
}

DiscLookup::DiscLookup(CddbService& cddb, HiddenLog& log, LookupSettings settings)
    : m_cddb(cddb)
    , m_log(log)
    , m_settings(std::move(settings))
    , m_freedb(cddb, log, m_settings.cddbServer)
{
}

void DiscLookup::cancel()
{
    m_cancelled = true;
    m_freedb.cancel();
}

namespace {

MusicBrainzClient musicBrainz(const LookupSettings& s)
{
    MusicBrainzClient::Options o;
    o.server = s.musicBrainzServer;
    o.coverServer = s.coverArtServer;
    o.userAgent = MusicBrainzClient::userAgent(s.version, s.cddb.email);
    o.proxy = s.proxy;
    // The whole lookup's limit, as for CDDB.
    o.totalMs = qMax(1, s.cddbServer.timeLimitMs);
    o.connectMs = qMin<long>(o.connectMs, o.totalMs);
    return MusicBrainzClient(o);
}

}

LookupCandidate DiscLookup::candidateOf(const CddbMatchRecord& match, const FreedbResult* entry)
{
    LookupCandidate c;
    c.source = LookupCandidate::Source::Cddb;
    c.artist = match.artist;
    c.album = match.title;
    c.country = match.category;
    c.category = match.category;
    c.cddbId = match.discId;
    if (entry) {
        c.trackNames = entry->trackNames;
        c.trackCount = int(entry->trackNames.size());
        c.year = entry->year;
        c.genre = entry->genre;
    }
    return c;
}

LookupAnswer DiscLookup::find(CdDrives& drives, int rowCount)
{
    LookupAnswer answer;
    if (m_settings.source == LookupSettings::Source::Cddb) {
        const FreedbResult result = m_freedb.run(m_settings.cddb, rowCount);
        switch (result.status) {
        case FreedbResult::Status::Found:
            answer.outcome = LookupAnswer::Outcome::Found;
            answer.candidates.append(candidateOf(result.matches.value(0), &result));
            break;
        case FreedbResult::Status::Several:
            answer.outcome = LookupAnswer::Outcome::Found;
            for (const CddbMatchRecord& match : result.matches)
                answer.candidates.append(candidateOf(match));
            break;
        case FreedbResult::Status::NotFound:
            answer.outcome = LookupAnswer::Outcome::NotFound;
            break;
        case FreedbResult::Status::InvalidProxyPort:
            answer.error = QStringLiteral("invalid proxy port");
            break;
        case FreedbResult::Status::Cancelled:
            answer.outcome = LookupAnswer::Outcome::Cancelled;
            break;
        }
        return answer;
    }

    TOC toc;
    const std::optional<MusicBrainzToc> mbToc =
        drives.readToc(toc, kLbaAddressing) ? musicBrainzToc(toc) : std::nullopt;
    const std::optional<QString> id = mbToc ? musicBrainzDiscId(*mbToc) : std::nullopt;
    if (!id) {
        answer.error = QStringLiteral("no table of contents to look up");
        m_log.add(QStringLiteral("MusicBrainz: ") + answer.error);
        return answer;
    }
    m_log.add(QStringLiteral("MusicBrainz disc id %1, TOC %2").arg(*id, mbToc->text()));
    if (m_cancelled) {
        answer.outcome = LookupAnswer::Outcome::Cancelled;
        return answer;
    }
    const MusicBrainzClient client = musicBrainz(m_settings);
    answer = runAside<LookupAnswer>([&] { return client.lookUp(*id, *mbToc, &m_cancelled); });
    if (m_cancelled)
        answer = LookupAnswer{LookupAnswer::Outcome::Cancelled, {}, {}};
    for (qsizetype i = 0; i < answer.candidates.size(); ++i) {
        const LookupCandidate& c = answer.candidates[i];
        m_log.add(QStringLiteral("%1: %2 / %3 %4 %5 %6").arg(i).arg(c.artist, c.album, c.year, c.country, c.releaseId));
    }
    if (!answer.error.isEmpty())
        m_log.add(QStringLiteral("MusicBrainz: ") + answer.error);
    return answer;
}

std::optional<LookupCandidate> DiscLookup::complete(const LookupCandidate& chosen, int rowCount)
{
    if (chosen.source == LookupCandidate::Source::MusicBrainz || !chosen.trackNames.isEmpty())
        return chosen;
    const CddbMatchRecord match{chosen.category, chosen.cddbId, chosen.artist, chosen.album};
    const FreedbResult result = m_freedb.read(m_settings.cddb, match, rowCount);
    if (result.status != FreedbResult::Status::Found)
        return std::nullopt;
    return candidateOf(match, &result);
}

std::optional<CoverArt> DiscLookup::frontCover(const LookupCandidate& chosen, QString* why)
{
    if (!m_settings.fetchCover || chosen.releaseId.isEmpty() || !chosen.frontCover || m_cancelled)
        return std::nullopt;
    const MusicBrainzClient client = musicBrainz(m_settings);
    QString reason;
    std::optional<CoverArt> cover =
        runAside<std::optional<CoverArt>>([&] { return client.frontCover(chosen.releaseId, &m_cancelled, &reason); });
    if (!cover)
        m_log.add(QStringLiteral("No cover for %1: %2").arg(chosen.releaseId, reason));
    if (why)
        *why = reason;
    return cover;
}

void takeTrackNames(int count, const QStringList& names, TrackList& tracks, DiscNames& discNames)
{
    const int audioRows = count - 1 - (tracks.CD() && tracks.GetCDAudioInfo() ? 1 : 0);
    QStringList list;
    for (int k = 0; k <= count - 2; ++k) {
        const int row = k + 1;
        if (k < names.size())
            tracks.setCell(1, row, names[k]);
        if (k < audioRows)
            list.append(tracks.trackName(row));
    }
    discNames.setTrackNames(list);
}

void applyLookupCandidate(const LookupCandidate& c, DiscNames& names, TrackList& tracks, TagFields& tags)
{
    names.setArtist(c.artist);
    names.setAlbum(c.album);
    // The tag fields take them even when the disc's names had them
    // already: the tag's own edits give way to the match.
    tags.setArtist(c.artist);
    tags.setAlbum(c.album);
    // An entry without track names leaves them as they are.
    if (!c.trackNames.isEmpty())
        takeTrackNames(tracks.RowCount(), c.trackNames, tracks, names);
    if (!c.year.isEmpty()) {
        names.setYear(c.year);
        setStartYears(tags, c.year);
    }
    const int genre = c.genre.isEmpty() ? -1 : tags.genres().nearestPosition(c.genre);
    if (genre >= 0) {
        names.setGenre(genre);
        tags.setGenrePosition(genre);
    }
    names.setDiscNumber(c.discNumber, c.discCount);
    names.setCover({});
}

}
