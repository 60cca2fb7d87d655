// SPDX-License-Identifier: GPL-2.0-or-later
#include "tags/genrelist.h"

#include <QSet>
#include <gtest/gtest.h>

namespace trackmill {
namespace {

TEST(GenreList, NumbersNamesAndSortedOrder)
{
    const GenreList genres;
    ASSERT_EQ(genres.entries().size(), 148);
    // Spot checks across both halves of the list: standard and extension.
    const std::pair<int, const char*> known[] = {
        {0, "Blues"}, {13, "Pop"}, {79, "Hard Rock"}, {80, "Folk"},
        {140, "Contemporary Ch?"}, {147, "Synthpop"}};
    for (const auto& [number, name] : known)
        EXPECT_EQ(genres.name(number), QString::fromLatin1(name)) << number;
    EXPECT_TRUE(genres.name(148).isEmpty());
    EXPECT_TRUE(genres.name(-1).isEmpty());

    // Sorted: a permutation of the same entries, in case-insensitive order.
    const auto& sorted = genres.sorted();
    ASSERT_EQ(sorted.size(), 148);
    QSet<int> numbers;
    for (int i = 0; i < sorted.size(); ++i) {
        EXPECT_EQ(genres.name(sorted[i].number), sorted[i].name);
        numbers.insert(sorted[i].number);
        if (i > 0) {
            EXPECT_LE(sorted[i - 1].name.compare(sorted[i].name, Qt::CaseInsensitive), 0) << i;
        }
    }
    EXPECT_EQ(numbers.size(), 148);
    EXPECT_EQ(sorted.front().name, QStringLiteral("Acapella"));
    EXPECT_EQ(sorted.back().name, QStringLiteral("Vocal"));
}

TEST(GenreList, PopIsTheDefaultPositionAndStoresThirteen)
{
    // The drop-downs select position 98 by default; a tag must then carry
    // the genre number of the entry, not the position.
    const GenreList genres;
    const GenreEntry& entry = genres.sorted().at(GenreList::PopPosition);
    EXPECT_EQ(entry.name, QStringLiteral("Pop"));
    EXPECT_EQ(entry.number, 13);
    EXPECT_EQ(genres.sortedPosition(13), GenreList::PopPosition);
    // Without regard to case: "Alternative" before "AlternRock", "Jazz"
    // before "JPop" (a byte-wise sort would put the capitals first).
    EXPECT_LT(genres.sortedPosition(20), genres.sortedPosition(40));
    EXPECT_LT(genres.sortedPosition(8), genres.sortedPosition(146));
    EXPECT_EQ(genres.sortedPosition(148), -1);
}

}
}
