// SPDX-License-Identifier: GPL-2.0-or-later
#include "id3v1tag.h"

#include "platform/writeall.h"

#include <QFile>
#include <QIODevice>
#include <cstring>

namespace trackmill {

namespace {

constexpr int kTextWidth = 30;
constexpr int kYearWidth = 4;

int widthOf(int index)
{
    return index == TID3v1Tag::Year ? kYearWidth : kTextWidth;
}

// Field bytes at offset, cut at width and padded with spaces.
void putField(char* tag, int offset, int width, const QString& text)
{
    const QByteArray bytes = TID3v1Tag::toLatin1Lossy(text);
    const int n = std::min<int>(width, int(bytes.size()));
    std::memset(tag + offset, ' ', size_t(width));
    std::memcpy(tag + offset, bytes.constData(), size_t(n));
}

void setError(QString* errorText, const QString& text)
{
    if (errorText)
        *errorText = text;
}

}

QByteArray TID3v1Tag::toLatin1Lossy(const QString& text)
{
    const QString composed = text.normalized(QString::NormalizationForm_C);
    QByteArray out;
    out.reserve(composed.size());
    for (qsizetype i = 0; i < composed.size(); ++i) {
        const QChar c = composed.at(i);
        if (c.isHighSurrogate() && i + 1 < composed.size() && composed.at(i + 1).isLowSurrogate()) {
            out.append('?');  // one character outside the basic plane
            ++i;
        } else if (c.unicode() <= 0xFF) {
            out.append(char(c.unicode()));
        } else {
            out.append('?');
        }
    }
    return out;
}

QString TID3v1Tag::cutToCharacters(const QString& text, int max)
{
    const QString composed = text.normalized(QString::NormalizationForm_C);
    qsizetype i = 0;
    for (int count = 0; i < composed.size() && count < max; ++count) {
        if (composed.at(i).isHighSurrogate() && i + 1 < composed.size()
            && composed.at(i + 1).isLowSurrogate())
            i += 2;
        else
            i += 1;
    }
    return composed.left(i);
}

void TID3v1Tag::setText(int index, const QString& value)
{
    QString* field = nullptr;
    switch (index) {
    case Title: field = &m_title; break;
    case Artist: field = &m_artist; break;
    case Year: field = &m_year; break;
    case Album: field = &m_album; break;
    case Comment: field = &m_comment; break;
    default: return;
    }
    const QString cut = cutToCharacters(value, widthOf(index));
    if (cut != *field) {
        *field = cut;
        m_modified = true;
    }
}

QString TID3v1Tag::text(int index) const
{
    switch (index) {
    case Title: return m_title;
    case Artist: return m_artist;
    case Year: return m_year;
    case Album: return m_album;
    case Comment: return m_comment;
    default: return {};
    }
}

void TID3v1Tag::setTrack(int track)
{
    if (track != m_track) {
        m_track = track;
        m_modified = true;
    }
    m_noTrack = track == 0;
}

void TID3v1Tag::setGenre(int genre)
{
    if (genre != m_genre) {
        m_genre = genre;
        m_modified = true;
    }
}

QByteArray TID3v1Tag::toBytes() const
{
    QByteArray tag(TagSize, '\0');
    char* p = tag.data();
    std::memcpy(p, "TAG", 3);
    putField(p, 3, kTextWidth, m_title);
    putField(p, 33, kTextWidth, m_artist);
    putField(p, 63, kTextWidth, m_album);
    putField(p, 93, kYearWidth, m_year);
    putField(p, 97, kTextWidth, m_comment);
    if (!m_noTrack) {
        p[125] = 0;
        p[126] = char(m_track & 0xFF);
    }
    p[127] = char(m_genre & 0xFF);
    return tag;
}

bool TID3v1Tag::saveToBuffer(char* buffer, qsizetype size, QString* errorText)
{
    if (!buffer || size < TagSize) {
        setError(errorText, QStringLiteral("TID3v1Tag.Save: Buffer too small"));
        return false;
    }
    const QByteArray tag = toBytes();
    std::memcpy(buffer, tag.constData(), size_t(TagSize));
    m_modified = false;
    return true;
}

bool TID3v1Tag::saveToStream(QIODevice& stream, QString* errorText)
{
    char tag[TagSize];
    if (!saveToBuffer(tag, TagSize, errorText))
        return false;
    if (!writeAll(stream, tag, TagSize)) {
        setError(errorText, stream.errorString());
        m_modified = true;  // nothing (or not all) reached the stream
        return false;
    }
    return true;
}

bool TID3v1Tag::saveToFile(const QString& fileName, QString* errorText)
{
    QFile file(fileName);
    // ExistingOnly: a missing file is an error, as opening an existing file
    // for reading and writing is; it is never created here.
    // Unbuffered, so that a write that fails says why at once.
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered)) {
        setError(errorText, QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()));
        return false;
    }
    QByteArray last3("NON");
    const qint64 size = file.size();
    if (size >= TagSize) {
        last3 = file.seek(size - TagSize) ? file.read(3) : QByteArray();
        if (last3.size() != 3) {
            setError(errorText, QStringLiteral("Cannot read file \"%1\". %2").arg(fileName, file.errorString()));
            return false;
        }
    }
    // An old tag is overwritten in place, so tagging twice never stacks two.
    const qint64 position = last3 == "TAG" ? size - TagSize : size;
    if (!file.seek(position) || !saveToStream(file, errorText) || !file.flush()) {
        const QString reason = file.errorString();
        m_modified = true;
        // A half-appended tag would leave stray bytes behind the audio.
        if (position == size)
            file.resize(size);
        setError(errorText, QStringLiteral("Cannot write file \"%1\". %2").arg(fileName, reason));
        return false;
    }
    file.close();
    return true;
}

}
