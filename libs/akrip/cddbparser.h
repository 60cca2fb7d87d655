// SPDX-License-Identifier: LGPL-2.1-or-later
// Parser of CDDB server answers. Every answer is treated as hostile: any
// length, any bytes, cut anywhere. Nothing here touches the network.
#pragma once

#include "akrip32.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace akrip::cddb {

// One line of a query answer, already clean UTF-8.
struct CddbMatch
{
    std::string category; // [A-Za-z0-9_-], at most 11 characters
    std::string discId;   // 1 to 8 hex digits, lower case
    std::string artist;   // DTITLE before the first " / ", or all of it
    std::string title;    // DTITLE after the first " / ", or all of it

    // Fills a 192-byte match record (cut on character boundaries).
    void toRecord(CDDBQUERYITEM& item) const;
};

// The status line: three digits and a text. code is 0 when the answer does
// not start with one.
struct CddbStatus
{
    int code = 0;
    std::string_view text;
};
CddbStatus parseStatus(std::string_view answer);

struct QueryAnswer
{
    int code = 0;
    std::vector<CddbMatch> matches; // empty unless code is 200, 210 or 211
};
// Answer to "cddb query": 200 one match, 210 exact and 211 inexact lists
// ended by "."; a list without its "." was cut short and counts as no
// answer. At most maxMatches matches are kept.
QueryAnswer parseQueryAnswer(std::string_view answer, std::size_t maxMatches);

// A disc entry as handed to the program: KEY=value lines, values clean
// UTF-8 on one line each.
class CddbEntry
{
public:
    // Tracks of a CD: indices of TTITLEn and EXTTn beyond this are dropped.
    static constexpr int kMaxTracks = 99;

    // Lines "KEY=value", joined: a key seen again continues its value.
    // Comments and lines that are not KEY=value are skipped.
    static CddbEntry fromLines(const std::vector<std::string_view>& lines);

    // The fields in entry order; TTITLEn (and EXTTn) stand together in
    // track order, missing numbers below the highest as empty values.
    const std::vector<std::pair<std::string, std::string>>& fields() const { return m_fields; }
    // Value of a key, "" when missing.
    std::string value(std::string_view key) const;

    std::string artist() const; // from DTITLE, split on the first " / "
    std::string title() const;
    // TTITLE0 .. TTITLEn-1 in order (n = highest number + 1).
    std::vector<std::string> trackTitles() const;

    // The fields as "KEY=value\n" lines, whole lines only, fitting with the
    // terminating zero into maxLen bytes.
    std::string text(std::size_t maxLen) const;

private:
    std::vector<std::pair<std::string, std::string>> m_fields;
};

struct ReadAnswer
{
    int code = 0;
    bool ok = false; // 210 with the whole entry up to its "."
    CddbEntry entry;
};
// Answer to "cddb read".
ReadAnswer parseReadAnswer(std::string_view answer);

// What a category and a disc id may look like in a request.
bool isValidCategory(std::string_view category);
bool isValidDiscId(std::string_view discId);

// DTITLE split into artist and title: only " / " separates; without it
// both are the whole text.
std::pair<std::string, std::string> splitDiscTitle(std::string_view dtitle);

}
