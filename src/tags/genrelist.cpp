// SPDX-License-Identifier: GPL-2.0-or-later
#include "genrelist.h"

#include <algorithm>
#include <array>

namespace trackmill {

namespace {

// Index = ID3 genre number; names exactly as tags and drop-downs carry them.
constexpr std::array<const char*, GenreList::Count> kNames = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge",
    "Hip-Hop", "Jazz", "Metal", "New Age", "Oldies", "Other", "Pop", "R&B", "Rap",
    "Reggae", "Rock", "Techno", "Industrial", "Alternative", "Ska", "Death Metal",
    "Pranks", "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop", "Vocal",
    "Jazz+Funk", "Fusion", "Trance", "Classical", "Instrumental", "Acid", "House",
    "Game", "Sound Clip", "Gospel", "Noise", "AlternRock", "Bass", "Soul", "Punk",
    "Space", "Meditative", "Instrumental Pop", "Instrumental Rock", "Ethnic",
    "Gothic", "Darkwave", "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance",
    "Dream", "Southern Rock", "Comedy", "Cult", "Gangsta", "Top 40", "Christian Rap",
    "Pop/Funk", "Jungle", "Native American", "Cabaret", "New Wave", "Psychedelic",
    "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal", "Acid Punk", "Acid Jazz",
    "Polka", "Retro", "Musical", "Rock & Roll", "Hard Rock", "Folk", "Folk/Rock",
    "National Folk", "Swing", "Fast Fusion", "Bebob", "Latin", "Revival", "Celtic",
    "Bluegrass", "Avantgarde", "Gothic Rock", "Progressive Rock", "Psychedelic Rock",
    "Symphonic Rock", "Slow Rock", "Big Band", "Chorus", "Easy Listening",
    "Acoustic", "Humour", "Speech", "Chanson", "Opera", "Chamber Music", "Sonata",
    "Symphony", "Booty Bass", "Primus", "Porn Groove", "Satire", "Slow Jam", "Club",
    "Tango", "Samba", "Folklore", "Ballad", "Power Ballad", "Rhythmic Soul",
    "Freestyle", "Duet", "Punk Rock", "Drum Solo", "Acapella", "Euro-House",
    "Dance Hall", "Goa", "Drum & Bass", "Club-House", "Hardcore", "Terror", "Indie",
    "BritPop", "Negerpunk", "Polsk Punk", "Beat", "Christian Gangs", "Heavy Metal",
    "Black Metal", "Crossover", "Contemporary Ch?", "Cristian Rock", "Merengue",
    "Salsa", "Thrash Metal", "Anime", "JPop", "Synthpop",
};

}

namespace {

// Letters and digits in lower case, "&" spelt out.
QString folded(const QString& name)
{
    QString out;
    for (const QChar c : name) {
        if (c == QLatin1Char('&'))
            out += QStringLiteral("and");
        else if (c.isLetterOrNumber())
            out += c.toLower();
    }
    return out;
}

// Other names of entries, folded, and the entry's number.
constexpr std::pair<const char*, int> kOtherNames[] = {
    {"alternativerock", 40}, {"rhythmandblues", 14}, {"rnb", 14}, {"hiphoprap", 7}, {"soundtracks", 24},
    {"filmscore", 24}, {"classicalmusic", 32}, {"electronica", 52}, {"rockandrollmusic", 78}, {"indierock", 131},
};

bool withinOneEdit(const QString& a, const QString& b)
{
    if (qAbs(a.size() - b.size()) > 1)
        return false;
    qsizetype i = 0, j = 0;
    int edits = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i] == b[j]) {
            ++i;
            ++j;
            continue;
        }
        if (++edits > 1)
            return false;
        if (a.size() > b.size())
            ++i;
        else if (b.size() > a.size())
            ++j;
        else {
            ++i;
            ++j;
        }
    }
    return edits + (a.size() - i) + (b.size() - j) <= 1;
}

}

int GenreList::nearestPosition(const QString& name) const
{
    const QString wanted = folded(name);
    if (wanted.isEmpty())
        return -1;
    for (int i = 0; i < m_sorted.size(); ++i)
        if (folded(m_sorted[i].name) == wanted)
            return i;
    for (const auto& [other, number] : kOtherNames)
        if (wanted == QLatin1String(other))
            return sortedPosition(number);
    if (wanted.size() >= 5)
        for (int i = 0; i < m_sorted.size(); ++i)
            if (withinOneEdit(folded(m_sorted[i].name), wanted))
                return i;
    return -1;
}

GenreList::GenreList()
{
    m_entries.reserve(Count);
    for (int n = 0; n < Count; ++n)
        m_entries.append(GenreEntry{QString::fromLatin1(kNames[size_t(n)]), n});
    m_sorted = m_entries;
    std::stable_sort(m_sorted.begin(), m_sorted.end(), [](const GenreEntry& a, const GenreEntry& b) {
        return QString::compare(a.name, b.name, Qt::CaseInsensitive) < 0;
    });
}

QString GenreList::name(int number) const
{
    if (number < 0 || number >= Count)
        return {};
    return m_entries[number].name;
}

int GenreList::sortedPosition(int number) const
{
    for (int i = 0; i < m_sorted.size(); ++i) {
        if (m_sorted[i].number == number)
            return i;
    }
    return -1;
}

}
