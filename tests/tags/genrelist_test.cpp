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
    const std::pair<int, const char*> known[] = {{0, "Blues"}, {13, "Pop"}, {79, "Hard Rock"}, {80, "Folk"},
                                                 {140, "Contemporary Ch?"}, {147, "Synthpop"}, {148, ""}, {-1, ""}};
    for (const auto& [number, name] : known)
        EXPECT_EQ(genres.name(number), QString::fromLatin1(name)) << number;

    // A permutation of the same entries in case-insensitive order ("Jazz"
    // before "JPop", which a byte-wise sort gets wrong).
    const auto& sorted = genres.sorted();
    QSet<int> numbers;
    for (int i = 0; i < sorted.size(); ++i) {
        EXPECT_EQ(genres.name(sorted[i].number), sorted[i].name);
        EXPECT_EQ(genres.sortedPosition(sorted[i].number), i);
        numbers.insert(sorted[i].number);
        if (i > 0) {
            EXPECT_LE(sorted[i - 1].name.compare(sorted[i].name, Qt::CaseInsensitive), 0) << i;
        }
    }
    EXPECT_EQ(numbers.size(), 148);
    EXPECT_LT(genres.sortedPosition(8), genres.sortedPosition(146));
    EXPECT_EQ(genres.sortedPosition(148), -1);
    // The drop-downs' default position holds "Pop", whose tag number is 13.
    EXPECT_EQ(sorted.at(GenreList::PopPosition).name, QStringLiteral("Pop"));
    EXPECT_EQ(sorted.at(GenreList::PopPosition).number, 13);
}

}
}
