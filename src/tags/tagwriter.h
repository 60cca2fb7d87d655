// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "tageditorfields.h"

#include <QString>

namespace trackmill {

class TID3v1Tag;

// Writes the tags of one encoded track from the tag editor's fields: the
// logic behind TForm4's SaveTagid3v11, SaveTagID3v23 and Split. The window
// hands in its field values and shows the returned error text.
class TagWriter
{
public:
    // The version 1.1 tag object is reused for every track (the tag editor's
    // audio file information object owns it).
    explicit TagWriter(TID3v1Tag& id3v1);

    // Fills the version 1.1 tag and writes it at the end of the file.
    // With Split the artist is the track name's part before the separator
    // (and the artist fields are set from it, as Split does). Returns an
    // empty text on success, else the error to show.
    QString SaveTagid3v11(const TrackToTag& track, const TagSources& sources, TagEditorFields& fields);

    // Builds the version 2.3 tag from the fields and puts it in front of the
    // MP3 data, replacing a version 2 tag already there. With Split the
    // artist fields and Copyright2 are set from this track's name first.
    // Title2 is empty afterwards. Returns an empty text on success, else the
    // error to show; the file is then unchanged.
    QString SaveTagID3v23(const TrackToTag& track, const TagSources& sources, TagEditorFields& fields);

    // Splits a track name at the first occurrence of the separator. With
    // part 0 the artist part (all of the name when the separator is absent
    // or empty) goes into Artist, Artist2, Composer2 and OriginalArtist2;
    // with part 1 the title part (all of the name likewise) goes into Title
    // and Title2. Nothing is trimmed. Returns false, changing nothing, for
    // any other part.
    static bool Split(const QString& trackName, const QString& separator, int part,
                      TagEditorFields& fields, QString& result);
    // The same without touching any field.
    static QString splitPart(const QString& trackName, const QString& separator, int part);

    static QString copyrightFor(const QString& artist);
    // "n/N" for disc n of a set of N > 1 discs, else empty (no TPOS frame).
    static QString partOfSet(int number, int count);

private:
    TID3v1Tag& m_id3v1;
};

}
