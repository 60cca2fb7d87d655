// SPDX-License-Identifier: GPL-2.0-or-later
#include "discstartnames.h"

#include "cd/cddrives.h"
#include "cd/tracklist.h"
#include "discid.h"
#include "discnames.h"
#include "tags/genrelist.h"
#include "tags/tagfields.h"

namespace trackmill {

namespace {

// Minute/second/frame addressing of the TOC (parameter 36 = 1).
constexpr DWORD kMsfAddressing = 1;
constexpr int kId3v1YearLength = 4;

}

std::optional<QString> cdPlayerDiscIdOfDrive(CdDrives& drives)
{
    if (!drives.checkHandle())
        return std::nullopt;
    TOC toc;
    if (!drives.readToc(toc, kMsfAddressing))
        return cdPlayerDiscId({});
    return cdPlayerDiscIdFromToc(QByteArrayView(reinterpret_cast<const char*>(&toc), sizeof toc));
}

int startGenrePosition(CdDrives& drives, const QString& databasePath)
{
    const std::optional<QString> id = cdPlayerDiscIdOfDrive(drives);
    const int stored = id ? CdPlayerDatabase(databasePath).genreForTagEditor(*id) : 0;
    return stored >= 1 && stored < GenreList::Count ? stored : GenreList::PopPosition;
}

void setStartYears(TagFields& tags, const QString& year)
{
    tags.setYears(year);
    TagEditorFields f = tags.fields();
    f.year = f.year.left(kId3v1YearLength);
    tags.setFields(f);
}

std::optional<DiscStartNames> readDiscStartNames(CdDrives& drives, TrackList& tracks, const QString& databasePath,
                                                 bool useCdPlayerIni)
{
    if (!tracks.CD())
        return std::nullopt;
    const std::optional<QString> id = cdPlayerDiscIdOfDrive(drives);
    if (!id)
        return std::nullopt;
    const CdPlayerDatabase database(databasePath);
    const bool lastIsData = tracks.GetCDAudioInfo();
    const TrackNameTabNames stored = database.namesForTrackNameTab(*id, tracks.RowCount(), lastIsData);
    DiscStartNames names;
    names.known = stored.known;
    names.artist = stored.artist;
    names.album = stored.album;
    names.year = stored.known ? stored.year : QString();
    names.genrePosition = startGenrePosition(drives, databasePath);
    if (useCdPlayerIni)
        names.grid = database.namesForMainWindow(*id, tracks.RowCount());
    if (!names.known)
        names.cdText = cdTextOfDrive(drives);
    return names;
}

void applyDiscStartNames(const DiscStartNames& names, DiscNames& discNames, TrackList& tracks, TagFields& tags)
{
    if (names.known) {
        discNames.setArtist(names.artist);
        discNames.setAlbum(names.album);
    }
    if (names.grid) {
        discNames.setArtist(names.grid->artist);
        discNames.setAlbum(names.grid->album);
        for (int row = 1; row < tracks.RowCount() && row - 1 < names.grid->rowNames.size(); ++row)
            tracks.setCell(1, row, names.grid->rowNames[row - 1]);
    }
    if (names.cdText)
        applyCdTextNames(*names.cdText, discNames, tracks);
    tags.setGenrePosition(names.genrePosition);
    tags.initialize(discNames.artist(), discNames.album());
    setStartYears(tags, names.year);
}

}
