// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace trackmill {

// The values of the tag editor's fields (TForm4), as the tag writers read
// them when a track is tagged. The window copies its controls into this
// record before a writer runs and back afterwards: the writers change the
// per-track fields (titles, and with Split the artist fields) as the
// controls would change during a run.
struct TagEditorFields
{
    // Version 1.1 group.
    QString title;
    QString artist;
    QString album;
    QString year;
    int genre = 13;  // ID3 genre number of the entry selected in Genre ("Pop")
    QString comment;

    // Version 2.3 group.
    QString title2;
    QString artist2;
    QString album2;
    QString year2;
    QString genre2 = QStringLiteral("Pop");  // name of the entry selected in Genre2
    QString comment2;  // the memo's lines joined by CR LF, none after the last
    QString composer2;
    QString originalArtist2;
    QString copyright2;
    QString url2;
    QString encodedBy2;

    bool operator==(const TagEditorFields&) const = default;
};

// What the tag writers take from the other windows.
struct TagSources
{
    QString artist;  // main window's Artist
    QString album;   // main window's Album
    bool split = false;  // settings window's Split: track names are "artist<sep>title"
    QString separator = QStringLiteral("/");  // settings window's Character
    // The disc's place in a set of discs (TPOS "n/N" when count > 1) and its
    // front cover (APIC), from a lookup or chosen in the tag editor.
    int discNumber = 0;
    int discCount = 0;
    QByteArray cover;
    QByteArray coverMimeType;
};

// The track being tagged.
struct TrackToTag
{
    QString fileName;   // the MP3 file just encoded
    QString title;      // the part of the track's name after the separator
    QString trackName;  // the name cell of the track's grid row
    int trackNumber = 0;  // the grid row, 1 for the first track
    int total = 0;        // track rows of the grid (RowCount - 1)
};

}
