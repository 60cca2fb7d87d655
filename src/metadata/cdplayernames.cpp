// SPDX-License-Identifier: GPL-2.0-or-later
#include "cdplayernames.h"

#include "platform/hiddenlog.h"
#include "cd/tracklist.h"
#include "cd/cddrives.h"
#include "cdplayerdatabase.h"
#include "cdtextnames.h"
#include "discnames.h"
#include "discstartnames.h"
#include "tags/genrelist.h"

namespace trackmill {

namespace {
constexpr int kGenreCount = GenreList::Count;
}

CdPlayerNames::CdPlayerNames(Collaborators collaborators)
    : m_c(std::move(collaborators))
{
}

std::optional<QString> CdPlayerNames::GetCD_ID_Audio(CdDrives& drives)
{
    return cdPlayerDiscIdOfDrive(drives);
}

void CdPlayerNames::GetFromCDPlayerINI(const QString&)
{
    const std::optional<QString> id = GetCD_ID_Audio(m_c.drives);
    if (!id)
        return;
    const int rowCount = m_c.tracks.RowCount();
    const std::optional<MainWindowNames> names =
        CdPlayerDatabase(m_c.databasePath).namesForMainWindow(*id, rowCount);
    if (!names) {
        // A disc the database does not know may name itself.
        if (const std::optional<CdTextNames> text = cdTextOfDrive(m_c.drives))
            applyCdTextNames(*text, m_c.names, m_c.tracks);
        return;
    }
    m_c.names.setArtist(names->artist);
    m_c.names.setAlbum(names->album);
    for (int row = 1; row < rowCount && row - 1 < names->rowNames.size(); ++row)
        m_c.tracks.setCell(1, row, names->rowNames[row - 1]);
}

void CdPlayerNames::GetAlbumFromFile(const QString&)
{
    const std::optional<QString> id = GetCD_ID_Audio(m_c.drives);
    if (!id)
        return;
    const bool audioDisc = m_c.tracks.CD();
    const bool lastIsData = audioDisc && m_c.tracks.GetCDAudioInfo();
    const TrackNameTabNames names =
        CdPlayerDatabase(m_c.databasePath).namesForTrackNameTab(*id, m_c.tracks.RowCount(), lastIsData);
    if (!names.known && audioDisc) {
        // Names the disc carries in CD-TEXT stand in for the database's.
        if (const std::optional<CdTextNames> text = cdTextOfDrive(m_c.drives)) {
            applyCdTextNames(*text, m_c.names, m_c.tracks);
            return;
        }
    }
    m_c.names.setArtist(names.artist);
    m_c.names.setAlbum(names.album);
    if (names.known) {
        m_c.names.setYear(names.year);
        m_c.names.setGenre(names.genre >= 0 && names.genre < kGenreCount ? names.genre : -1);
    }
    m_c.names.setTrackNames(names.tracks);
}

bool CdPlayerNames::SetAlbumToFile(const QString&)
{
    const std::optional<QString> id = GetCD_ID_Audio(m_c.drives);
    if (!id)
        return false;
    const DiscEntry names = m_c.names.entry();
    CdPlayerDatabase database(m_c.databasePath);
    if (database.store(*id, names))
        return true;
    m_c.log.add(QStringLiteral("Unable to write to %1: %2").arg(m_c.databasePath, database.errorString()));
    return false;
}

}
