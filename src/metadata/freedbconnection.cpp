// SPDX-License-Identifier: GPL-2.0-or-later
#include "freedbconnection.h"

#include "akripcddbservice.h"
#include "backgroundcddbservice.h"
#include "cd/cddrives.h"
#include "cd/tracklist.h"
#include "cdplayernames.h"
#include "discnames.h"
#include "freedbviews.h"
#include "platform/hiddenlog.h"
#include "platform/messageboxes.h"
#include "settings/settings.h"
#include "tags/tagfields.h"

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

    {
        // 7. to 11.
        BusyViews busy(m_c.views);
        FreedbSettings settings;
        settings.useProxy = m_c.settings.useProxy;
        settings.proxyHost = m_c.settings.serverProxy;
        settings.proxyPort = m_c.settings.portProxy;
        settings.autoStore = m_c.settings.autoStoreCdPlayerIni;

        const std::unique_ptr<CddbService> service = m_c.makeService(m_c.drives.handle());
        FreedbLookup lookup(*service, m_c.log, m_c.server);
        m_lookup = &lookup;
        const FreedbResult result = [&] {
            const struct Forget
            {
                FreedbLookup*& lookup;
                ~Forget() { lookup = nullptr; }
            } forget{m_lookup};
            return lookup.run(settings, rowCount);
        }();
        if (result.status == FreedbResult::Status::Found) {
            m_c.names.setArtist(result.artist);
            m_c.names.setAlbum(result.album);
            // The tag fields take them even when the disc's names had them
            // already: the tag's own edits give way to the match.
            m_c.tags.setArtist(result.artist);
            m_c.tags.setAlbum(result.album);
            m_c.views.setStatus(m_c.texts().freedbFound);
            // An entry without TTITLE0 leaves the track names as they are.
            if (!result.trackNames.isEmpty())
                GetTrackName(rowCount, result.trackNames);
        } else {
            // Nothing found, no disc information, cancelled, or a proxy
            // port that is no number (logged; nothing was sent).
            m_c.views.setStatus(m_c.texts().freedbNotFound);
        }
    }

    // 12.
    resetTags();
}

void FreedbConnection::cancelLookup()
{
    if (m_lookup)
        m_lookup->cancel();
}

void FreedbConnection::GetTrackName(int count, const QStringList& names)
{
    const int audioRows = count - 1 - (m_c.tracks.CD() && m_c.tracks.GetCDAudioInfo() ? 1 : 0);
    QStringList list;
    for (int k = 0; k <= count - 2; ++k) {
        const int row = k + 1;
        if (k < names.size())
            m_c.tracks.setCell(1, row, names[k]);
        if (k < audioRows)
            list.append(m_c.tracks.trackName(row));
    }
    m_c.names.setTrackNames(list);
}

}
