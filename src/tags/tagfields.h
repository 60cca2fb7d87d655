// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "id3v1tag.h"
#include "tageditorfields.h"

#include "encoder/flacwriter.h"

#include <QObject>
#include <QString>

namespace trackmill {

class GenreList;

// What every encoded track is tagged with: the values of the tag editor's
// two groups and whether each tag is written at all. The tag editor shows
// this model and moves the user's edits into it; the run reads it when a
// track is tagged, and the writers change the per-track fields (titles,
// and with Split the artist fields) as a run goes on. The genre is held as
// a position of the sorted genre list, so all genre lists show the same.
class TagFields : public QObject
{
    Q_OBJECT
public:
    static constexpr const char* DefaultComment = "Ripped & encoded - Trackmill";
    static constexpr const char* DefaultEncodedBy = "Trackmill 2.0";
    // No address of ours to point to: the WXXX frame is written, empty.
    static constexpr const char* DefaultUrl = "";

    // The genre list outlives the model.
    explicit TagFields(const GenreList& genres, QObject* parent = nullptr);
    ~TagFields() override;

    const TagEditorFields& fields() const { return m_fields; }
    const GenreList& genres() const { return m_genres; }
    // The values as the window shows them after an edit; equal values change nothing.
    void setFields(const TagEditorFields& fields);

    bool useId3v1() const { return m_useId3v1; }
    bool useId3v2() const { return m_useId3v2; }
    void setUseId3v1(bool on);
    void setUseId3v2(bool on);

    // Positions in the sorted genre list of the two genre fields (-1: none).
    int genrePosition() const;
    int genre2Position() const;
    // Both genre fields; a position outside the list changes nothing.
    void setGenrePosition(int position);

    // The disc's artist and album reach both groups (the album artist of
    // the main window, a lookup, the settings window).
    void setArtist(const QString& text);
    void setAlbum(const QString& text);
    // The user typed into the version 1.1 Artist or Album field: the
    // version 2.3 field follows, and artistEdited / albumEdited tell the
    // disc's names.
    void editArtist(const QString& text);
    void editAlbum(const QString& text);

    // Resets the per-disc fields from the disc's artist and album: titles
    // cleared, artist, composer, original artist, album, comments, encoder,
    // copyright and URL to their start values. Year, genre and the two
    // switches are left alone.
    void initialize(const QString& artist, const QString& album);
    // Year into both groups.
    void setYears(const QString& year);
    void setYear2(const QString& year);
    // The settings window's names: artist into the artist, original artist
    // and composer fields, the copyright line, album and genre position.
    void applySettingsNames(const QString& artist, const QString& album, int genrePosition);

    // Splits a track name at the separator: index 0 puts the artist piece
    // into the artist fields, index 1 the title piece into the titles. The
    // piece is the result; any other index changes nothing and answers false.
    bool split(const QString& trackName, const QString& separator, int part, QString& result);

    // Writes the version 1.1 / 2.3 tag of one encoded track from these
    // values (whether or not the switch is on: the caller asks). An empty
    // text on success, else the error to show.
    QString writeId3v1(const TrackToTag& track, const TagSources& sources);
    QString writeId3v23(const TrackToTag& track, const TagSources& sources);

    // The Vorbis comments of one FLAC track: the names its version 2.3
    // tag would carry (with Split the track's own artist, composer and
    // copyright), the disc's artist as ALBUMARTIST where the track's
    // differs. Changes no field.
    FlacComments vorbisComments(const TrackToTag& track, const TagSources& sources) const;

Q_SIGNALS:
    // Any value changed (the window shows them again).
    void changed();
    void artistEdited(const QString& text);
    void albumEdited(const QString& text);

private:
    void replace(const TagEditorFields& fields);
    // Changes a copy of the values and puts it in their place (one
    // changed() for the whole change, none when nothing changed).
    template <typename Edit>
    void update(Edit&& edit)
    {
        TagEditorFields f = m_fields;
        edit(f);
        replace(f);
    }

    const GenreList& m_genres;
    TagEditorFields m_fields;
    bool m_useId3v1 = true;
    bool m_useId3v2 = true;
    // The version 1.1 tag object the writer reuses for every track.
    TID3v1Tag m_id3v1;
};

}
