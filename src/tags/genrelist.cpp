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
