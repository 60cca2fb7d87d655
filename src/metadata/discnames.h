// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "cdplayerdatabase.h"
#include "coverart.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace trackmill {

// The names of the disc in the drive as the program holds them, once: the
// album artist and title, the year, the genre and the names of the audio
// tracks. The main window's Artist and Album edits, the settings window's
// TrackName page and the tag editor bind to it; the runs name folders and
// files after it; the CD Player database and a lookup write into it and
// the database is written from it. Every writer goes through the setters;
// every window listens to the signals.
class DiscNames : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    const QString& artist() const { return m_artist; }
    const QString& album() const { return m_album; }
    const QString& year() const { return m_year; }
    // Position in the alphabetically sorted genre list; -1: none chosen.
    int genre() const { return m_genre; }
    // One name per audio track, first track first (a final data track of
    // an enhanced disc has none).
    const QStringList& trackNames() const { return m_tracks; }
    // The disc's place in a set (0 when unknown) and its front cover (no
    // data when none), from a lookup or chosen in the tag editor. Neither
    // is stored in the CD Player database.
    int discNumber() const { return m_discNumber; }
    int discCount() const { return m_discCount; }
    const CoverArt& cover() const { return m_cover; }

    // A value equal to the current one changes nothing and says nothing,
    // so an echo from a window never moves the cursor of the edit being
    // typed in.
    void setArtist(const QString& text);
    void setAlbum(const QString& text);
    void setYear(const QString& text);
    void setGenre(int position);
    void setTrackNames(const QStringList& names);
    // Entry index (grid row - 1); an index without an entry changes nothing.
    void setTrackName(int index, const QString& text);
    // A number outside 1..count (or a count below 1) is no place: both 0.
    void setDiscNumber(int number, int count);
    void setCover(const CoverArt& cover);

    // Artist, album, year, the track names, the disc number and the cover
    // emptied (a refresh, before the disc is read again); the genre stays.
    void clear();

    // The names as the CD Player database stores them; no genre chosen is
    // stored as the first entry.
    DiscEntry entry() const;

Q_SIGNALS:
    void artistChanged(const QString& text);
    void albumChanged(const QString& text);
    void yearChanged(const QString& text);
    void genreChanged(int position);
    // The list as a whole was replaced.
    void trackNamesChanged(const QStringList& names);
    void trackNameChanged(int index, const QString& text);
    void discNumberChanged(int number, int count);
    void coverChanged(const trackmill::CoverArt& cover);

private:
    QString m_artist;
    QString m_album;
    QString m_year;
    int m_genre = -1;
    QStringList m_tracks;
    int m_discNumber = 0;
    int m_discCount = 0;
    CoverArt m_cover;
};

}
