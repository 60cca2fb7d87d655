// SPDX-License-Identifier: GPL-2.0-or-later
// The command-line ripper's lookups: the same lookup of the core the
// connection window runs, interrupted by Ctrl-C.
#include "clilookup.h"

#include "interruptwatch.h"

#include "cd/cddrives.h"
#include "cd/tracklist.h"
#include "metadata/akripcddbservice.h"
#include "metadata/backgroundcddbservice.h"
#include "metadata/disclookup.h"
#include "platform/hiddenlog.h"
#include "settings/settings.h"

#include <QCoreApplication>

namespace trackmill::cli {

ConsoleLookup::ConsoleLookup(CdDrives& drives, TrackList& tracks, HiddenLog& log, const Settings& settings,
                             Arguments::Source source)
    : m_drives(drives)
    , m_tracks(tracks)
    , m_log(log)
    , m_settings(settings)
    , m_source(source)
{
}

template <typename Step>
auto ConsoleLookup::run(Step step, QString* why)
{
    using Result = decltype(step(std::declval<DiscLookup&>()));
    const LookupSettings::Source source =
        m_source == Arguments::Source::Settings
            ? LookupSettings::Source(qBound(0, m_settings.lookupSource, 1))
            : (m_source == Arguments::Source::MusicBrainz ? LookupSettings::Source::MusicBrainz
                                                          : LookupSettings::Source::Cddb);
    std::optional<LookupSettings> settings =
        LookupSettings::fromSettings(m_settings, source, FreedbServer{QByteArray(), 80}, why);
    if (!settings)
        return std::optional<Result>();
    settings->version = QCoreApplication::applicationVersion();
    BackgroundCddbService cddb(std::make_unique<AkripCddbService>(m_drives.handle()));
    DiscLookup lookup(cddb, m_log, *settings);
    // The requests run aside, so the interrupt is seen while they wait.
    InterruptWatch watch([&lookup] { lookup.cancel(); });
    return std::optional<Result>(step(lookup));
}

LookupAnswer ConsoleLookup::find(QString* why)
{
    const auto answer = run([this](DiscLookup& lookup) { return lookup.find(m_drives, m_tracks.RowCount()); }, why);
    if (!answer)
        return LookupAnswer{};
    if (why && answer->outcome == LookupAnswer::Outcome::Failed)
        *why = answer->error.isEmpty() ? QStringLiteral("no answer") : answer->error;
    return *answer;
}

std::optional<LookupCandidate> ConsoleLookup::complete(const LookupCandidate& chosen, QString* why)
{
    const auto whole = run(
        [&](DiscLookup& lookup) { return lookup.complete(chosen, m_tracks.RowCount()); }, why);
    if (!whole || !*whole) {
        if (why && why->isEmpty())
            *why = QStringLiteral("the entry did not arrive");
        return std::nullopt;
    }
    return **whole;
}

std::optional<CoverArt> ConsoleLookup::cover(const LookupCandidate& chosen)
{
    const auto picture = run([&](DiscLookup& lookup) { return lookup.frontCover(chosen); }, nullptr);
    return picture ? *picture : std::nullopt;
}

QString ConsoleLookup::table(const QList<LookupCandidate>& candidates)
{
    QString out = QStringLiteral("release  year  tracks  country  artist / album\n");
    for (qsizetype i = 0; i < candidates.size(); ++i) {
        const LookupCandidate& c = candidates[i];
        const QString where = c.format.isEmpty() ? c.country
                              : c.country.isEmpty() ? c.format
                                                    : c.country + QLatin1Char('/') + c.format;
        out += QStringLiteral("%1  %2  %3  %4  %5 / %6\n")
                   .arg(i + 1, 7)
                   .arg(c.year.isEmpty() ? QStringLiteral("-") : c.year, 4)
                   .arg(c.trackCount > 0 ? QString::number(c.trackCount) : QStringLiteral("-"), 6)
                   .arg(where.isEmpty() ? QStringLiteral("-") : where, -7)
                   .arg(c.artist, c.album);
        for (qsizetype t = 0; t < c.trackNames.size(); ++t)
            out += QStringLiteral("         %1  %2\n").arg(t + 1, 2).arg(c.trackNames[t]);
    }
    return out;
}

}
