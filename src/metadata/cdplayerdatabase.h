// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "platform/inifile.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace trackmill {

// The names of one disc as the settings window's TrackName tab holds them.
struct DiscEntry
{
    QString artist;
    QString album;
    QString year;
    int genre = 0;       // position in the alphabetically sorted genre list
    QStringList tracks;  // one name per track, first track first
};

// What the main window takes from the database (TForm1.GetFromCDPlayerINI).
struct MainWindowNames
{
    QString artist;
    QString album;
    QStringList rowNames; // rowNames[r - 1] for grid row r
};

// What the TrackName tab takes from the database (TForm2.GetAlbumFromFile).
struct TrackNameTabNames
{
    bool known = false;       // the disc has a section with an artist
    QString artist;           // Edt_Artist and Edt_Album: always set (cleared when unknown)
    QString album;
    QString year;             // Edt_Year and Cmb_Genre: only when known
    int genre = 0;
    QStringList tracks;       // the Tracks list
    int availableTracks = 0;  // a: track rows less a final data track
    bool showCount = false;   // append " (a):" to LabelAvailableTracks
};

// The CD Player database CDPLAYER.INI: one section per disc, named after
// its disc id, with the keys EntryTypeInt, artist, title, year, genre,
// numtracks and "0", "1", ... (one per track). Each operation opens the
// file, reads or writes, and lets go of it; nothing is kept in memory.
// Values are written as UTF-8; values that are not valid UTF-8 (written
// by other programs) are read as windows-1252.
class CdPlayerDatabase
{
public:
    explicit CdPlayerDatabase(QString path);

    // A disc is known when its section has a non-empty Artist.
    bool isKnown(const QString& discId) const;

    // Names for the main window, nothing when the disc is unknown (the
    // window then stays as it was). rowCount is the grid's RowCount (row 0
    // is the header); an empty name in the last row becomes "DataTrack".
    std::optional<MainWindowNames> namesForMainWindow(const QString& discId, int rowCount) const;

    // Names for the TrackName tab; unknown discs get "AudioTrack 01", ...
    TrackNameTabNames namesForTrackNameTab(const QString& discId, int rowCount, bool lastTrackIsData) const;

    // The stored genre position for the tag editor; 0 (also a missing
    // value) gives 98, "Pop" in the sorted list.
    int genreForTagEditor(const QString& discId) const;

    // Writes the disc's section (TForm2.SetAlbumToFile): EntryTypeInt = 1,
    // artist, title, year, genre, numtracks, then "0" .. numtracks - 1, in
    // this order, in one atomic replacement of the file. Numbered keys
    // beyond the new count go (they would name tracks the disc lacks);
    // other sections and keys stay. Creates the folder and file when
    // missing. False when the file could not be written (errorString()).
    bool store(const QString& discId, const DiscEntry& names);

    QString errorString() const { return m_file.errorString(); }

    // "AudioTrack 01" ... "AudioTrack 09", "AudioTrack 10", ...
    static QString defaultTrackName(int number);

private:
    IniFile m_file;
};

}
