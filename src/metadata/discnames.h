// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QObject>
#include <QString>

namespace trackmill {

// The names of the disc in the drive as the program holds them: the album
// artist and the album title that the main window's Artist and Album edits
// show, the settings window's TrackName page and the tag editor follow,
// and the runs name folders and files after. Every source of names (the
// user, the CD Player database, a lookup) writes here; windows listen.
class DiscNames : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    const QString& artist() const { return m_artist; }
    const QString& album() const { return m_album; }
    // A text equal to the current one changes nothing and says nothing, so
    // an echo from a window never moves the cursor of the edit being typed in.
    void setArtist(const QString& text);
    void setAlbum(const QString& text);

Q_SIGNALS:
    void artistChanged(const QString& text);
    void albumChanged(const QString& text);

private:
    QString m_artist;
    QString m_album;
};

}
