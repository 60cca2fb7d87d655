// SPDX-License-Identifier: GPL-2.0-or-later
#include "freedblookup.h"

#include "platform/hiddenlog.h"

#include <QHash>

namespace trackmill {

namespace {

// A TCP port typed by the user: decimal digits only, 1 to 65535.
std::optional<int> parsePort(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > 5)
        return std::nullopt;
    for (const QChar c : trimmed)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    const int port = trimmed.toInt();
    if (port < 1 || port > 65535)
        return std::nullopt;
    return port;
}

void addLines(HiddenLog& log, const QString& text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast(); // the text ends with a line break
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        log.add(line);
    }
}

}

FreedbLookup::FreedbLookup(CddbService& service, HiddenLog& log, FreedbServer server)
    : m_service(service)
    , m_log(log)
    , m_server(std::move(server))
{
}

void FreedbLookup::cancel()
{
    m_cancelled = true;
    m_service.cancel();
}

QStringList FreedbLookup::trackTitles(const QString& diskInfo, int maxNames)
{
    QHash<int, QString> titles;
    const QStringList lines = diskInfo.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 7 || !line.startsWith(QLatin1String("TTITLE")))
            continue;
        const QStringView number = QStringView(line).sliced(6, eq - 6);
        bool ok = false;
        const int n = number.toInt(&ok);
        // Canonical numbers only: "TTITLE01" or "TTITLE+1" name no track.
        if (!ok || n < 0 || QString::number(n) != number || titles.contains(n))
            continue;
        titles.insert(n, line.mid(eq + 1));
    }
    QStringList names;
    for (int n = 0; n < maxNames && titles.contains(n); ++n)
        names.append(titles.value(n));
    return names;
}

QString FreedbLookup::entryValue(const QString& diskInfo, QStringView key)
{
    for (QStringView line : QStringView(diskInfo).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.size() > key.size() && line.startsWith(key) && line.at(key.size()) == QLatin1Char('='))
            return line.sliced(key.size() + 1).trimmed().toString();
    }
    return {};
}

bool FreedbLookup::setOptions(const FreedbSettings& settings)
{
    // A proxy only when its host and port are both given; a port that is
    // no number ends the lookup before anything is sent.
    const bool useProxy = settings.useProxy && !settings.proxyHost.isEmpty() && !settings.proxyPort.isEmpty();
    std::optional<int> proxyPort;
    if (useProxy) {
        proxyPort = parsePort(settings.proxyPort);
        if (!proxyPort) {
            m_log.add(QStringLiteral("Invalid proxy port: \"%1\"").arg(settings.proxyPort));
            return false;
        }
    }
    // An emptied field falls back on its default, never on an empty text.
    const QString cgi = settings.cgi.trimmed().isEmpty() ? QString::fromLatin1(kCgiPath) : settings.cgi.trimmed();
    const QString email = settings.email.trimmed().isEmpty() ? QString::fromLatin1(kDefaultEmail) : settings.email.trimmed();
    m_service.setOption(CddbService::Server, m_server.host, 0);
    m_service.setOption(CddbService::CgiPath, cgi.toUtf8(), 0);
    m_service.setOption(CddbService::Email, email.toUtf8(), 0);
    m_service.setOption(CddbService::Agent, kClient, 0);
    m_service.setOption(CddbService::UseProxy, QByteArray(), useProxy ? 1 : 0);
    if (useProxy) {
        m_service.setOption(CddbService::ProxyHost, settings.proxyHost.toUtf8(), 0);
        m_service.setOption(CddbService::ProxyPort, QByteArray(), *proxyPort);
    }
    m_service.setOption(CddbService::HttpPort, QByteArray(), m_server.port);
    m_service.setOption(CddbService::StoreInCdPlayerIni, QByteArray(), settings.autoStore ? 1 : 0);
    return true;
}

namespace {

// One limit for the query and the entry together; lifted again at the end
// so that it cannot cut short a later user of the library.
class LookupTimeLimit
{
public:
    LookupTimeLimit(CddbService& service, int ms) : m_service(service)
    {
        m_service.setOption(CddbService::TimeLimit, QByteArray(), qMax(1, ms));
    }
    ~LookupTimeLimit() { m_service.setOption(CddbService::TimeLimit, QByteArray(), 0); }
    LookupTimeLimit(const LookupTimeLimit&) = delete;
    LookupTimeLimit& operator=(const LookupTimeLimit&) = delete;

private:
    CddbService& m_service;
};

QString yearOf(const QString& text)
{
    if (text.size() != 4)
        return {};
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return {};
    return text;
}

}

bool FreedbLookup::fetch(const CddbMatchRecord& match, int rowCount, FreedbResult& result)
{
    const std::optional<QString> info = m_service.diskInfo(match);
    if (!info) {
        m_log.add(QStringLiteral("Error while getting DiskInfo"));
        return false;
    }
    addLines(m_log, *info);
    m_log.add(QStringLiteral("The following matches were found:"));
    result.status = FreedbResult::Status::Found;
    result.artist = match.artist;
    result.album = match.title;
    result.trackNames = trackTitles(*info, qMax(0, rowCount - 1));
    result.year = yearOf(entryValue(*info, u"DYEAR"));
    result.genre = entryValue(*info, u"DGENRE");
    return true;
}

FreedbResult FreedbLookup::run(const FreedbSettings& settings, int rowCount)
{
    FreedbResult result;
    if (!setOptions(settings)) {
        result.status = FreedbResult::Status::InvalidProxyPort;
        return result;
    }
    const LookupTimeLimit limit(m_service, m_server.timeLimitMs);
    if (m_cancelled) {
        result.status = FreedbResult::Status::Cancelled;
        return result;
    }

    const QList<CddbMatchRecord> matches = m_service.query(kMatchCapacity);
    for (qsizetype i = 0; i < matches.size(); ++i) {
        const CddbMatchRecord& match = matches[i];
        m_log.add(QStringLiteral("%1: %2 %3 %4 / %5")
                      .arg(i)
                      .arg(match.category, match.discId, match.artist, match.title));
    }
    result.matches = matches;
    // Several matches are the user's choice: none is fetched, as each
    // could cost the server's whole time limit.
    if (matches.size() > 1 && !m_cancelled) {
        result.status = FreedbResult::Status::Several;
        return result;
    }
    if (matches.size() == 1 && !m_cancelled)
        fetch(matches.front(), rowCount, result);
    if (m_cancelled) {
        m_log.add(QStringLiteral("Lookup cancelled"));
        return FreedbResult{FreedbResult::Status::Cancelled, {}, {}, {}, {}, {}, {}};
    }
    return result;
}

FreedbResult FreedbLookup::read(const FreedbSettings& settings, const CddbMatchRecord& match, int rowCount)
{
    FreedbResult result;
    if (!setOptions(settings)) {
        result.status = FreedbResult::Status::InvalidProxyPort;
        return result;
    }
    const LookupTimeLimit limit(m_service, m_server.timeLimitMs);
    if (!m_cancelled)
        fetch(match, rowCount, result);
    if (m_cancelled) {
        m_log.add(QStringLiteral("Lookup cancelled"));
        return FreedbResult{FreedbResult::Status::Cancelled, {}, {}, {}, {}, {}, {}};
    }
    return result;
}

}
