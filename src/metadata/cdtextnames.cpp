// SPDX-License-Identifier: GPL-2.0-or-later
#include "cdtextnames.h"

#include "cd/cddrives.h"
#include "cd/tracklist.h"
#include "discnames.h"

#include <QStringList>

namespace trackmill {

bool CdTextNames::hasNames() const
{
    if (!artist.isEmpty() || !album.isEmpty())
        return true;
    for (const Track& t : tracks)
        if (!t.title.isEmpty())
            return true;
    return false;
}

QString CdTextNames::trackName(int number) const
{
    const Track t = tracks.value(number);
    if (t.title.isEmpty())
        return {};
    if (!t.performer.isEmpty() && t.performer != artist)
        return t.performer + QStringLiteral(" / ") + t.title;
    return t.title;
}

CdTextNames CdTextNames::fromLines(const QString& lines)
{
    CdTextNames names;
    for (const QString& line : lines.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QStringView key = QStringView(line).left(eq);
        qsizetype digits = key.size();
        while (digits > 0 && key.at(digits - 1).isDigit())
            --digits;
        bool ok = false;
        const int n = key.sliced(digits).toInt(&ok);
        if (!ok || n < 0 || n > 99 || digits == key.size())
            continue;
        const QStringView field = key.left(digits);
        const QString value = line.mid(eq + 1);
        if (n == 0) {
            if (field == QLatin1String("TITLE"))
                names.album = value;
            else if (field == QLatin1String("PERFORMER"))
                names.artist = value;
            else if (field == QLatin1String("SONGWRITER"))
                names.songwriter = value;
        } else if (field == QLatin1String("TITLE")) {
            names.tracks[n].title = value;
        } else if (field == QLatin1String("PERFORMER")) {
            names.tracks[n].performer = value;
        }
    }
    return names;
}

std::optional<CdTextNames> cdTextOfDrive(CdDrives& drives)
{
    const std::optional<QString> lines = drives.readCdText();
    if (!lines)
        return std::nullopt;
    CdTextNames names = CdTextNames::fromLines(*lines);
    if (!names.hasNames())
        return std::nullopt;
    return names;
}

void applyCdTextNames(const CdTextNames& text, DiscNames& names, TrackList& tracks)
{
    names.setArtist(text.artist);
    names.setAlbum(text.album);
    // A final data track has no entry in the track list, as in the database.
    const int audioRows = tracks.RowCount() - 1 - (tracks.CD() && tracks.GetCDAudioInfo() ? 1 : 0);
    QStringList list;
    for (int row = 1; row <= audioRows; ++row) {
        const QString name = text.trackName(row);
        if (!name.isEmpty())
            tracks.setCell(1, row, name);
        list.append(tracks.trackName(row));
    }
    names.setTrackNames(list);
}

}
