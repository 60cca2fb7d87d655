// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QList>
#include <QString>

namespace trackmill {

// One entry of a genre drop-down: the name shown and the ID3 genre number
// that goes into a tag (never the entry's position in the drop-down).
struct GenreEntry
{
    QString name;
    int number = 0;
};

// The 148 genres: 0 to 79 from the ID3 version 1 standard, 80 to 147 the
// common extension. Built once by whoever needs it and handed on; it never
// changes afterwards.
class GenreList
{
public:
    static constexpr int Count = 148;
    // Where "Pop" lies in the sorted list, the default selection of the
    // genre drop-downs.
    static constexpr int PopPosition = 98;

    GenreList();

    // In genre-number order: entry n has number n.
    const QList<GenreEntry>& entries() const { return m_entries; }
    // The name of a genre number, empty when out of range.
    QString name(int number) const;

    // Sorted alphabetically without regard to case, as the drop-downs show it.
    const QList<GenreEntry>& sorted() const { return m_sorted; }
    // Position of a genre number in sorted(), -1 when out of range.
    int sortedPosition(int number) const;
    // The position in sorted() of the entry nearest to a genre named
    // elsewhere (a CDDB entry's DGENRE): the same name when letter case,
    // blanks and punctuation are set aside ("hip hop" is "Hip-Hop", "&" is
    // "and"), a few common other names ("Alternative Rock"), else one that
    // differs in one letter from a name of five or more. -1 for none.
    int nearestPosition(const QString& name) const;

private:
    QList<GenreEntry> m_entries;
    QList<GenreEntry> m_sorted;
};

}
