// SPDX-License-Identifier: GPL-2.0-or-later
#include "inidocument.h"

#include <QSet>
#include <limits>

namespace trackmill {

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// The profile services compare names without regard to ASCII case only;
// bytes above 127 must match exactly, whatever the code page.
bool sameName(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

QByteArray trimmed(QByteArrayView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin).toByteArray();
}

// One pair of enclosing double or single quotes goes, as with
// GetPrivateProfileString.
QByteArray unquoted(QByteArray text)
{
    if (text.size() >= 2) {
        const char first = text.front();
        if ((first == '"' || first == '\'') && text.back() == first)
            return text.sliced(1, text.size() - 2);
    }
    return text;
}

// A line break inside a name or value would start a line of its own in the
// file (a value from a CD database could smuggle in a section): flatten it.
QByteArray singleLine(QByteArrayView text)
{
    QByteArray out = text.toByteArray();
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

}

IniDocument::Line IniDocument::parseLine(const QByteArray& raw, const QByteArray& eol)
{
    Line line;
    line.raw = raw;
    line.eol = eol;
    qsizetype start = 0;
    while (start < raw.size() && isBlank(raw[start]))
        ++start;
    if (start == raw.size())
        return line;
    if (raw[start] == '[') {
        // Text after the closing bracket is ignored; a header without one
        // still names a section (the rest of the line).
        qsizetype close = raw.indexOf(']', start + 1);
        if (close < 0)
            close = raw.size();
        line.kind = Line::Section;
        line.name = trimmed(QByteArrayView(raw).sliced(start + 1, close - start - 1));
        return line;
    }
    if (raw[start] == ';')
        return line;
    const qsizetype equals = raw.indexOf('=', start);
    if (equals < 0)
        return line;
    QByteArray name = trimmed(QByteArrayView(raw).sliced(start, equals - start));
    if (name.isEmpty())
        return line;
    line.kind = Line::Key;
    line.name = std::move(name);
    line.value = unquoted(trimmed(QByteArrayView(raw).sliced(equals + 1)));
    return line;
}

IniDocument IniDocument::fromBytes(const QByteArray& bytes)
{
    IniDocument doc;
    qsizetype pos = 0;
    if (bytes.startsWith(kUtf8Bom)) {
        doc.m_bom = kUtf8Bom;
        pos = kUtf8Bom.size();
    }
    const qsizetype firstBreak = bytes.indexOf('\n', pos);
    if (firstBreak > pos && bytes[firstBreak - 1] == '\r')
        doc.m_newline = "\r\n";
    else if (firstBreak >= 0)
        doc.m_newline = "\n";

    while (pos < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', pos);
        if (lf < 0) {
            doc.m_lines.append(parseLine(bytes.sliced(pos), QByteArray()));
            break;
        }
        const bool crlf = lf > pos && bytes[lf - 1] == '\r';
        const qsizetype end = crlf ? lf - 1 : lf;
        doc.m_lines.append(parseLine(bytes.sliced(pos, end - pos),
                                     crlf ? QByteArray("\r\n") : QByteArray("\n")));
        pos = lf + 1;
    }
    return doc;
}

QByteArray IniDocument::toBytes() const
{
    qsizetype size = m_bom.size();
    for (const Line& line : m_lines)
        size += line.raw.size() + line.eol.size();
    QByteArray out;
    out.reserve(size);
    out += m_bom;
    for (const Line& line : m_lines) {
        out += line.raw;
        out += line.eol;
    }
    return out;
}

qsizetype IniDocument::findSection(QByteArrayView section) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == Line::Section && sameName(m_lines[i].name, section))
            return i;
    }
    return -1;
}

qsizetype IniDocument::sectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < m_lines.size() && m_lines[i].kind != Line::Section)
        ++i;
    return i;
}

qsizetype IniDocument::findKey(QByteArrayView section, QByteArrayView key) const
{
    const qsizetype header = findSection(section);
    if (header < 0)
        return -1;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        if (m_lines[i].kind == Line::Key && sameName(m_lines[i].name, key))
            return i;
    }
    return -1;
}

bool IniDocument::hasSection(QByteArrayView section) const
{
    return findSection(section) >= 0;
}

