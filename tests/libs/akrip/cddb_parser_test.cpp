// SPDX-License-Identifier: GPL-2.0-or-later
// The CDDB answer parser against well-formed and hostile server answers,
// and the CD Player database writer, which never writes outside its section.
#include "cddbcdplayerini.h"
#include "cddbparser.h"
#include "cddbtext.h"

#include <cstring>
#include <gtest/gtest.h>

namespace akrip::cddb {
namespace {

std::string list(int code, const std::vector<std::string>& lines, bool terminated = true)
{
    std::string s = std::to_string(code) + " Found matches, list follows (until terminating `.')\r\n";
    for (const auto& l : lines)
        s += l + "\r\n";
    return terminated ? s + ".\r\n" : s;
}

TEST(CddbQueryAnswer, Table)
{
    struct Case {
        const char* name;
        std::string answer; // to a query with room for 5 matches
        int code;
        std::size_t matches;
        std::string firstArtist; // checked when matches > 0
        std::string firstTitle;
    };
    const std::string megabyte(1 << 20, 'x');
    const std::vector<Case> cases = {
        {"only the first spaced slash splits", "200 rock 7a0b0c0d AC/DC / Back / Black\r\n", 200, 1, "AC/DC", "Back / Black"},
        {"no separator", "200 misc 0a0b0c0d Just One Text\n", 200, 1, "Just One Text", "Just One Text"},
        {"list longer than capacity", list(211, {"a 1 x", "b 2 x", "c 3 x", "d 4 x", "e 5 x", "f 6 x"}), 211, 5, "x", "x"},
        {"list without terminator", list(211, {"rock 01 A / B", "jazz 02 C / D"}, false), 211, 0, "", ""},
        {"no match", "202 No match found.\r\n", 202, 0, "", ""},
        {"negative code", "-200 rock 7a0b0c0d A / B\r\n", 0, 0, "", ""},
        {"html page", "<html><body>Not Found</body></html>", 0, 0, "", ""},
        {"NUL in category", std::string("200 ro\0ck 7a0b0c0d A / B\r\n", 26), 200, 0, "", ""},
        {"disc id too long", "200 rock 7a0b0c0d1 A / B\r\n", 200, 0, "", ""},
        {"bad lines skipped", list(210, {"", "rock", "rock zz A / B", "bad/categ 01 X / Y", "jazz 0A C / D"}), 210, 1, "C", "D"},
        {"megabyte title", "200 rock 01 " + megabyte + "\r\n", 200, 1, megabyte, megabyte},
        {"windows-1252", "200 rock 01 Bj\xF6rk / Hom\xE9genic \x80\r\n", 200, 1, "Bj\xC3\xB6rk", "Hom\xC3\xA9genic \xE2\x82\xAC"},
        {"control bytes", std::string("200 rock 01 A\tB\0C / D\x1b\r\n", 24), 200, 1, "A BC", "D "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QueryAnswer answer = parseQueryAnswer(c.answer, 5);
        EXPECT_EQ(answer.code, c.code);
        ASSERT_EQ(answer.matches.size(), c.matches);
        if (c.matches > 0) {
            EXPECT_EQ(answer.matches[0].artist, c.firstArtist);
            EXPECT_EQ(answer.matches[0].title, c.firstTitle);
        }
    }
}

TEST(CddbQueryAnswer, RecordFieldsStayInsideTheirBytesAndWholeCharacters)
{
    std::string umlauts; // 100 two-byte characters: an 80-byte field takes 40
    for (int i = 0; i < 100; ++i)
        umlauts += "\xC3\xBC";
    const QueryAnswer answer = parseQueryAnswer("200 classical 7A0B0C0D x" + umlauts + " / " + umlauts + "\r\n", 1);
    ASSERT_EQ(answer.matches.size(), 1u);
    CDDBQUERYITEM items[2];
    std::memset(items, 0x5A, sizeof items);
    answer.matches[0].toRecord(items[0]);
    EXPECT_STREQ(items[0].cddbId, "7a0b0c0d");
    EXPECT_EQ(std::strlen(items[0].artist), 79u); // "x" + 39 characters; a 40th would not fit
    EXPECT_EQ(std::strlen(items[0].title), 80u);
    EXPECT_EQ(static_cast<unsigned char>(items[1].categ[0]), 0x5A) << "the next record is untouched";
}

TEST(CddbReadAnswer, Table)
{
    struct Case {
        const char* name;
        std::vector<std::string> lines; // after the status line
        bool terminated;
        std::string text; // expected text when terminated
    };
    const std::vector<Case> cases = {
        {"comments dropped", {"# xmcd", "#\t150", "DISCID=7a0b0c0d", "DTITLE=Artist / Album", "EXTD="},
         true, "DISCID=7a0b0c0d\nDTITLE=Artist / Album\nEXTD=\n"},
        {"continuation lines join, also within a character",
         {"DTITLE=A / B", "TTITLE0=Bj\xC3", "DTITLE=C", "TTITLE0=\xB6rk"}, true, "DTITLE=A / BC\nTTITLE0=Bj\xC3\xB6rk\n"},
        {"track titles in track order, gaps empty",
         {"TTITLE2=Three", "DYEAR=2001", "TTITLE0=One"}, true, "TTITLE0=One\nTTITLE1=\nTTITLE2=Three\nDYEAR=2001\n"},
        {"hostile track numbers dropped",
         {"TTITLE-1=neg", "TTITLE99=too far", "TTITLE99999999999999999999=huge", "TTITLE007=zeros", "TTITLE=none", "TTITLE0=ok"},
         true, "TTITLE0=ok\n"},
        {"not key lines skipped", {"garbage without equals", "=no key", "KEY WITH SPACE=x", "K\x01=x", "lower=kept"},
         true, "lower=kept\n"},
        {"escapes", {"EXTD=line\\nbreak\\ttab\\\\slash\\q"}, true, "EXTD=line break tab\\slash\\q\n"},
        {"NUL and control bytes", {std::string("TTITLE0=A\0B\rC\x07", 14)}, true, "TTITLE0=AB C \n"},
        {"cut short", {"DTITLE=A / B", "TTITLE0=One"}, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string s = "210 rock 7a0b0c0d CD database entry follows (until terminating `.')\r\n";
        for (const auto& l : c.lines)
            s += l + "\r\n";
        const ReadAnswer answer = parseReadAnswer(c.terminated ? s + ".\r\n" : s);
        EXPECT_EQ(answer.ok, c.terminated);
        EXPECT_EQ(answer.ok ? answer.entry.text(32000) : "", c.text);
    }
    for (const char* answer : {"401 rock 7a0b0c0d No such CD entry in database.\r\n", "200 rock 7a0b0c0d A / B\r\n", "210"})
        EXPECT_FALSE(parseReadAnswer(answer).ok) << answer;
}

TEST(CddbReadAnswer, HugeAnswersStayBoundedAndTextKeepsWholeLines)
{
    std::string answer = "210 rock 01 entry\r\n";
    for (int i = 0; i < 10000; ++i)
        answer += "TTITLE" + std::to_string(i) + "=Track " + std::to_string(i) + "\r\n";
    answer += "EXTD=" + std::string(3 << 20, 'e') + "\r\n";
    for (int i = 0; i < 2000; ++i)
        answer += "KEY" + std::to_string(i) + "=v\r\n";
    const ReadAnswer read = parseReadAnswer(answer + ".\r\n");
    ASSERT_TRUE(read.ok);
    const std::vector<std::string> titles = read.entry.trackTitles();
    ASSERT_EQ(titles.size(), 99u);
    EXPECT_EQ(titles[98], "Track 98");
    EXPECT_EQ(read.entry.value("EXTD").size(), 4096u);
    EXPECT_LT(read.entry.fields().size(), 99u + 1u + 600u);
    // "TTITLE0=Track 0\n" is 16 bytes; with the terminator it needs 17.
    EXPECT_EQ(read.entry.text(16), "");
    EXPECT_EQ(read.entry.text(17), "TTITLE0=Track 0\n");
}

TEST(CddbText, Utf8ValidationAndWindows1252)
{
    for (const std::string bytes : {"\xF0\x9F\x8E\xB5", "\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE9t\xE9"})
        EXPECT_EQ(isValidUtf8(bytes), bytes[0] == '\xF0') << bytes;
    // Windows-1252's unassigned bytes become the replacement character.
    EXPECT_EQ(toCleanUtf8("\x81\x9F\xFF"), "\xEF\xBF\xBD\xC5\xB8\xC3\xBF");
}

using Keys = std::vector<std::pair<std::string, std::string>>;

TEST(CddbCdPlayerIni, SetKeysTable)
{
    struct Case { const char* name; std::string before; Keys keys; std::string after; };
    const std::vector<Case> cases = {
        {"new file", "", {{"artist", "A"}, {"0", "x"}}, "[C0C67]\r\nartist=A\r\n0=x\r\n"},
        {"appended after other sections", "[1234]\r\nartist=B\r\n", {{"artist", "A"}},
         "[1234]\r\nartist=B\r\n\r\n[C0C67]\r\nartist=A\r\n"},
        {"line feeds and letter case kept", "[c0c67]\nARTIST=old\ntitle=t\n", {{"artist", "new"}, {"year", "1999"}},
         "[c0c67]\nARTIST=new\ntitle=t\nyear=1999\n"},
        {"similar names are other sections", "[C0C670]\nartist=x\n[ C0C67 ]\nartist=y\n", {{"artist", "z"}},
         "[C0C670]\nartist=x\n[ C0C67 ]\nartist=z\n"},
        {"only the first of two sections", "[C0C67]\nartist=1\n[C0C67]\nartist=2\n", {{"artist", "3"}},
         "[C0C67]\nartist=3\n[C0C67]\nartist=2\n"},
        {"new keys before the blank lines that end the section", "[C0C67]\r\nartist=a\r\n\r\n; next\r\n[X]\r\ngenre=1\r\n",
         {{"genre", "5"}}, "[C0C67]\r\nartist=a\r\ngenre=5\r\n\r\n; next\r\n[X]\r\ngenre=1\r\n"},
        {"comments are no keys", "[C0C67]\n;artist=commented\nartist = spaced \n", {{"artist", "A"}},
         "[C0C67]\n;artist=commented\nartist=A\n"},
        {"final line without break", "[C0C67]\nartist=old", {{"artist", "new"}, {"0", "x"}}, "[C0C67]\nartist=new\n0=x\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(setIniKeys(c.before, "C0C67", c.keys), c.after);
    }
    // The numbered keys of the section from the given count on go; a header
    // without its bracket is the section (it once got a second one).
    EXPECT_EQ(setIniKeys("[C0C67\nnumtracks=3\n0=a\n1=b\n2=c\n[X]\n2=x\n", "C0C67", {{"numtracks", "1"}, {"0", "A"}}, 1),
              "[C0C67\nnumtracks=1\n0=A\n[X]\n2=x\n");
}

}
}
