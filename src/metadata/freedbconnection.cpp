// SPDX-License-Identifier: GPL-2.0-or-later
#include "freedbconnection.h"

#include "akripcddbservice.h"
#include "backgroundcddbservice.h"
#include "cd/cddrives.h"
#include "cd/tracklist.h"
#include "cdplayernames.h"
#include "disclookup.h"
#include "discstartnames.h"
#include "discnames.h"
#include "freedbviews.h"
#include "platform/hiddenlog.h"
#include "platform/messageboxes.h"
#include "settings/settings.h"
#include "tags/tagfields.h"

#include <QCoreApplication>

namespace trackmill {

namespace {

// The busy pointer for as long as the request runs, however it ends.
class BusyViews
{
public:
    explicit BusyViews(FreedbViews& views) : m_views(views) { m_views.setBusy(true); }
    ~BusyViews() { m_views.setBusy(false); }
    BusyViews(const BusyViews&) = delete;
    BusyViews& operator=(const BusyViews&) = delete;

private:
    FreedbViews& m_views;
};

}

FreedbConnection::FreedbConnection(Collaborators collaborators)
    : m_c(std::move(collaborators))
{
    if (!m_c.makeService)
        m_c.makeService = [](quint32 handle) -> std::unique_ptr<CddbService> {
            return std::make_unique<BackgroundCddbService>(std::make_unique<AkripCddbService>(handle));
        };
}

FreedbConnection::~FreedbConnection() = default;

void FreedbConnection::warnNoDisc()
{
    m_c.messageBoxes.warning(QStringLiteral("  ") + m_c.texts().noDisc + QStringLiteral(".  "));
}

void FreedbConnection::resetTags()
{
    m_c.tags.initialize(m_c.names.artist(), m_c.names.album());
}

void FreedbConnection::FreeDBClick()
{
    if (!m_c.tracks.CD()) {
        warnNoDisc();
        return;
    }
    m_c.views.showConnectionWindow();
}

bool FreedbConnection::withLookup(int source, const std::function<void(DiscLookup&)>& step)
{
    QString why;
    std::optional<LookupSettings> settings = LookupSettings::fromSettings(
        m_c.settings, LookupSettings::Source(qBound(0, source, 1)), m_c.server, &why);
    if (!settings) {
        m_c.log.add(why);
        return false;
    }
    settings->version = QCoreApplication::applicationVersion();
    BusyViews busy(m_c.views);
    const std::unique_ptr<CddbService> service = m_c.makeService(m_c.drives.handle());
    DiscLookup lookup(*service, m_c.log, *settings);
    m_lookup = &lookup;
    const struct Forget
    {
        DiscLookup*& lookup;
        ~Forget() { lookup = nullptr; }
    } forget{m_lookup};
    step(lookup);
    return true;
}

void FreedbConnection::take(const LookupCandidate& candidate, DiscLookup& lookup)
{
    applyLookupCandidate(candidate, m_c.names, m_c.tracks, m_c.tags);
    m_c.views.setStatus(m_c.texts().freedbFound);
    // CDDB's entry reaches the database through the library (option 8);
    // a MusicBrainz release's names are stored here, on the same switch.
    if (candidate.source == LookupCandidate::Source::MusicBrainz && m_c.settings.autoStoreCdPlayerIni)
        m_c.cdPlayerNames.SetAlbumToFile(m_c.views.lastArrivalDrive());
    if (const std::optional<CoverArt> cover = lookup.frontCover(candidate))
        m_c.names.setCover(*cover);
}

void FreedbConnection::Connect()
{
    if (m_lookup)
        return;
    // 1. The disc as it is now, and the selection by the stored setting.
    m_c.views.rereadDisc();
    // 2. The names the database has, before the request.
    if (m_c.tracks.CD()) {
        m_c.cdPlayerNames.GetFromCDPlayerINI(m_c.views.lastArrivalDrive());
    } else {
        m_c.names.setGenre(0);
        m_c.names.setYear(QString());
        m_c.tags.setGenrePosition(0);
    }
    // 3.
    resetTags();
    // The matches of an earlier lookup are for what was in the drive then.
    if (!m_candidates.isEmpty()) {
        m_candidates.clear();
        m_c.views.showCandidates({});
    }

    // 4. Nothing to look up.
    const int rowCount = m_c.tracks.RowCount();
    if (rowCount <= 2) {
        warnNoDisc();
        resetTags();
        return;
    }

    // 5. The status shows before the request goes out.
    m_c.views.setStatus(m_c.texts().freedbConnect + QStringLiteral("..."));
    m_c.views.repaintNow();
    m_c.log.clear();

    // 6.
    if (!m_c.drives.checkHandle())
        return;

    // 7. to 11.
    const int source = m_c.views.source();
    const bool asked = withLookup(source, [&](DiscLookup& lookup) {
        const LookupAnswer answer = lookup.find(m_c.drives, rowCount);
        if (answer.outcome != LookupAnswer::Outcome::Found || answer.candidates.isEmpty()) {
            // Nothing found, no disc information, cancelled, a server that
            // failed, or a proxy port that is no number (logged).
            m_c.views.setStatus(m_c.texts().freedbNotFound);
        } else if (answer.candidates.size() == 1) {
            take(answer.candidates.front(), lookup);
        } else {
            m_candidates = answer.candidates;
            m_candidatesSource = source;
            m_candidatesDisc = cdPlayerDiscIdOfDrive(m_c.drives).value_or(QString());
            m_c.views.showCandidates(m_candidates);
            m_c.views.setStatus(m_c.texts().lookupChoose);
        }
    });
    if (!asked)
        m_c.views.setStatus(m_c.texts().freedbNotFound);

    // 12.
    resetTags();
}

void FreedbConnection::chooseCandidate(int index)
{
    if (m_lookup || index < 0 || index >= m_candidates.size())
        return;
    const LookupCandidate chosen = m_candidates.at(index);
    // The list belongs to the disc it was made for.
    if (!m_c.tracks.CD() || cdPlayerDiscIdOfDrive(m_c.drives).value_or(QString()) != m_candidatesDisc) {
        m_candidates.clear();
        m_c.views.showCandidates({});
        m_c.views.setStatus(m_c.texts().freedbNotFound);
        return;
    }
    m_c.views.setStatus(m_c.texts().freedbConnect + QStringLiteral("..."));
    m_c.views.repaintNow();
    const bool asked = withLookup(m_candidatesSource, [&](DiscLookup& lookup) {
        if (const std::optional<LookupCandidate> whole = lookup.complete(chosen, m_c.tracks.RowCount()))
            take(*whole, lookup);
        else
            m_c.views.setStatus(m_c.texts().freedbNotFound);
    });
    if (!asked)
        m_c.views.setStatus(m_c.texts().freedbNotFound);
    resetTags();
}

void FreedbConnection::cancelLookup()
{
    if (m_lookup)
        m_lookup->cancel();
}

void FreedbConnection::GetTrackName(int count, const QStringList& names)
{
    takeTrackNames(count, names, m_c.tracks, m_c.names);
}

}
