// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;

namespace trackmill {

// The ID3 version 1.1 tag: 128 bytes at the end of an MP3 file.
//
// Texts are kept as they were set, cut to their field's width in characters
// (code points, after composing accents, so one character is one stored
// byte). They are stored as ISO-8859-1; a character it cannot hold becomes
// "?". Fields are padded with spaces, never terminated by a zero. With a
// track number the tag is laid out as version 1.1 (comment bytes 29 and 30
// hold 0 and the track); track 0 gives the version 1.0 layout with all 30
// comment bytes.
class TID3v1Tag
{
public:
    static constexpr qsizetype TagSize = 128;

    // Indexes of the text setter.
    enum TextField { Title = 1, Artist = 2, Year = 3, Album = 4, Comment = 5 };

    bool modified() const { return m_modified; }
    bool noTrack() const { return m_noTrack; }

    QString title() const { return m_title; }
    QString artist() const { return m_artist; }
    QString album() const { return m_album; }
    QString year() const { return m_year; }
    QString comment() const { return m_comment; }
    int track() const { return m_track; }
    int genre() const { return m_genre; }

    // Cuts the value to the field's width (30, 30, 4, 30, 30 characters) at
    // once; the field and Modified change only when the cut value differs.
    // An unknown index is ignored.
    void setText(int index, const QString& value);
    QString text(int index) const;
    void setTitle(const QString& value) { setText(Title, value); }
    void setArtist(const QString& value) { setText(Artist, value); }
    void setAlbum(const QString& value) { setText(Album, value); }
    void setYear(const QString& value) { setText(Year, value); }
    void setComment(const QString& value) { setText(Comment, value); }
    // The low byte of each is stored. Track 0 means no track number.
    void setTrack(int track);
    void setGenre(int genre);

    // The 128 bytes as stored in the file.
    QByteArray toBytes() const;

    // Each save clears Modified when it succeeds; on failure errorText (when
    // given) gets the reason.
    // Fails with "TID3v1Tag.Save: Buffer too small" below 128 bytes.
    bool saveToBuffer(char* buffer, qsizetype size, QString* errorText = nullptr);
    bool saveToStream(QIODevice& stream, QString* errorText = nullptr);
    // Replaces a tag already at the end of the file (the file keeps its
    // size) or appends one. The file must exist and be writable; nothing is
    // written otherwise.
    bool saveToFile(const QString& fileName, QString* errorText = nullptr);

    // ISO-8859-1 bytes of a text, "?" for each character it cannot hold.
    static QByteArray toLatin1Lossy(const QString& text);
    // The first max characters (code points, after composing accents).
    static QString cutToCharacters(const QString& text, int max);

private:
    bool m_modified = false;
    bool m_noTrack = true;
    QString m_title;
    QString m_artist;
    QString m_album;
    int m_track = 0;
    QString m_comment;
    QString m_year;
    int m_genre = 0;
};

}
