// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "cdplayerdatabase.h"

#include <QString>
#include <QStringList>

namespace trackmill {

// The settings window's TrackName page as the disc names use it: Edt_Artist,
// Edt_Album, Edt_Year, Cmb_Genre, the list Tracks, CurrentTrack and
// BtnSetName. Its values are what the CD Player database receives.
class TrackNameFields
{
public:
    virtual ~TrackNameFields() = default;

    // The names as they would be stored now.
    virtual DiscEntry names() const = 0;

    virtual void setArtist(const QString& text) = 0;
    virtual void setAlbum(const QString& text) = 0;
    // Entry index of Tracks (grid row index + 1); no entry, no change.
    virtual void setTrackName(int index, const QString& text) = 0;

    // What the database holds for the disc (TForm2.GetAlbumFromFile): the
    // names, the list of tracks with item 0 selected and in CurrentTrack,
    // BtnSetName enabled exactly while an audio disc is present.
    virtual void showStoredNames(const TrackNameTabNames& names, bool audioDisc) = 0;
    // Tracks := names, item 0 selected and in CurrentTrack.
    virtual void setTrackNames(const QStringList& names) = 0;
    // No disc: genre back to the first entry, year cleared.
    virtual void clearYearAndGenre() = 0;
};

}
