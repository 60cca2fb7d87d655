// SPDX-License-Identifier: LGPL-2.1-or-later
#include "cddbparser.h"

#include "cddbtext.h"

#include <array>
#include <map>
#include <optional>

namespace akrip::cddb {

namespace {

// Bounds that keep a hostile answer from costing more than a few MiB: a
// real entry has keys of a few letters, lines of at most 256 characters
// and a few hundred lines.
constexpr std::size_t kMaxKeyLength = 32;
constexpr std::size_t kMaxKeys = 512;
constexpr std::size_t kMaxRawValue = 64 * 1024;   // bytes of one joined value
constexpr std::size_t kMaxValue = 4096;           // bytes of a value handed back

// The lines of `text`, without their "\n" or "\r\n".
std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (nl == std::string_view::npos)
            break;
        text.remove_prefix(nl + 1);
    }
    return lines;
}

// The lines after the status line up to the terminating ".", or nothing
// when the "." never came (the answer was cut).
std::optional<std::vector<std::string_view>> bodyLines(std::string_view answer)
{
    std::vector<std::string_view> lines = splitLines(answer);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (lines[i] == ".") {
            lines.resize(i);
            lines.erase(lines.begin());
            return lines;
        }
    }
    return std::nullopt;
}

bool isKeyChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool isCategoryChar(char c)
{
    return isKeyChar(c) || c == '-';
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::string toLower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return out;
}

// "categ discid dtitle"; nothing when the first two words are not plausible.
std::optional<CddbMatch> parseMatchLine(std::string_view line)
{
    const std::size_t sp1 = line.find(' ');
    if (sp1 == std::string_view::npos)
        return std::nullopt;
    const std::string_view categ = line.substr(0, sp1);
    std::string_view rest = line.substr(sp1 + 1);
    const std::size_t sp2 = rest.find(' ');
    const std::string_view discId = rest.substr(0, sp2);
    const std::string_view dtitle =
        sp2 == std::string_view::npos ? std::string_view() : rest.substr(sp2 + 1);

    if (!isValidCategory(categ) || !isValidDiscId(discId))
        return std::nullopt;

    CddbMatch match;
    match.category = std::string(categ);
    match.discId = toLower(discId);
    auto [artist, title] = splitDiscTitle(dtitle);
    match.artist = std::move(artist);
    match.title = std::move(title);
    return match;
}

// Escapes of entry values: "\n" and "\t" become spaces (a value stays on
// its line), "\\" a backslash; any other backslash stays.
std::string unescape(std::string_view raw)
{
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\\' && i + 1 < raw.size()) {
            const char next = raw[i + 1];
            if (next == 'n' || next == 't') {
                out += ' ';
                ++i;
                continue;
            }
            if (next == '\\') {
                out += '\\';
                ++i;
                continue;
            }
        }
        out += raw[i];
    }
    return out;
}

std::string cleanValue(std::string_view raw)
{
    const std::string clean = toCleanUtf8(unescape(raw));
    return std::string(truncateUtf8(clean, kMaxValue));
}

// Track number of "TTITLEn"/"EXTTn": canonical decimal below kMaxTracks,
// -1 otherwise (minus signs, leading zeros, huge numbers).
int trackIndex(std::string_view digits)
{
    if (digits.empty() || digits.size() > 2 || (digits.size() > 1 && digits[0] == '0'))
        return -1;
    int n = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        n = n * 10 + (c - '0');
    }
    return n < CddbEntry::kMaxTracks ? n : -1;
}

void appendCapped(std::string& value, std::string_view more)
{
    if (value.size() < kMaxRawValue)
        value.append(more.substr(0, kMaxRawValue - value.size()));
}

}

bool isValidCategory(std::string_view category)
{
    if (category.empty() || category.size() > sizeof(CDDBQUERYITEM::categ) - 1)
        return false;
    for (const char c : category)
        if (!isCategoryChar(c))
            return false;
    return true;
}

bool isValidDiscId(std::string_view discId)
{
    if (discId.empty() || discId.size() > 8)
        return false;
    for (const char c : discId)
        if (!isHexDigit(c))
            return false;
    return true;
}

