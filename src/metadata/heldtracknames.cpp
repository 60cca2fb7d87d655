// SPDX-License-Identifier: GPL-2.0-or-later
#include "heldtracknames.h"

namespace trackmill {

void HeldTrackNames::setTrackName(int index, const QString& text)
{
    if (index >= 0 && index < m_names.tracks.size())
        m_names.tracks[index] = text;
}

void HeldTrackNames::showStoredNames(const TrackNameTabNames& names, bool audioDisc)
{
    m_names.artist = names.artist;
    m_names.album = names.album;
    if (names.known) {
        m_names.year = names.year;
        m_names.genre = names.genre;
    }
    m_names.tracks = names.tracks;
    m_currentTrack = audioDisc ? m_names.tracks.value(0) : QString();
}

void HeldTrackNames::setTrackNames(const QStringList& names)
{
    m_names.tracks = names;
    m_currentTrack = names.value(0);
}

void HeldTrackNames::clearYearAndGenre()
{
    m_names.year.clear();
    m_names.genre = 0;
}

}
