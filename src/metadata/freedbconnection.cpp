// SPDX-License-Identifier: GPL-2.0-or-later
#include "freedbconnection.h"

#include "akripcddbservice.h"
#include "platform/hiddenlog.h"
#include "app/mainwindow.h"
#include "cd/tracklist.h"
#include "backgroundcddbservice.h"
#include "cd/cddrives.h"
#include "cdplayernames.h"
#include "freedbwindow.h"
#include "platform/messageboxes.h"
#include "settings/settings.h"
#include "tags/tageditorwindow.h"
#include "tracknamefields.h"

#include <QApplication>

namespace trackmill {

namespace {

// The hourglass for as long as the request runs, however it ends.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
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

void FreedbConnection::setStatus(const QString& text)
{
    if (m_window)
        m_window->setStatus(text);
}

void FreedbConnection::FreeDBClick()
{
    if (!m_c.tracks.CD()) {
        warnNoDisc();
        return;
    }
    if (!m_window)
        return;
    m_window->setStatus(QString());
    m_window->showCentred();
}

void FreedbConnection::Connect()
{
    // 1. The disc as it is now, and the selection by the stored setting.
    m_c.mainWindow.GetCDTOC();
    m_c.mainWindow.ShowInformationStatusBar();
    m_c.mainWindow.CheckOrNotAllTracks(
        m_c.tracks.RowCount() - 1,
        m_c.mainWindow.GetUse(m_c.paths.settingsFile(), QStringLiteral("SELECTALL")) ? QLatin1Char('1')
                                                                                      : QLatin1Char('0'));
    // 2. The names the database has, before the request.
    if (m_c.tracks.CD()) {
        m_c.cdPlayerNames.GetFromCDPlayerINI(m_c.mainWindow.lastArrivalDrive());
    } else {
        m_c.trackNames.clearYearAndGenre();
        m_c.tagEditor.setGenrePosition(0);
    }
    // 3.
    m_c.tagEditor.ID3Initialization();

    // 4. Nothing to look up.
    const int rowCount = m_c.tracks.RowCount();
    if (rowCount <= 2) {
        warnNoDisc();
        m_c.tagEditor.ID3Initialization();
        return;
    }

    // 5. The status shows before the request goes out.
    setStatus(m_c.texts().freedbConnect + QStringLiteral("..."));
    if (m_window)
        m_window->repaint();
    m_c.mainWindow.repaint();
    m_c.log.clear();

    // 6.
    if (!m_c.drives.checkHandle())
        return;

    {
        // 7. to 11.
        WaitCursor wait;
        FreedbSettings settings;
        settings.useProxy = m_c.settings.useProxy;
        settings.proxyHost = m_c.settings.serverProxy;
        settings.proxyPort = m_c.settings.portProxy;
        settings.autoStore = m_c.settings.autoStoreCdPlayerIni;

        const std::unique_ptr<CddbService> service = m_c.makeService(m_c.drives.handle());
        FreedbLookup lookup(*service, m_c.log, m_c.server);
        const FreedbResult result = lookup.run(settings, rowCount);
        if (result.status == FreedbResult::Status::Found) {
            m_c.mainWindow.setArtist(result.artist);
            m_c.mainWindow.setAlbum(result.album);
            m_c.tagEditor.setArtist(result.artist);
            m_c.tagEditor.setAlbum(result.album);
            m_c.trackNames.setArtist(result.artist);
            m_c.trackNames.setAlbum(result.album);
            setStatus(m_c.texts().freedbFound);
            // An entry without TTITLE0 leaves the track names as they are.
            if (!result.trackNames.isEmpty())
                GetTrackName(rowCount, result.trackNames);
        } else {
            // Nothing found, no disc information, or a proxy port that is
            // no number (logged; nothing was sent).
            setStatus(m_c.texts().freedbNotFound);
        }
    }

    // 12.
    m_c.tagEditor.ID3Initialization();
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
    m_c.trackNames.setTrackNames(list);
}

}
