// SPDX-License-Identifier: LGPL-2.1-or-later
#include "iniformat.h"

#include <cstdint>
#include <limits>
#include <set>

namespace trackmill::ini {

namespace {

constexpr std::string_view kUtf8Bom("\xEF\xBB\xBF");

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

std::string lowered(std::string_view name)
{
    std::string out(name);
    for (char& c : out)
        c = asciiLower(c);
    return out;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// One pair of enclosing double or single quotes goes, as with
// GetPrivateProfileString.
std::string_view unquoted(std::string_view text)
{
    if (text.size() >= 2) {
        const char first = text.front();
        if ((first == '"' || first == '\'') && text.back() == first)
            return text.substr(1, text.size() - 2);
    }
    return text;
}

// A line break inside a name or value would start a line of its own in the
// file (a value from a CD database could smuggle in a section): flatten it.
std::string singleLine(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return out;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// "0", "1", ... "12": the spelling the numbered keys are written in.
bool numberAtLeast(std::string_view name, std::size_t first)
{
    if (name.empty() || (name.size() > 1 && name.front() == '0'))
        return false;
    std::size_t number = 0;
    for (const char c : name) {
        if (!isDigit(c))
            return false;
        if (number > (std::numeric_limits<std::size_t>::max() - 9) / 10)
            return true;  // beyond any count a caller can pass
        number = number * 10 + std::size_t(c - '0');
    }
    return number >= first;
}

}

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

Document::Line Document::parseLine(std::string raw, std::string eol)
{
    Line line;
    line.raw = std::move(raw);
    line.eol = std::move(eol);
    const std::string_view text(line.raw);
    std::size_t start = 0;
    while (start < text.size() && isBlank(text[start]))
        ++start;
    if (start == text.size())
        return line;
    if (text[start] == '[') {
        // Text after the closing bracket is ignored; a header without one
        // still names a section (the rest of the line).
        std::size_t close = text.find(']', start + 1);
        if (close == std::string_view::npos)
            close = text.size();
        line.kind = Line::Section;
        line.name = trimmed(text.substr(start + 1, close - start - 1));
        return line;
    }
    if (text[start] == ';')
        return line;
    const std::size_t equals = text.find('=', start);
    if (equals == std::string_view::npos)
        return line;
    const std::string_view name = trimmed(text.substr(start, equals - start));
    if (name.empty())
        return line;
    line.kind = Line::Key;
    line.name = name;
    line.value = unquoted(trimmed(text.substr(equals + 1)));
    return line;
}

Document Document::parse(std::string_view bytes)
{
    Document doc;
    std::size_t pos = 0;
    if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        doc.m_bom = kUtf8Bom;
        pos = kUtf8Bom.size();
    }
    const std::size_t firstBreak = bytes.find('\n', pos);
    if (firstBreak != std::string_view::npos)
        doc.m_newline = firstBreak > pos && bytes[firstBreak - 1] == '\r' ? "\r\n" : "\n";

    while (pos < bytes.size()) {
        const std::size_t lf = bytes.find('\n', pos);
        if (lf == std::string_view::npos) {
            doc.m_lines.push_back(parseLine(std::string(bytes.substr(pos)), {}));
            break;
        }
        const bool crlf = lf > pos && bytes[lf - 1] == '\r';
        const std::size_t end = crlf ? lf - 1 : lf;
        doc.m_lines.push_back(parseLine(std::string(bytes.substr(pos, end - pos)), crlf ? "\r\n" : "\n"));
        pos = lf + 1;
    }
    return doc;
}

std::string Document::bytes() const
{
    std::size_t size = m_bom.size();
    for (const Line& line : m_lines)
        size += line.raw.size() + line.eol.size();
    std::string out;
    out.reserve(size);
    out += m_bom;
    for (const Line& line : m_lines) {
        out += line.raw;
        out += line.eol;
    }
    return out;
}

std::ptrdiff_t Document::findSection(std::string_view section) const
{
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == Line::Section && sameName(m_lines[i].name, section))
            return std::ptrdiff_t(i);
    }
    return -1;
}

std::size_t Document::sectionEnd(std::size_t header) const
{
    std::size_t i = header + 1;
    while (i < m_lines.size() && m_lines[i].kind != Line::Section)
        ++i;
    return i;
}

std::ptrdiff_t Document::findKey(std::string_view section, std::string_view key) const
{
    const std::ptrdiff_t header = findSection(section);
    if (header < 0)
        return -1;
    const std::size_t end = sectionEnd(std::size_t(header));
    for (std::size_t i = std::size_t(header) + 1; i < end; ++i) {
        if (m_lines[i].kind == Line::Key && sameName(m_lines[i].name, key))
            return std::ptrdiff_t(i);
    }
    return -1;
}

bool Document::hasSection(std::string_view section) const
{
    return findSection(section) >= 0;
}

bool Document::hasKey(std::string_view section, std::string_view key) const
{
    return findKey(section, key) >= 0;
}

const std::string* Document::find(std::string_view section, std::string_view key) const
{
    const std::ptrdiff_t i = findKey(section, key);
    return i < 0 ? nullptr : &m_lines[std::size_t(i)].value;
}

std::string Document::value(std::string_view section, std::string_view key,
                            std::string_view defaultValue) const
{
    const std::string* found = find(section, key);
    return found ? *found : std::string(defaultValue);
}

