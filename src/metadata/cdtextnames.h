// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QMap>
#include <QString>
#include <optional>

namespace trackmill {

class CdDrives;
class DiscNames;
class TrackList;

// The names a disc carries itself in CD-TEXT (or its image in the TITLE,
// PERFORMER and SONGWRITER lines of its CUE sheet).
struct CdTextNames
{
    struct Track
    {
        QString title;
        QString performer;
    };

    QString artist;      // the disc's PERFORMER
    QString album;       // the disc's TITLE
    QString songwriter;  // the disc's SONGWRITER
    QMap<int, Track> tracks;  // by track number, 1 to 99

    // Anything to show: an album, an artist or a track title.
    bool hasNames() const;
    // The name of track `number` as the grid shows it: its title, with its
    // own performer in front ("Performer / Title", as CDDB names the tracks
    // of a sampler) when that differs from the disc's. Empty without a title.
    QString trackName(int number) const;

    // From the library's "<FIELD><n>=<value>" lines; unknown fields,
    // numbers outside 0 to 99 and lines without "=" are skipped.
    static CdTextNames fromLines(const QString& lines);
};

// The CD-TEXT of the disc in the open drive; nothing without a handle, a
// readable disc or any name in it.
std::optional<CdTextNames> cdTextOfDrive(CdDrives& drives);

// Puts the disc's CD-TEXT names where the database's names go: artist and
// album into the disc's names, each audio track's name into its grid row
// and the track list (a track without a title keeps the grid's name).
void applyCdTextNames(const CdTextNames& text, DiscNames& names, TrackList& tracks);

}
