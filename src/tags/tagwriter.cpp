// SPDX-License-Identifier: GPL-2.0-or-later
#include "tagwriter.h"

#include "id3v1tag.h"
#include "id3v23tagbuilder.h"
#include "id3v2filewriter.h"

namespace trackmill {

TagWriter::TagWriter(TID3v1Tag& id3v1)
    : m_id3v1(id3v1)
{
}

QString TagWriter::splitPart(const QString& trackName, const QString& separator, int part)
{
    const qsizetype p = separator.isEmpty() ? -1 : trackName.indexOf(separator);
    if (p < 0)
        return trackName;
    // Only the separator's first character is dropped: the rest of a longer
    // separator stays at the start of the title part.
    return part == 0 ? trackName.left(p) : trackName.mid(p + 1);
}

bool TagWriter::Split(const QString& trackName, const QString& separator, int part,
                      TagEditorFields& fields, QString& result)
{
    if (part == 0) {
        result = splitPart(trackName, separator, 0);
        fields.artist2 = result;
        fields.artist = result;
        fields.composer2 = result;
        fields.originalArtist2 = result;
        return true;
    }
    if (part == 1) {
        result = splitPart(trackName, separator, 1);
        fields.title2 = result;
        fields.title = result;
        return true;
    }
    return false;
}

QString TagWriter::partOfSet(int number, int count)
{
    if (count <= 1 || number < 1 || number > count)
        return {};
    return QStringLiteral("%1/%2").arg(number).arg(count);
}

QString TagWriter::copyrightFor(const QString& artist)
{
    return QStringLiteral("All rights reserved by ") + artist;
}

QString TagWriter::SaveTagid3v11(const TrackToTag& track, const TagSources& sources,
                                 TagEditorFields& fields)
{
    QString artist = sources.artist;
    if (sources.split)
        Split(track.trackName, sources.separator, 0, fields, artist);
    // The track number last: it decides between the 1.0 and 1.1 layouts.
    m_id3v1.setArtist(artist);
    m_id3v1.setTitle(track.title);
    m_id3v1.setGenre(fields.genre);
    m_id3v1.setYear(fields.year);
    m_id3v1.setComment(fields.comment);
    m_id3v1.setAlbum(sources.album);
    m_id3v1.setTrack(track.trackNumber);
    QString error;
    if (!m_id3v1.saveToFile(track.fileName, &error))
        return error;
    return {};
}

QString TagWriter::SaveTagID3v23(const TrackToTag& track, const TagSources& sources,
                                 TagEditorFields& fields)
{
    if (sources.split) {
        // This track's own artist, whether or not the version 1.1 tag was
        // written just before; a stale artist of an earlier track must not
        // end up in the copyright.
        QString artist;
        Split(track.trackName, sources.separator, 0, fields, artist);
        fields.copyright2 = copyrightFor(artist);
    }
    fields.title2 = track.title;

    Id3v23TagBuilder::Texts texts;
    texts.track = QStringLiteral("%1/%2").arg(track.trackNumber).arg(track.total);
    texts.title = track.title;
    texts.artist = fields.artist2;
    texts.album = fields.album2;
    texts.year = fields.year2;
    texts.genre = fields.genre2;
    texts.composer = fields.composer2;
    texts.originalArtist = fields.originalArtist2;
    texts.copyright = fields.copyright2;
    texts.encodedBy = fields.encodedBy2;
    texts.comment = fields.comment2;
    texts.url = fields.url2;
    texts.partOfSet = partOfSet(sources.discNumber, sources.discCount);
    texts.picture = sources.cover;
    texts.pictureMimeType = sources.coverMimeType;
    fields.title2.clear();

    Id3v23TagBuilder builder;
    QByteArray tag;
    QString error;
    if (!builder.build(texts, &tag, &error))
        return error;
    Id3v2FileWriter writer;
    if (!writer.write(track.fileName, tag, &error))
        return error;
    return {};
}

}
