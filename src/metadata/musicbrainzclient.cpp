// SPDX-License-Identifier: GPL-2.0-or-later
#include "musicbrainzclient.h"

#include "httpfetch.h"
#include "musicbrainzanswer.h"
#include "requestpacer.h"

#include <QUrl>

#include <algorithm>

namespace trackmill {

struct MusicBrainzClient::Fetched
{
    HttpResponse response;
};

MusicBrainzClient::MusicBrainzClient(Options options)
    : m_options(std::move(options))
{
    if (!m_options.pacer)
        m_options.pacer = &RequestPacer::musicBrainz();
    if (!m_options.coverPacer)
        m_options.coverPacer = &RequestPacer::coverArtArchive();
}

QByteArray MusicBrainzClient::userAgent(const QString& version, const QString& contact)
{
    QString who = contact.simplified();
    who.remove(QLatin1Char('(')).remove(QLatin1Char(')'));
    if (who.isEmpty())
        who = QStringLiteral("trackmill@localhost");
    const QString v = version.trimmed().isEmpty() ? QStringLiteral("2.0") : version.trimmed();
    return QStringLiteral("Trackmill/%1 ( %2 )").arg(v, who).toUtf8();
}

QString MusicBrainzClient::baseUrl(const QString& typed)
{
    QString url = typed.trimmed();
    if (!url.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        && !url.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        url.prepend(QLatin1String("https://"));
    while (url.endsWith(QLatin1Char('/')))
        url.chop(1);
    return url;
}

MusicBrainzClient::Fetched MusicBrainzClient::fetch(const QByteArray& url, qint64 maxBytes, int redirects,
                                                    RequestPacer& pacer, const std::atomic<bool>* cancel) const
{
    HttpRequest request;
    request.url = url;
    request.userAgent = m_options.userAgent;
    request.proxy = m_options.proxy;
    request.connectMs = m_options.connectMs;
    request.totalMs = m_options.totalMs;
    request.maxBytes = maxBytes;
    request.maxRedirects = redirects;
    request.cancel = cancel;

    Fetched fetched;
    if (!pacer.waitForTurn(cancel)) {
        fetched.response.outcome = HttpResponse::Outcome::Cancelled;
        return fetched;
    }
    fetched.response = httpGet(request);
    // A busy service: once more, after the wait it asks for.
    if (fetched.response.outcome == HttpResponse::Outcome::HttpError
        && (fetched.response.status == 503 || fetched.response.status == 429)) {
        qint64 wait = m_options.busyWaitMs;
        if (fetched.response.retryAfterSeconds >= 0)
            wait = std::clamp<qint64>(qint64(fetched.response.retryAfterSeconds) * 1000, m_options.busyWaitMs,
                                      kMaxBusyWaitMs);
        if (!pacer.waitAtLeast(wait, cancel)) {
            fetched.response.outcome = HttpResponse::Outcome::Cancelled;
            return fetched;
        }
        fetched.response = httpGet(request);
    }
    return fetched;
}

LookupAnswer MusicBrainzClient::lookUp(const QString& discId, const MusicBrainzToc& toc,
                                       const std::atomic<bool>* cancel) const
{
    // The disc id is checked first; without a release carrying it the
    // server matches the track lengths of the TOC. CD stubs are left out:
    // they hold what somebody once typed, without release or cover.
    const QByteArray url = baseUrl(m_options.server).toUtf8() + "/ws/2/discid/"
                           + QUrl::toPercentEncoding(discId)
                           + "?inc=artists+recordings+release-groups&cdstubs=no&fmt=json&toc="
                           + toc.text(QLatin1Char('+')).toLatin1();
    const HttpResponse r = fetch(url, m_options.maxAnswerBytes, 0, *m_options.pacer, cancel).response;

    LookupAnswer answer;
    using Outcome = HttpResponse::Outcome;
    switch (r.outcome) {
    case Outcome::Ok:
        return MusicBrainzAnswer::parse(r.body, discId, int(toc.offsets.size()));
    case Outcome::Cancelled:
        answer.outcome = LookupAnswer::Outcome::Cancelled;
        return answer;
    case Outcome::HttpError:
        if (r.status == 404) {
            answer.outcome = LookupAnswer::Outcome::NotFound;
            return answer;
        }
        answer.error = r.error;
        return answer;
    case Outcome::TooLarge:
    case Outcome::Failed:
        answer.error = r.error;
        return answer;
    }
    return answer;
}

std::optional<CoverArt> MusicBrainzClient::frontCover(const QString& releaseId, const std::atomic<bool>* cancel,
                                                      QString* why) const
{
    const auto fail = [why](const QString& reason) -> std::optional<CoverArt> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    if (releaseId.isEmpty())
        return fail(QStringLiteral("no release"));
    // The archive answers with a redirect to the picture's own address.
    const QByteArray url = baseUrl(m_options.coverServer).toUtf8() + "/release/"
                           + QUrl::toPercentEncoding(releaseId) + "/front-500";
    const HttpResponse r = fetch(url, m_options.maxCoverBytes, 5, *m_options.coverPacer, cancel).response;
    if (r.outcome == HttpResponse::Outcome::HttpError && r.status == 404)
        return fail(QStringLiteral("the release has no front cover"));
    if (r.outcome != HttpResponse::Outcome::Ok)
        return fail(r.error);
    return CoverArt::fromBytes(r.body, why);
}

}
