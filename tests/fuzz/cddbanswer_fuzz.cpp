// SPDX-License-Identifier: GPL-2.0-or-later
// Any bytes as a CDDB server's answer: records zero-terminated UTF-8, the
// entry text within its buffer in whole lines, option 8's write in place.
#include "cddbcdplayerini.h"
#include "cddbparser.h"
#include "cddbtext.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

using namespace akrip::cddb;

// Names the broken property before libFuzzer keeps the input.
#define check(c) ((c) ? void() : (std::fprintf(stderr, "broken: %s (line %d)\n", #c, __LINE__), std::abort()))

static void checkField(const char* field, std::size_t size)
{
    const std::size_t length = strnlen(field, size);
    check(length < size);
    check(isValidUtf8(std::string_view(field, length)));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view answer(reinterpret_cast<const char*>(data), size);
    const QueryAnswer query = parseQueryAnswer(answer, 5);
    check(query.matches.size() <= 5);
    for (const CddbMatch& match : query.matches) {
        CDDBQUERYITEM item;
        std::memset(&item, 0x7F, sizeof item);
        match.toRecord(item);
        checkField(item.categ, sizeof item.categ);
        checkField(item.cddbId, sizeof item.cddbId);
        checkField(item.artist, sizeof item.artist);
        checkField(item.title, sizeof item.title);
    }

    const ReadAnswer read = parseReadAnswer(answer);
    if (!read.ok)
        return 0;
    for (const std::size_t maxLen : {std::size_t(32000), std::size_t(100), std::size_t(1)}) {
        const std::string text = read.entry.text(maxLen);
        check(text.size() < maxLen);
        check(text.empty() || text.back() == '\n');
        check(text.find('\0') == std::string::npos);
        check(isValidUtf8(text));
    }
    check(read.entry.trackTitles().size() <= std::size_t(CddbEntry::kMaxTracks));
    // The entry's names into an INI file of the same hostile bytes: writing
    // them again changes nothing, so nothing leaked into another line.
    const std::vector<std::pair<std::string, std::string>> keys = {{"artist", read.entry.artist()},
                                                                    {"title", read.entry.title()}};
    const std::string ini = setIniKeys(answer, "C0C67", keys);
    check(setIniKeys(ini, "C0C67", keys) == ini);
    return 0;
}