int Document::intValue(std::string_view section, std::string_view key, int defaultValue) const
{
    const std::string* found = find(section, key);
    if (!found)
        return defaultValue;
    const std::string& text = *found;
    std::size_t p = 0;
    bool negative = false;
    if (p < text.size() && (text[p] == '-' || text[p] == '+')) {
        negative = text[p] == '-';
        ++p;
    }
    if (p >= text.size() || !isDigit(text[p]))
        return defaultValue;

    if (text[p] == '0' && p + 2 < text.size() && (text[p + 1] == 'x' || text[p + 1] == 'X')
        && hexDigit(text[p + 2]) >= 0) {
        // Hexadecimal: 32 bits, as a DWORD would hold it.
        std::uint32_t result = 0;
        for (p += 2; p < text.size() && hexDigit(text[p]) >= 0; ++p)
            result = result * 16 + std::uint32_t(hexDigit(text[p]));
        return negative ? int(0u - result) : int(result);
    }

    std::int64_t result = 0;
    constexpr std::int64_t limit = std::int64_t(std::numeric_limits<int>::max()) + 1;
    for (; p < text.size() && isDigit(text[p]); ++p) {
        result = result * 10 + (text[p] - '0');
        if (result > limit)
            return defaultValue;
    }
    if (negative)
        result = -result;
    if (result > std::numeric_limits<int>::max())
        return defaultValue;
    return int(result);
}

void Document::insertLine(std::size_t at, std::string raw)
{
    // The line before gets a break if it was the unterminated last line.
    if (at > 0 && m_lines[at - 1].eol.empty())
        m_lines[at - 1].eol = m_newline;
    m_lines.insert(m_lines.begin() + std::ptrdiff_t(at), parseLine(std::move(raw), m_newline));
}

void Document::setValue(std::string_view section, std::string_view key, std::string_view value)
{
    const std::string cleanValue = singleLine(value);
    const std::ptrdiff_t existing = findKey(section, key);
    if (existing >= 0) {
        Line& line = m_lines[std::size_t(existing)];
        line = parseLine(line.name + '=' + cleanValue, line.eol);
        return;
    }
    std::string keyLine = singleLine(key) + '=' + cleanValue;
    const std::ptrdiff_t found = findSection(section);
    if (found >= 0) {
        // After the last key line, so that blank lines and comments that
        // separate it from the next section stay where they are. A section
        // without keys gets it after its last line that is not blank (a
        // comment under the header stays under the header).
        const std::size_t header = std::size_t(found);
        std::size_t afterKey = 0;
        std::size_t afterText = header + 1;
        const std::size_t end = sectionEnd(header);
        for (std::size_t i = header + 1; i < end; ++i) {
            if (m_lines[i].kind == Line::Key)
                afterKey = i + 1;
            if (!trimmed(m_lines[i].raw).empty())
                afterText = i + 1;
        }
        insertLine(afterKey > 0 ? afterKey : afterText, std::move(keyLine));
        return;
    }
    if (!m_lines.empty() && !trimmed(m_lines.back().raw).empty())
        insertLine(m_lines.size(), {});
    insertLine(m_lines.size(), '[' + singleLine(section) + ']');
    insertLine(m_lines.size(), std::move(keyLine));
}

void Document::removeKey(std::string_view section, std::string_view key)
{
    const std::ptrdiff_t header = findSection(section);
    if (header < 0)
        return;
    for (std::size_t i = sectionEnd(std::size_t(header)) - 1; i > std::size_t(header); --i) {
        if (m_lines[i].kind == Line::Key && sameName(m_lines[i].name, key))
            m_lines.erase(m_lines.begin() + std::ptrdiff_t(i));
    }
}

void Document::removeNumberedKeys(std::string_view section, std::size_t first)
{
    const std::ptrdiff_t header = findSection(section);
    if (header < 0)
        return;
    for (std::size_t i = sectionEnd(std::size_t(header)) - 1; i > std::size_t(header); --i) {
        if (m_lines[i].kind == Line::Key && numberAtLeast(m_lines[i].name, first))
            m_lines.erase(m_lines.begin() + std::ptrdiff_t(i));
    }
}

void Document::removeSection(std::string_view section)
{
    for (std::ptrdiff_t header = findSection(section); header >= 0; header = findSection(section)) {
        const auto begin = m_lines.begin() + header;
        m_lines.erase(begin, m_lines.begin() + std::ptrdiff_t(sectionEnd(std::size_t(header))));
    }
}

std::vector<std::string> Document::sections() const
{
    std::vector<std::string> names;
    std::set<std::string> seen;
    for (const Line& line : m_lines) {
        if (line.kind == Line::Section && seen.insert(lowered(line.name)).second)
            names.push_back(line.name);
    }
    return names;
}

std::vector<std::string> Document::keys(std::string_view section) const
{
    std::vector<std::string> names;
    const std::ptrdiff_t header = findSection(section);
    if (header < 0)
        return names;
    std::set<std::string> seen;
    const std::size_t end = sectionEnd(std::size_t(header));
    for (std::size_t i = std::size_t(header) + 1; i < end; ++i) {
        const Line& line = m_lines[i];
        if (line.kind == Line::Key && seen.insert(lowered(line.name)).second)
            names.push_back(line.name);
    }
    return names;
}

}
