// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace trackmill {

// Assembles an ID3 version 2.3 tag in memory: a 10-byte header with the
// syncsafe size, then the frames, no padding, no extended header.
//
// Texts that ISO-8859-1 can hold are written with encoding 0 (frame size =
// 1 + bytes of the text); any other text is written as UTF-16 with a
// byte-order mark (encoding 1). The buffer grows as frames need, so no text
// is ever cut.
class Id3v23TagBuilder
{
public:
    // The texts of the twelve frames, in the order they are written.
    struct Texts
    {
        QString track;  // TRCK, "n/N"
        QString title;  // TIT2
        QString artist;  // TPE1
        QString album;  // TALB
        QString year;  // TYER
        QString genre;  // TCON, the genre's name
        QString composer;  // TCOM
        QString originalArtist;  // TOPE
        QString copyright;  // TCOP
        QString encodedBy;  // TENC
        QString comment;  // COMM, language "eng", descriptor "Description"
        QString url;  // WXXX, descriptor "URLDescription"
        // Written after the twelve, only when given:
        QString partOfSet;  // TPOS, "n/N"
        QByteArray picture;  // APIC, the front cover
        QByteArray pictureMimeType;  // "image/jpeg" or "image/png"
    };

    static constexpr qsizetype HeaderSize = 10;
    static constexpr qsizetype InitialBufferSize = 5001;
    // The largest tag size a syncsafe integer holds (28 bits).
    static constexpr qint64 MaxTagSize = (qint64(1) << 28) - 1;

    // Builds the whole tag (header and frames). Fails, with errorText, only
    // when the frames exceed MaxTagSize.
    bool build(const Texts& texts, QByteArray* tag, QString* errorText = nullptr);

    // The steps of build(), usable one by one.
    // Zeroes the buffer and sets the next-frame offset to 10.
    void InitializationArray();
    // Total length of the frames (headers included), the tag size.
    static qint64 GetTagSize(const Texts& texts);
    void AddHeader(qint64 tagSize);
    void SaveFrameToArray(QByteArrayView id, const QString& text);
    void SaveCOMMFrameToArray(const QString& comment);
    void SaveWXXXFrameToArray(const QString& url);
    void savePictureFrame(const QByteArray& picture, const QByteArray& mimeType);

    qsizetype nextFrameOffset() const { return m_offset; }
    // The header and every frame written so far.
    QByteArray written() const { return m_buffer.left(m_offset); }

    // Frame contents behind the 10-byte frame header.
    static QByteArray textFrameBody(const QString& text);
    static QByteArray commentFrameBody(const QString& comment);
    static QByteArray urlFrameBody(const QString& url);
    // Encoding 0, the MIME type, picture type 3 (front cover), an empty
    // description, the picture's bytes.
    static QByteArray pictureFrameBody(const QByteArray& picture, const QByteArray& mimeType);
    // The four syncsafe size bytes, most significant first.
    static QByteArray syncsafe(quint32 size);

private:
    void addFrame(QByteArrayView id, const QByteArray& body);

    QByteArray m_buffer;
    qsizetype m_offset = HeaderSize;
};

}
