// SPDX-License-Identifier: GPL-2.0-or-later
#include "id3v23tagbuilder.h"

#include <algorithm>
#include <cstring>

namespace trackmill {

namespace {

constexpr char kLatin1 = 0;
constexpr char kUtf16 = 1;

QString composed(const QString& text)
{
    return text.normalized(QString::NormalizationForm_C);
}

bool fitsLatin1(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0xFF)
            return false;
    }
    return true;
}

// A text in the frame's encoding, without terminator.
QByteArray encode(const QString& text, char encoding)
{
    if (encoding == kLatin1)
        return text.toLatin1();
    // Byte-order mark FF FE, then UTF-16 little-endian code units.
    QByteArray out;
    out.reserve(2 + 2 * text.size());
    out.append('\xFF').append('\xFE');
    for (const QChar c : text)
        out.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    return out;
}

QByteArray terminator(char encoding)
{
    return encoding == kLatin1 ? QByteArray(1, '\0') : QByteArray(2, '\0');
}

void putBigEndian32(char* p, quint32 value)
{
    p[0] = char((value >> 24) & 0xFF);
    p[1] = char((value >> 16) & 0xFF);
    p[2] = char((value >> 8) & 0xFF);
    p[3] = char(value & 0xFF);
}

}

QByteArray Id3v23TagBuilder::textFrameBody(const QString& text)
{
    const QString t = composed(text);
    const char encoding = fitsLatin1(t) ? kLatin1 : kUtf16;
    return QByteArray(1, encoding) + encode(t, encoding);
}

QByteArray Id3v23TagBuilder::commentFrameBody(const QString& comment)
{
    const QString t = composed(comment);
    const char encoding = fitsLatin1(t) ? kLatin1 : kUtf16;
    // The descriptor shares the text's encoding; the language never does.
    return QByteArray(1, encoding) + QByteArray("eng")
           + encode(QStringLiteral("Description"), encoding) + terminator(encoding)
           + encode(t, encoding);
}

QByteArray Id3v23TagBuilder::urlFrameBody(const QString& url)
{
    // The URL of a WXXX frame is always ISO-8859-1; characters it cannot hold
    // are percent-encoded as UTF-8, as in any URI.
    const QString t = composed(url);
    QByteArray bytes;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t.at(i);
        if (c.unicode() <= 0xFF) {
            bytes.append(char(c.unicode()));
            continue;
        }
        qsizetype n = 1;
        if (c.isHighSurrogate() && i + 1 < t.size() && t.at(i + 1).isLowSurrogate())
            n = 2;
        bytes.append(t.mid(i, n).toUtf8().toPercentEncoding());
        i += n - 1;
    }
    return QByteArray(1, kLatin1) + QByteArray("URLDescription", 15) + bytes;
}

QByteArray Id3v23TagBuilder::pictureFrameBody(const QByteArray& picture, const QByteArray& mimeType)
{
    constexpr char kFrontCover = 3;
    return QByteArray(1, kLatin1) + mimeType + QByteArray(1, '\0') + QByteArray(1, kFrontCover)
           + QByteArray(1, '\0') + picture;
}

QByteArray Id3v23TagBuilder::syncsafe(quint32 size)
{
    QByteArray out(4, '\0');
    out[0] = char((size >> 21) & 0x7F);
    out[1] = char((size >> 14) & 0x7F);
    out[2] = char((size >> 7) & 0x7F);
    out[3] = char(size & 0x7F);
    return out;
}

void Id3v23TagBuilder::InitializationArray()
{
    m_buffer = QByteArray(InitialBufferSize, '\0');
    m_offset = HeaderSize;
}

qint64 Id3v23TagBuilder::GetTagSize(const Texts& texts)
{
    constexpr qint64 frameHeader = 10;
    qint64 size = 0;
    for (const QString* text : {&texts.track, &texts.title, &texts.artist, &texts.album,
                                &texts.year, &texts.genre, &texts.composer,
                                &texts.originalArtist, &texts.copyright, &texts.encodedBy})
        size += frameHeader + textFrameBody(*text).size();
    size += frameHeader + commentFrameBody(texts.comment).size();
    size += frameHeader + urlFrameBody(texts.url).size();
    if (!texts.partOfSet.isEmpty())
        size += frameHeader + textFrameBody(texts.partOfSet).size();
    if (!texts.picture.isEmpty())
        size += frameHeader + pictureFrameBody(texts.picture, texts.pictureMimeType).size();
    return size;
}

void Id3v23TagBuilder::AddHeader(qint64 tagSize)
{
    if (m_buffer.size() < HeaderSize)
        m_buffer.resize(InitialBufferSize, '\0');
    char* p = m_buffer.data();
    std::memcpy(p, "ID3", 3);
    p[3] = 3;  // major version
    p[4] = 0;  // revision
    p[5] = 0;  // flags
    std::memcpy(p + 6, syncsafe(quint32(tagSize)).constData(), 4);
}

void Id3v23TagBuilder::addFrame(QByteArrayView id, const QByteArray& body)
{
    Q_ASSERT(id.size() == 4);
    const qsizetype need = m_offset + 10 + body.size();
    if (need > m_buffer.size())
        m_buffer.resize(std::max(need, m_buffer.size() * 2), '\0');
    char* p = m_buffer.data() + m_offset;
    std::memcpy(p, id.data(), 4);
    putBigEndian32(p + 4, quint32(body.size()));  // frame sizes are not syncsafe in 2.3
    p[8] = 0;  // flags
    p[9] = 0;
    std::memcpy(p + 10, body.constData(), size_t(body.size()));
    m_offset = need;
}

void Id3v23TagBuilder::SaveFrameToArray(QByteArrayView id, const QString& text)
{
    addFrame(id, textFrameBody(text));
}

void Id3v23TagBuilder::SaveCOMMFrameToArray(const QString& comment)
{
    addFrame("COMM", commentFrameBody(comment));
}

void Id3v23TagBuilder::SaveWXXXFrameToArray(const QString& url)
{
    addFrame("WXXX", urlFrameBody(url));
}

void Id3v23TagBuilder::savePictureFrame(const QByteArray& picture, const QByteArray& mimeType)
{
    addFrame("APIC", pictureFrameBody(picture, mimeType));
}

bool Id3v23TagBuilder::build(const Texts& texts, QByteArray* tag, QString* errorText)
{
    InitializationArray();
    const qint64 tagSize = GetTagSize(texts);
    if (tagSize > MaxTagSize) {
        if (errorText)
            *errorText = QStringLiteral("The ID3v2.3 tag is too large (%1 bytes).").arg(tagSize);
        return false;
    }
    AddHeader(tagSize);
    SaveFrameToArray("TRCK", texts.track);
    SaveFrameToArray("TIT2", texts.title);
    SaveFrameToArray("TPE1", texts.artist);
    SaveFrameToArray("TALB", texts.album);
    SaveFrameToArray("TYER", texts.year);
    SaveFrameToArray("TCON", texts.genre);
    SaveFrameToArray("TCOM", texts.composer);
    SaveFrameToArray("TOPE", texts.originalArtist);
    SaveFrameToArray("TCOP", texts.copyright);
    SaveFrameToArray("TENC", texts.encodedBy);
    SaveCOMMFrameToArray(texts.comment);
    SaveWXXXFrameToArray(texts.url);
    if (!texts.partOfSet.isEmpty())
        SaveFrameToArray("TPOS", texts.partOfSet);
    if (!texts.picture.isEmpty())
        savePictureFrame(texts.picture, texts.pictureMimeType);
    Q_ASSERT(m_offset == HeaderSize + tagSize);
    *tag = written();
    return true;
}

}
