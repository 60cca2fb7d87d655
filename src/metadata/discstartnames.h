// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "cdplayerdatabase.h"
#include "cdtextnames.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace trackmill {

class CdDrives;
class DiscNames;
class TagFields;
class TrackList;

// The names the program starts a disc with, from the CD Player database:
// what the main window, the tag editor and the runs take when a disc is
// read. The window program and the command-line ripper both start from
// these, so both name and tag a track alike.

// The CD Player database id of the disc in the open drive; "0000" when
// its table of contents cannot be read, nothing without a handle. Leaves
// the handle in minute/second/frame addressing.
std::optional<QString> cdPlayerDiscIdOfDrive(CdDrives& drives);

// The genre position the tag editor starts on for the disc in the open
// drive: the stored one; "Pop" for a stored 0, no entry, no disc id or a
// position outside the list (a hand-edited CDPLAYER.INI).
int startGenrePosition(CdDrives& drives, const QString& databasePath);

// The version 1.1 year holds four characters, the version 2.3 year the
// whole text: both tags' years as the tag editor starts them.
void setStartYears(TagFields& tags, const QString& year);

struct DiscStartNames
{
    bool known = false;  // the disc has a section with an artist
    QString artist;
    QString album;
    QString year;
    int genrePosition = 0;
    // With USECDPLAYERINI on: the names of the grid's rows (first track
    // first), and the artist and album that go with them.
    std::optional<MainWindowNames> grid;
    // A disc the database does not know: the names of its CD-TEXT.
    std::optional<CdTextNames> cdText;
};

// Reads the names of the disc in the open drive (nothing for a disc that
// is not an audio disc, or without a handle).
std::optional<DiscStartNames> readDiscStartNames(CdDrives& drives, TrackList& tracks, const QString& databasePath,
                                                 bool useCdPlayerIni);

// Puts the names where a run reads them, in the order the program's start
// does: the stored artist and album, then those of the grid with its
// track names (or, for a disc the database does not know, those of its
// CD-TEXT), then the tag fields started from the disc's names (titles
// cleared, year and genre the stored ones).
void applyDiscStartNames(const DiscStartNames& names, DiscNames& discNames, TrackList& tracks, TagFields& tags);

}
