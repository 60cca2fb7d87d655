// SPDX-License-Identifier: GPL-2.0-or-later
// libFuzzer target: any bytes as a CDDB server's answer to a query and to
// a read. Checks what the program relies on: records zero-terminated and
// valid UTF-8, the entry text within its buffer, in whole lines.
#include "cddbcdplayerini.h"
#include "cddbparser.h"
#include "cddbtext.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

using namespace akrip::cddb;

namespace {

// Names the broken property before libFuzzer keeps the input.
#define check(condition)                                                         \
    do {                                                                         \
        if (!(condition)) {                                                      \
            std::fprintf(stderr, "broken: %s (line %d)\n", #condition, __LINE__); \
            std::abort();                                                        \
        }                                                                        \
    } while (0)

void checkField(const char* field, std::size_t size)
{
    const std::size_t length = strnlen(field, size);
    check(length < size);
    check(isValidUtf8(std::string_view(field, length)));
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view answer(reinterpret_cast<const char*>(data), size);

    const QueryAnswer query = parseQueryAnswer(answer, 5);
    check(query.matches.size() <= 5);
    CDDBQUERYITEM items[5];
    for (std::size_t i = 0; i < query.matches.size(); ++i) {
        std::memset(&items[i], 0x7F, sizeof items[i]);
        query.matches[i].toRecord(items[i]);
        checkField(items[i].categ, sizeof items[i].categ);
        checkField(items[i].cddbId, sizeof items[i].cddbId);
        checkField(items[i].artist, sizeof items[i].artist);
        checkField(items[i].title, sizeof items[i].title);
    }

    const ReadAnswer read = parseReadAnswer(answer);
    if (read.ok) {
        for (const std::size_t maxLen : {std::size_t(32000), std::size_t(100), std::size_t(1)}) {
            const std::string text = read.entry.text(maxLen);
            check(text.size() < maxLen);
            check(text.empty() || text.back() == '\n');
            check(text.find('\0') == std::string::npos);
            check(isValidUtf8(text));
        }
        check(read.entry.trackTitles().size() <= std::size_t(CddbEntry::kMaxTracks));

        // What option 8 writes: the entry's names into an INI file of the
        // same hostile bytes. Writing the same keys again changes nothing,
        // so nothing leaked into another line or section.
        const std::vector<std::pair<std::string, std::string>> keys = {{"artist", read.entry.artist()},
                                                                        {"title", read.entry.title()}};
        const std::string ini = setIniKeys(answer, "C0C67", keys);
        check(setIniKeys(ini, "C0C67", keys) == ini);
    }
    return 0;
}
