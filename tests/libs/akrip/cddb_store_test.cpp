// SPDX-License-Identifier: GPL-2.0-or-later
// The library's CD Player database writer never writes outside its section.
#include "cddbcdplayerini.h"

#include <gtest/gtest.h>

namespace akrip::cddb {
namespace {

using Keys = std::vector<std::pair<std::string, std::string>>;

TEST(CddbCdPlayerIni, SetKeysTable)
{
    struct Case { const char* name; std::string before; Keys keys; std::string after; };
    const std::vector<Case> cases = {
        {"new file", "", {{"artist", "A"}, {"0", "x"}}, "[C0C67]\r\nartist=A\r\n0=x\r\n"},
        {"appended after other sections", "[1234]\r\nartist=B\r\n", {{"artist", "A"}},
         "[1234]\r\nartist=B\r\n\r\n[C0C67]\r\nartist=A\r\n"},
        {"line feeds kept", "[c0c67]\nARTIST=old\ntitle=t\n", {{"artist", "new"}, {"year", "1999"}},
         "[c0c67]\nARTIST=new\ntitle=t\nyear=1999\n"},
        {"similar names are other sections", "[C0C670]\nartist=x\n[ C0C67 ]\nartist=y\n", {{"artist", "z"}},
         "[C0C670]\nartist=x\n[ C0C67 ]\nartist=z\n"},
        {"only the first of two sections", "[C0C67]\nartist=1\n[C0C67]\nartist=2\n", {{"artist", "3"}},
         "[C0C67]\nartist=3\n[C0C67]\nartist=2\n"},
        {"new keys before the blank lines that end the section", "[C0C67]\r\nartist=a\r\n\r\n; next\r\n[X]\r\ngenre=1\r\n",
         {{"genre", "5"}}, "[C0C67]\r\nartist=a\r\ngenre=5\r\n\r\n; next\r\n[X]\r\ngenre=1\r\n"},
        {"comments are no keys", "[C0C67]\n;artist=commented\nartist = spaced \n", {{"artist", "A"}},
         "[C0C67]\n;artist=commented\nartist=A\n"},
        {"a broken header is no section", "[C0C67\nartist=x\n", {{"artist", "A"}},
         "[C0C67\nartist=x\n\n[C0C67]\nartist=A\n"},
        {"NUL bytes and garbage kept", std::string("\0garbage\n[C0C67]\nx\n", 19), {{"artist", "A"}},
         std::string("\0garbage\n[C0C67]\nx\nartist=A\n", 28)},
        {"final line without break", "[C0C67]\nartist=old", {{"artist", "new"}, {"0", "x"}}, "[C0C67]\nartist=new\n0=x\n"},
        {"mixed line breaks kept", "[A]\r\nk=v\n[C0C67]\r\nartist=old\n", {{"artist", "new"}, {"0", "x"}},
         "[A]\r\nk=v\n[C0C67]\r\nartist=new\n0=x\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(setIniKeys(c.before, "C0C67", c.keys), c.after);
    }
}

}
}
