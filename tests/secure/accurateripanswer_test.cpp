// SPDX-License-Identifier: GPL-2.0-or-later
// The database's answer read as hostile input, and the verdict per track.
#include "secure/accurateripanswer.h"

#include <gtest/gtest.h>

#include <string>

using namespace trackmill;

namespace {

void put32(std::string& s, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        s += char((v >> (8 * i)) & 0xFF);
}

// One chunk: header, then (confidence, crc, crc450) per track.
std::string chunk(int count, quint32 id1, quint32 id2, quint32 cddb, const std::vector<std::pair<int, quint32>>& tracks)
{
    std::string s(1, char(count));
    put32(s, id1);
    put32(s, id2);
    put32(s, cddb);
    for (const auto& [confidence, crc] : tracks) {
        s += char(confidence);
        put32(s, crc);
        put32(s, 0);
    }
    return s;
}

TEST(AccurateRipAnswer, RealAnswerOfTwoPressings)
{
    // A published one-track answer: two chunks.
    const unsigned char bytes[] = {0x01, 0xfd, 0x41, 0x04, 0x00, 0xfb, 0x83, 0x08, 0x00, 0x01, 0x88, 0x0e,
                                   0x02, 0x07, 0x1e, 0x54, 0x16, 0x27, 0x6b, 0xca, 0xd5, 0x07, 0x01, 0xfd,
                                   0x41, 0x04, 0x00, 0xfb, 0x83, 0x08, 0x00, 0x01, 0x88, 0x0e, 0x02, 0x06,
                                   0x86, 0x54, 0x34, 0x80, 0x00, 0x00, 0x00, 0x00};
    const AccurateRipAnswer a = AccurateRipAnswer::parse(
        std::string_view(reinterpret_cast<const char*>(bytes), sizeof bytes), 1, 0x000441fd, 0x000883fb, 0x020e8801);
    ASSERT_TRUE(a.usable);
    ASSERT_EQ(a.chunks.size(), 2u);
    EXPECT_EQ(a.chunks[0].tracks[0].crc, 0x2716541eu);
    EXPECT_EQ(a.chunks[0].tracks[0].crc450, 0x07d5ca6bu);
    EXPECT_EQ(a.chunks[1].tracks[0].confidence, 6);

    const AccurateRipVerdict match = AccurateRipVerdict::of(a, 0, 0x11111111, 0x80345486);
    EXPECT_EQ(match.kind, AccurateRipVerdict::Kind::Accurate);
    EXPECT_EQ(match.confidence, 6);
    EXPECT_EQ(match.total, 7);
    EXPECT_TRUE(match.v2);
    const AccurateRipVerdict wrong = AccurateRipVerdict::of(a, 0, 1, 2);
    EXPECT_EQ(wrong.kind, AccurateRipVerdict::Kind::NotAccurate);
    EXPECT_EQ(wrong.disagreeing, 13);
    EXPECT_EQ(AccurateRipVerdict::of(a, 1, 1, 2).kind, AccurateRipVerdict::Kind::NotInDatabase)
        << "no entry for that track";
}

TEST(AccurateRipAnswer, HostileAnswersNeverOverreadAndLeaveNothingUsable)
{
    const std::string good = chunk(2, 1, 2, 3, {{5, 0xAAAA}, {4, 0xBBBB}});
    struct Case {
        const char* what;
        std::string body;
        bool usable;
    };
    const Case cases[] = {
        {"empty", "", false},
        {"shorter than a header", good.substr(0, 12), false},
        {"cut inside a track entry", good.substr(0, good.size() - 3), false},
        {"a second chunk cut short", good + good.substr(0, 20), false},
        {"huge track count, few bytes", std::string(1, char(0xFF)) + good.substr(1), false},
        {"wrong track count", chunk(3, 1, 2, 3, {{5, 1}, {5, 2}, {5, 3}}), false},
        {"another disc's ids", chunk(2, 9, 2, 3, {{5, 1}, {5, 2}}), false},
        {"a web page", "<html><body>404</body></html>", false},
        {"one good, one foreign", good + chunk(2, 1, 2, 4, {{1, 1}, {1, 1}}), true},
    };
    for (const Case& c : cases) {
        const AccurateRipAnswer a = AccurateRipAnswer::parse(c.body, 2, 1, 2, 3);
        EXPECT_EQ(a.usable, c.usable) << c.what;
        if (!c.usable)
            EXPECT_EQ(AccurateRipVerdict::of(a, 0, 0xAAAA, 0).kind, AccurateRipVerdict::Kind::NotInDatabase) << c.what;
    }
    // Zero entries (a data track, a track too short) never match.
    const AccurateRipAnswer zeros = AccurateRipAnswer::parse(chunk(2, 1, 2, 3, {{0, 0}, {3, 0}}), 2, 1, 2, 3);
    EXPECT_EQ(AccurateRipVerdict::of(zeros, 0, 0, 0).kind, AccurateRipVerdict::Kind::NotInDatabase);
    EXPECT_EQ(AccurateRipVerdict::of(zeros, 1, 0, 0).kind, AccurateRipVerdict::Kind::NotInDatabase);
}

}
