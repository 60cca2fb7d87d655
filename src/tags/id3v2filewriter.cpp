// SPDX-License-Identifier: GPL-2.0-or-later
#include "id3v2filewriter.h"

#include "platform/writeall.h"

#include <QFile>
#include <QSaveFile>

namespace trackmill {

namespace {

// Copy in pieces of 64 KiB: an MP3 file of a long track is tens of MB.
constexpr qint64 kCopyChunk = 64 * 1024;

void setError(QString* errorText, const QString& text)
{
    if (errorText)
        *errorText = text;
}

}

qint64 Id3v2FileWriter::leadingId3v2Length(QIODevice& device)
{
    const qint64 end = device.size();
    qint64 offset = 0;
    for (;;) {
        if (!device.seek(offset))
            break;
        const QByteArray h = device.read(10);
        if (h.size() != 10 || !h.startsWith("ID3"))
            break;
        const auto b = [&h](int i) { return quint8(h.at(i)); };
        // Major version 2 to 4, revision not 0xFF, size bytes with bit 7 clear.
        if (b(3) < 2 || b(3) > 4 || b(4) == 0xFF
            || ((b(6) | b(7) | b(8) | b(9)) & 0x80))
            break;
        qint64 length = 10 + ((qint64(b(6)) << 21) | (qint64(b(7)) << 14)
                              | (qint64(b(8)) << 7) | qint64(b(9)));
        if (b(3) == 4 && (b(5) & 0x10))
            length += 10;  // footer
        if (offset + length > end)
            break;
        offset += length;
    }
    device.seek(0);
    return offset;
}

bool Id3v2FileWriter::CopyToFile(QFileDevice& source, qint64 from, QFileDevice& target, QString* errorText)
{
    if (!source.seek(from)) {
        setError(errorText, QStringLiteral("Cannot read file \"%1\". %2").arg(source.fileName(), source.errorString()));
        return false;
    }
    QByteArray chunk;
    for (;;) {
        chunk = source.read(kCopyChunk);
        if (chunk.isEmpty()) {
            if (!source.atEnd() || source.error() != QFileDevice::NoError) {
                setError(errorText, QStringLiteral("Cannot read file \"%1\". %2").arg(source.fileName(), source.errorString()));
                return false;
            }
            return true;
        }
        if (!writeAll(target, chunk.constData(), chunk.size())) {
            setError(errorText, QStringLiteral("Cannot write file \"%1\". %2").arg(target.fileName(), target.errorString()));
            return false;
        }
    }
}

bool Id3v2FileWriter::DeleteAndRename(QSaveFile& target, QString* errorText)
{
    // QSaveFile::commit() does not report a failed flush of its own buffer
    // (a full disk would pass as success), so flush and check first. One
    // rename over the old file follows: there is no moment without an MP3.
    if (!target.flush() || target.error() != QFileDevice::NoError) {
        setError(errorText, QStringLiteral("Cannot write file \"%1\". %2").arg(target.fileName(), target.errorString()));
        target.cancelWriting();
        return false;
    }
    if (!target.commit()) {
        setError(errorText, QStringLiteral("Cannot replace file \"%1\". %2").arg(target.fileName(), target.errorString()));
        return false;
    }
    return true;
}

bool Id3v2FileWriter::write(const QString& mp3FileName, const QByteArray& tag, QString* errorText)
{
    QFile source(mp3FileName);
    if (!source.open(QIODevice::ReadOnly)) {
        setError(errorText, QStringLiteral("Cannot open file \"%1\". %2").arg(mp3FileName, source.errorString()));
        return false;
    }
    const qint64 oldTag = leadingId3v2Length(source);

    QSaveFile target(mp3FileName);
    // The temporary file must sit beside the MP3 file; writing in place
    // would lose the file on a failure.
    target.setDirectWriteFallback(false);
    // Unbuffered: the copy goes out in 64 KiB pieces, and a short write
    // shows up at the write that caused it.
    if (!target.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        setError(errorText, QStringLiteral("Cannot create file \"%1\". %2").arg(mp3FileName, target.errorString()));
        return false;
    }
    if (!writeAll(target, tag.constData(), tag.size())) {
        setError(errorText, QStringLiteral("Cannot write file \"%1\". %2").arg(mp3FileName, target.errorString()));
        target.cancelWriting();
        return false;
    }
    if (!CopyToFile(source, oldTag, target, errorText)) {
        target.cancelWriting();
        return false;
    }
    source.close();
    return DeleteAndRename(target, errorText);
}

}
