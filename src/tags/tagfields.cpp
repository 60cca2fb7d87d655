// SPDX-License-Identifier: GPL-2.0-or-later
#include "tagfields.h"

#include "genrelist.h"
#include "tagwriter.h"
#include "vorbiscomments.h"

namespace trackmill {

TagFields::TagFields(const GenreList& genres, QObject* parent)
    : QObject(parent)
    , m_genres(genres)
{
    m_fields.genre = m_genres.sorted().value(GenreList::PopPosition).number;
    m_fields.genre2 = m_genres.sorted().value(GenreList::PopPosition).name;
}

TagFields::~TagFields() = default;

void TagFields::replace(const TagEditorFields& fields)
{
    if (fields == m_fields)
        return;
    m_fields = fields;
    Q_EMIT changed();
}

void TagFields::setFields(const TagEditorFields& fields)
{
    replace(fields);
}

void TagFields::setUseId3v1(bool on)
{
    if (m_useId3v1 == on)
        return;
    m_useId3v1 = on;
    Q_EMIT changed();
}

void TagFields::setUseId3v2(bool on)
{
    if (m_useId3v2 == on)
        return;
    m_useId3v2 = on;
    Q_EMIT changed();
}

int TagFields::genrePosition() const
{
    return m_genres.sortedPosition(m_fields.genre);
}

int TagFields::genre2Position() const
{
    const QList<GenreEntry>& sorted = m_genres.sorted();
    for (int i = 0; i < sorted.size(); ++i)
        if (sorted[i].name == m_fields.genre2)
            return i;
    return -1;
}

void TagFields::setGenrePosition(int position)
{
    const QList<GenreEntry>& sorted = m_genres.sorted();
    if (position < 0 || position >= sorted.size())
        return;
    update([&](TagEditorFields& f) {
        f.genre = sorted[position].number;
        f.genre2 = sorted[position].name;
    });
}

void TagFields::setArtist(const QString& text)
{
    update([&](TagEditorFields& f) {
        f.artist = f.artist2 = text;
    });
}

void TagFields::setAlbum(const QString& text)
{
    update([&](TagEditorFields& f) {
        f.album = f.album2 = text;
    });
}

void TagFields::editArtist(const QString& text)
{
    setArtist(text);
    Q_EMIT artistEdited(text);
}

void TagFields::editAlbum(const QString& text)
{
    setAlbum(text);
    Q_EMIT albumEdited(text);
}

void TagFields::initialize(const QString& artist, const QString& album)
{
    update([&](TagEditorFields& f) {
        f.title.clear();
        f.title2.clear();
        f.artist = f.artist2 = f.composer2 = f.originalArtist2 = artist;
        f.album = f.album2 = album;
        f.comment = f.comment2 = QString::fromLatin1(DefaultComment);
        f.encodedBy2 = QString::fromLatin1(DefaultEncodedBy);
        f.copyright2 = TagWriter::copyrightFor(artist);
        f.url2 = QString::fromLatin1(DefaultUrl);
    });
}

void TagFields::setYears(const QString& year)
{
    update([&](TagEditorFields& f) {
        f.year = f.year2 = year;
    });
}

void TagFields::setYear2(const QString& year)
{
    update([&](TagEditorFields& f) {
        f.year2 = year;
    });
}

void TagFields::applySettingsNames(const QString& artist, const QString& album, int genrePosition)
{
    update([&](TagEditorFields& f) {
        f.artist = f.artist2 = f.originalArtist2 = f.composer2 = artist;
        f.copyright2 = TagWriter::copyrightFor(artist);
        f.album = f.album2 = album;
    });
    setGenrePosition(genrePosition);
}

bool TagFields::split(const QString& trackName, const QString& separator, int part, QString& result)
{
    TagEditorFields f = m_fields;
    if (!TagWriter::Split(trackName, separator, part, f, result))
        return false;
    replace(f);
    return true;
}

QString TagFields::writeId3v1(const TrackToTag& track, const TagSources& sources)
{
    TagEditorFields f = m_fields;
    const QString error = TagWriter(m_id3v1).SaveTagid3v11(track, sources, f);
    replace(f);
    return error;
}

QString TagFields::writeId3v23(const TrackToTag& track, const TagSources& sources)
{
    TagEditorFields f = m_fields;
    const QString error = TagWriter(m_id3v1).SaveTagID3v23(track, sources, f);
    replace(f);
    return error;
}

FlacComments TagFields::vorbisComments(const TrackToTag& track, const TagSources& sources) const
{
    const TagEditorFields& f = m_fields;
    VorbisTrack t;
    const QString splitArtist = TagWriter::splitPart(track.trackName, sources.separator, 0);
    t.artist = sources.split ? splitArtist : f.artist2;
    t.albumArtist = sources.artist;
    t.album = f.album2;
    t.title = track.title;
    t.number = track.trackNumber;
    t.total = track.total;
    t.disc = sources.discNumber;
    t.discTotal = sources.discCount;
    t.date = f.year2;
    t.genre = f.genre2;
    // The memo's lines end in CR LF; a comment's in LF.
    t.comment = QString(f.comment2).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.composer = sources.split ? splitArtist : f.composer2;
    t.copyright = sources.split ? TagWriter::copyrightFor(splitArtist) : f.copyright2;
    t.encoder = f.encodedBy2;
    return trackmill::vorbisComments(t);
}

}
