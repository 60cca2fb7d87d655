// SPDX-License-Identifier: GPL-2.0-or-later
#include "discnames.h"

namespace trackmill {

void DiscNames::setArtist(const QString& text)
{
    if (m_artist == text)
        return;
    m_artist = text;
    Q_EMIT artistChanged(text);
}

void DiscNames::setAlbum(const QString& text)
{
    if (m_album == text)
        return;
    m_album = text;
    Q_EMIT albumChanged(text);
}

void DiscNames::setYear(const QString& text)
{
    if (m_year == text)
        return;
    m_year = text;
    Q_EMIT yearChanged(text);
}

void DiscNames::setGenre(int position)
{
    if (m_genre == position)
        return;
    m_genre = position;
    Q_EMIT genreChanged(position);
}

void DiscNames::setTrackNames(const QStringList& names)
{
    // Sent even when equal: a list shown again goes back to its first entry.
    m_tracks = names;
    Q_EMIT trackNamesChanged(m_tracks);
}

void DiscNames::setTrackName(int index, const QString& text)
{
    if (index < 0 || index >= m_tracks.size() || m_tracks.at(index) == text)
        return;
    m_tracks[index] = text;
    Q_EMIT trackNameChanged(index, text);
}

void DiscNames::setDiscNumber(int number, int count)
{
    if (count < 1 || number < 1 || number > count)
        number = count = 0;
    if (number == m_discNumber && count == m_discCount)
        return;
    m_discNumber = number;
    m_discCount = count;
    Q_EMIT discNumberChanged(number, count);
}

void DiscNames::setCover(const CoverArt& cover)
{
    if (cover == m_cover)
        return;
    m_cover = cover;
    Q_EMIT coverChanged(m_cover);
}

void DiscNames::clear()
{
    setArtist(QString());
    setAlbum(QString());
    setYear(QString());
    setTrackNames({});
    setDiscNumber(0, 0);
    setCover({});
}

DiscEntry DiscNames::entry() const
{
    DiscEntry e;
    e.artist = m_artist;
    e.album = m_album;
    e.year = m_year;
    e.genre = qMax(0, m_genre);
    e.tracks = m_tracks;
    return e;
}

}