CddbStatus parseStatus(std::string_view answer)
{
    CddbStatus status;
    if (answer.size() < 3)
        return status;
    for (int i = 0; i < 3; ++i)
        if (answer[i] < '0' || answer[i] > '9')
            return status;
    if (answer.size() > 3 && answer[3] != ' ' && answer[3] != '\r' && answer[3] != '\n')
        return status;
    status.code = (answer[0] - '0') * 100 + (answer[1] - '0') * 10 + (answer[2] - '0');
    std::string_view text = answer.substr(3);
    text = text.substr(0, text.find('\n'));
    if (!text.empty() && text.back() == '\r')
        text.remove_suffix(1);
    if (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    status.text = text;
    return status;
}

std::pair<std::string, std::string> splitDiscTitle(std::string_view dtitle)
{
    const std::string clean = toCleanUtf8(dtitle);
    const std::size_t sep = clean.find(" / ");
    if (sep == std::string::npos)
        return {clean, clean};
    return {clean.substr(0, sep), clean.substr(sep + 3)};
}

void CddbMatch::toRecord(CDDBQUERYITEM& item) const
{
    copyToField(item.categ, sizeof item.categ, category);
    copyToField(item.cddbId, sizeof item.cddbId, discId);
    copyToField(item.artist, sizeof item.artist, artist);
    copyToField(item.title, sizeof item.title, title);
    item.pad[0] = item.pad[1] = 0;
}

QueryAnswer parseQueryAnswer(std::string_view answer, std::size_t maxMatches)
{
    QueryAnswer result;
    const CddbStatus status = parseStatus(answer);
    result.code = status.code;
    if (status.code == 200) {
        if (maxMatches > 0)
            if (auto match = parseMatchLine(status.text))
                result.matches.push_back(std::move(*match));
    } else if (status.code == 210 || status.code == 211) {
        const auto lines = bodyLines(answer);
        if (!lines)
            return result;
        for (const std::string_view line : *lines) {
            if (result.matches.size() >= maxMatches)
                break;
            if (auto match = parseMatchLine(line))
                result.matches.push_back(std::move(*match));
        }
    }
    return result;
}

CddbEntry CddbEntry::fromLines(const std::vector<std::string_view>& lines)
{
    // Slots in order of first appearance; the two track groups take one
    // slot each, where their first line stood.
    enum Kind { Plain, Titles, Extras };
    struct Slot
    {
        Kind kind;
        std::string key;
        std::string raw;
    };
    std::vector<Slot> slots;
    std::map<std::string, std::size_t, std::less<>> plainIndex;
    std::array<std::string, kMaxTracks> titles, extras;
    int titleCount = 0, extraCount = 0; // highest index + 1
    bool haveTitles = false, haveExtras = false;

    for (const std::string_view line : lines) {
        if (line.empty() || line.front() == '#')
            continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos || eq == 0 || eq > kMaxKeyLength)
            continue;
        const std::string_view key = line.substr(0, eq);
        bool keyOk = true;
        for (const char c : key)
            keyOk = keyOk && isKeyChar(c);
        if (!keyOk)
            continue;
        const std::string_view value = line.substr(eq + 1);

        auto trackGroup = [&](std::string_view prefix, std::array<std::string, kMaxTracks>& group,
                              int& count, bool& have, Kind kind) {
            const int n = trackIndex(key.substr(prefix.size()));
            if (n < 0)
                return;
            if (!have) {
                have = true;
                slots.push_back({kind, {}, {}});
            }
            appendCapped(group[n], value);
            if (n + 1 > count)
                count = n + 1;
        };
        if (key.substr(0, 6) == "TTITLE") {
            trackGroup("TTITLE", titles, titleCount, haveTitles, Titles);
        } else if (key.substr(0, 4) == "EXTT") {
            trackGroup("EXTT", extras, extraCount, haveExtras, Extras);
        } else if (auto it = plainIndex.find(key); it != plainIndex.end()) {
            appendCapped(slots[it->second].raw, value);
        } else if (plainIndex.size() < kMaxKeys) {
            plainIndex.emplace(std::string(key), slots.size());
            slots.push_back({Plain, std::string(key), {}});
            appendCapped(slots.back().raw, value);
        }
    }

    CddbEntry entry;
    for (const Slot& slot : slots) {
        if (slot.kind == Plain) {
            entry.m_fields.emplace_back(slot.key, cleanValue(slot.raw));
            continue;
        }
        const bool isTitles = slot.kind == Titles;
        const auto& group = isTitles ? titles : extras;
        const int count = isTitles ? titleCount : extraCount;
        for (int n = 0; n < count; ++n)
            entry.m_fields.emplace_back((isTitles ? "TTITLE" : "EXTT") + std::to_string(n),
                                        cleanValue(group[n]));
    }
    return entry;
}

std::string CddbEntry::value(std::string_view key) const
{
    for (const auto& [k, v] : m_fields)
        if (k == key)
            return v;
    return {};
}

std::string CddbEntry::artist() const
{
    return splitDiscTitle(value("DTITLE")).first;
}

std::string CddbEntry::title() const
{
    return splitDiscTitle(value("DTITLE")).second;
}

std::vector<std::string> CddbEntry::trackTitles() const
{
    std::vector<std::string> names;
    for (const auto& [k, v] : m_fields)
        if (k.size() > 6 && k.compare(0, 6, "TTITLE") == 0)
            names.push_back(v);
    return names;
}

std::string CddbEntry::text(std::size_t maxLen) const
{
    std::string out;
    if (maxLen == 0)
        return out;
    for (const auto& [k, v] : m_fields) {
        const std::size_t lineLength = k.size() + 1 + v.size() + 1;
        if (out.size() + lineLength + 1 > maxLen)
            break;
        out += k;
        out += '=';
        out += v;
        out += '\n';
    }
    return out;
}

ReadAnswer parseReadAnswer(std::string_view answer)
{
    ReadAnswer result;
    result.code = parseStatus(answer).code;
    if (result.code != 210)
        return result;
    const auto lines = bodyLines(answer);
    if (!lines)
        return result;
    result.entry = CddbEntry::fromLines(*lines);
    result.ok = true;
    return result;
}

}
