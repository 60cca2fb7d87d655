// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "tracknamefields.h"

namespace trackmill {

// The TrackName values kept in memory, for a program made without the
// settings window: the names still reach the database at every write.
class HeldTrackNames : public TrackNameFields
{
public:
    DiscNames names() const override { return m_names; }
    void setArtist(const QString& text) override { m_names.artist = text; }
    void setAlbum(const QString& text) override { m_names.album = text; }
    void setTrackName(int index, const QString& text) override;
    void showStoredNames(const TrackNameTabNames& names, bool audioDisc) override;
    void setTrackNames(const QStringList& names) override;
    void clearYearAndGenre() override;

    QString currentTrack() const { return m_currentTrack; }

private:
    DiscNames m_names;
    QString m_currentTrack;
};

}
