// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <optional>

namespace trackmill {

class CdDrives;
class DiscNames;
class HiddenLog;
class TrackList;

// The CD Player database at the moments the program reads and writes it:
// the disc id of the open drive, the names read into the disc's names and
// the grid, the genre for the tag editor, and the write of the disc's
// names. Each operation opens the file
// for itself. Without an open drive handle there is no disc id: the
// handle check logs "Need valid CD handle first!" and the database is
// left alone (the drive path is never used as a section name).
class CdPlayerNames
{
public:
    struct Collaborators
    {
        CdDrives& drives;
        TrackList& tracks;
        HiddenLog& log;
        DiscNames& names;
        QString databasePath;  // CDPLAYER.INI
    };

    explicit CdPlayerNames(Collaborators collaborators);

    // The disc id of the disc in the open drive; "0000" when its table of
    // contents cannot be read, nothing without a handle. Leaves the handle
    // in minute/second/frame addressing.
    static std::optional<QString> GetCD_ID_Audio(CdDrives& drives);

    // Artist, album and the grid's names, when the disc is known; else
    // those of the disc's CD-TEXT, when it has any.
    void GetFromCDPlayerINI(const QString& drive);
    // Artist, album and track names, and year and genre when the disc is
    // known. An unknown disc takes the names of its CD-TEXT (into the grid
    // too); without any it empties artist and album (in every window) and
    // gets the default track names.
    void GetAlbumFromFile(const QString& drive);
    // Writes the disc's names. A failed write is logged.
    bool SetAlbumToFile(const QString& drive);

private:
    Collaborators m_c;
};

}
