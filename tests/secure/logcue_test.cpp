// SPDX-License-Identifier: GPL-2.0-or-later
// The rip log's blocks and summary, and the cue sheet read back by libcue.
#include "secure/cuesheetwriter.h"
#include "secure/riplog.h"

#include <gtest/gtest.h>

#include "cuetext.h"

using namespace trackmill;

namespace {

// libcue keeps the backslash of an escaped quote: what a reader that knows
// the escapes makes of a value.
QString unescaped(const char* value)
{
    QString out;
    const QString in = QString::fromUtf8(value ? value : "");
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == QLatin1Char('\\') && i + 1 < in.size())
            ++i;
        out += in[i];
    }
    return out;
}

TEST(CueSheet, NamesWithQuotesAndNonAsciiTextSurviveAParser)
{
    CueSheetWriter cue;
    cue.performer = QString::fromUtf8("Sigur R\xc3\xb3s \"Live\"");
    cue.title = QString::fromUtf8("\xe6\x97\xa5\xe6\x9c\xac \\ back");
    cue.date = "2001";
    cue.genre = "Post Rock";
    cue.discId = "1B00AF04";
    cue.tracks = {{1, QString::fromUtf8("01 - \"Sv\xc3\xa1\".wav"), "Sv\xc3\xa1 \"one\"", "", 33},
                  {2, "02 - Two.wav", "Two\nlines", "Guest", 0}};
    const QByteArray text = cue.text().toUtf8();
    EXPECT_TRUE(text.contains("REM DISCID 1B00AF04\n"));
    EXPECT_TRUE(text.contains("REM GENRE \"Post Rock\"\n"));

    Cd* cd = cue_parse_string(text.constData());
    ASSERT_NE(cd, nullptr) << text.constData();
    EXPECT_EQ(unescaped(test::cueText(PTI_PERFORMER, cd_get_cdtext(cd))), cue.performer);
    EXPECT_EQ(unescaped(test::cueText(PTI_TITLE, cd_get_cdtext(cd))), cue.title);
    ASSERT_EQ(cd_get_ntrack(cd), 2);
    Track* one = cd_get_track(cd, 1);
    EXPECT_EQ(unescaped(track_get_filename(one)), cue.tracks[0].file);
    EXPECT_EQ(unescaped(test::cueText(PTI_TITLE, track_get_cdtext(one))), QString::fromUtf8("Sv\xc3\xa1 \"one\""));
    EXPECT_EQ(track_get_zero_pre(one), 33) << "the first track's gap";
    Track* two = cd_get_track(cd, 2);
    EXPECT_EQ(unescaped(test::cueText(PTI_TITLE, track_get_cdtext(two))), "Two lines") << "no line break in a value";
    EXPECT_EQ(unescaped(test::cueText(PTI_PERFORMER, track_get_cdtext(two))), "Guest");
    EXPECT_LE(track_get_zero_pre(two), 0) << "no gap";
    cd_delete(cd);
}

SecureTrack track(int n, AccurateRipVerdict::Kind kind, bool complete = true, bool error = false)
{
    SecureTrack t;
    t.track = n;
    t.file = QString("%1.wav").arg(n);
    t.complete = complete;
    t.readError = error;
    t.errorSector = error ? 1234 : -1;
    t.verdict.kind = kind;
    t.verdict.confidence = 12;
    t.verdict.total = 14;
    t.verdict.v2 = true;
    t.verdict.disagreeing = 5;
    t.crc32 = 0x1A2B3C4D;
    t.peak = 16384;
    return t;
}

TEST(RipLog, TrackBlocksAndSummary)
{
    using K = AccurateRipVerdict::Kind;
    RipLog log;
    log.program = "Trackmill 2.0.0";
    log.offset = 6;
    log.toc = {{1, 0, 16912, false}, {2, 16912, 300, false}};
    log.tracks = {track(1, K::Accurate)};
    EXPECT_EQ(log.summary(), "All tracks accurately ripped");
    const QString text = log.text();
    EXPECT_TRUE(text.contains("Read offset         : +6 samples\n"));
    EXPECT_TRUE(text.contains("         1 | 00:00.00 | 03:45.37 |            0 |      16911\n")) << qPrintable(text);
    EXPECT_TRUE(text.contains("    Copy CRC32      : 1A2B3C4D\n"));
    EXPECT_TRUE(text.contains("    Peak level      : 50.0 %\n"));
    EXPECT_TRUE(text.contains("    Result          : Accurately ripped (confidence 12 of 14, v2)\n"));

    log.tracks = {track(1, K::Accurate), track(2, K::NotAccurate), track(3, K::NotInDatabase),
                  track(4, K::NotInDatabase, false, true)};
    EXPECT_EQ(log.summary(), "Not ripped completely: track 4\nNot accurately ripped: track 2\n"
                             "Not verified (not in the AccurateRip database): track 3");
    EXPECT_EQ(RipLog::result(log.tracks[1]), "Not accurate (5 submissions disagree)");
    EXPECT_EQ(RipLog::result(log.tracks[2]), "Not in database");
    EXPECT_EQ(RipLog::result(log.tracks[3]), "Read error at sector 1234");
    EXPECT_TRUE(log.text().contains("    Read error at   : sector 1234\n"));
}

}