bool IniDocument::hasKey(QByteArrayView section, QByteArrayView key) const
{
    return findKey(section, key) >= 0;
}

QByteArray IniDocument::value(QByteArrayView section, QByteArrayView key,
                              const QByteArray& defaultValue) const
{
    const qsizetype i = findKey(section, key);
    return i < 0 ? defaultValue : m_lines[i].value;
}

int IniDocument::intValue(QByteArrayView section, QByteArrayView key, int defaultValue) const
{
    const qsizetype i = findKey(section, key);
    if (i < 0)
        return defaultValue;
    const QByteArray& text = m_lines[i].value;
    qsizetype p = 0;
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
        quint32 result = 0;
        for (p += 2; p < text.size() && hexDigit(text[p]) >= 0; ++p)
            result = result * 16 + quint32(hexDigit(text[p]));
        return negative ? int(0u - result) : int(result);
    }

    qint64 result = 0;
    constexpr qint64 limit = qint64(std::numeric_limits<int>::max()) + 1;
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

void IniDocument::insertLine(qsizetype at, const QByteArray& raw)
{
    // The line before gets a break if it was the unterminated last line.
    if (at > 0 && m_lines[at - 1].eol.isEmpty())
        m_lines[at - 1].eol = m_newline;
    m_lines.insert(at, parseLine(raw, m_newline));
}

void IniDocument::setValue(QByteArrayView section, QByteArrayView key, const QByteArray& value)
{
    const QByteArray cleanValue = singleLine(value);
    const qsizetype existing = findKey(section, key);
    if (existing >= 0) {
        Line& line = m_lines[existing];
        line = parseLine(line.name + '=' + cleanValue, line.eol);
        return;
    }
    const QByteArray keyLine = singleLine(key) + '=' + cleanValue;
    const qsizetype header = findSection(section);
    if (header >= 0) {
        // After the last key line, so that blank lines and comments that
        // separate it from the next section stay where they are. A section
        // without keys gets it after its last line that is not blank (a
        // comment under the header stays under the header).
        qsizetype afterKey = -1;
        qsizetype afterText = header + 1;
        const qsizetype end = sectionEnd(header);
        for (qsizetype i = header + 1; i < end; ++i) {
            if (m_lines[i].kind == Line::Key)
                afterKey = i + 1;
            if (!trimmed(m_lines[i].raw).isEmpty())
                afterText = i + 1;
        }
        const qsizetype at = afterKey >= 0 ? afterKey : afterText;
        insertLine(at, keyLine);
        return;
    }
    if (!m_lines.isEmpty() && !trimmed(m_lines.back().raw).isEmpty())
        insertLine(m_lines.size(), QByteArray());
    insertLine(m_lines.size(), '[' + singleLine(section) + ']');
    insertLine(m_lines.size(), keyLine);
}

void IniDocument::removeKey(QByteArrayView section, QByteArrayView key)
{
    const qsizetype header = findSection(section);
    if (header < 0)
        return;
    qsizetype end = sectionEnd(header);
    for (qsizetype i = end - 1; i > header; --i) {
        if (m_lines[i].kind == Line::Key && sameName(m_lines[i].name, key))
            m_lines.removeAt(i);
    }
}

void IniDocument::removeSection(QByteArrayView section)
{
    for (qsizetype header = findSection(section); header >= 0; header = findSection(section))
        m_lines.remove(header, sectionEnd(header) - header);
}

QByteArrayList IniDocument::sections() const
{
    QByteArrayList names;
    QSet<QByteArray> seen;
    for (const Line& line : m_lines) {
        if (line.kind == Line::Section && !seen.contains(line.name.toLower())) {
            seen.insert(line.name.toLower());
            names.append(line.name);
        }
    }
    return names;
}

QByteArrayList IniDocument::keys(QByteArrayView section) const
{
    QByteArrayList names;
    const qsizetype header = findSection(section);
    if (header < 0)
        return names;
    QSet<QByteArray> seen;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const Line& line = m_lines[i];
        if (line.kind == Line::Key && !seen.contains(line.name.toLower())) {
            seen.insert(line.name.toLower());
            names.append(line.name);
        }
    }
    return names;
}

}
