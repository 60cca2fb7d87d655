// SPDX-License-Identifier: LGPL-2.1-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace trackmill::ini {

// An INI file held in memory with the semantics of the Windows private
// profile services. Shared by the program and the ripping library, so both
// read and write CDPLAYER.INI alike:
//
// - section and key names match without regard to ASCII case (bytes above
//   127 must match exactly, whatever the code page);
// - a value is read with the blanks around it removed (space, tab, CR, VT,
//   FF: everything the C locale calls white space but the line feed that
//   ends the line) and then one pair of enclosing double or single quotes;
// - lines the program does not know (comments, garbage, other sections)
//   are kept byte for byte.
//
// Bytes in, bytes out: no text decoding happens here, since language files
// come in many code pages. parse(b).bytes() == b for any b: every line keeps
// its own line break (CR LF, LF or none on the last line), a UTF-8
// byte-order mark is kept, and NUL bytes are ordinary bytes. Lines added
// later use the line break the file already uses (CR LF for a new file).
//
// Where a section name appears twice, the first section is the one read and
// written; where a key appears twice in it, the first key line is.
class Document
{
public:
    Document() = default;
    static Document parse(std::string_view bytes);
    std::string bytes() const;

    bool hasSection(std::string_view section) const;
    bool hasKey(std::string_view section, std::string_view key) const;

    // The value of the first matching key, or nullptr when the section or
    // the key is missing. Valid until the next change of the document.
    const std::string* find(std::string_view section, std::string_view key) const;
    std::string value(std::string_view section, std::string_view key,
                      std::string_view defaultValue = {}) const;
    // Decimal, or hexadecimal with 0x; leading digits count ("12abc" is 12),
    // anything else gives defaultValue. Hexadecimal values wrap to 32 bits
    // ("0xFFFFFFFF" is -1); decimal values outside int give defaultValue.
    int intValue(std::string_view section, std::string_view key, int defaultValue) const;

    // Replaces the first matching key in place (keeping the spelling of its
    // name), or appends it after the last key line of its section; the
    // section is appended when missing. A CR or LF in the section, key or
    // value becomes a space, so a value can never start a line of its own.
    void setValue(std::string_view section, std::string_view key, std::string_view value);
    // Remove every matching key line of the section / every matching
    // section with all its lines.
    void removeKey(std::string_view section, std::string_view key);
    void removeSection(std::string_view section);
    // Removes the key lines of the section named by a decimal number of at
    // least `first` ("0", "1", ... as a disc's track names are stored; "07"
    // or "+1" are other keys and stay).
    void removeNumberedKeys(std::string_view section, std::size_t first);

    // Names as written in the file, in file order, each name once.
    std::vector<std::string> sections() const;
    std::vector<std::string> keys(std::string_view section) const;

private:
    struct Line
    {
        std::string raw;    // as read, without the line break
        std::string eol;    // "\r\n", "\n", or empty on an unterminated last line
        std::string name;   // section headers: the section name; key lines: the key name
        std::string value;  // key lines: the value, trimmed and unquoted
        enum Kind { Other, Section, Key } kind = Other;
    };
    std::string m_bom;  // UTF-8 byte-order mark in front of the first line
    std::vector<Line> m_lines;
    std::string m_newline = "\r\n";

    static Line parseLine(std::string raw, std::string eol);
    std::ptrdiff_t findSection(std::string_view section) const;
    // End of the section whose header is at index header: the index of the
    // next section header, or the line count.
    std::size_t sectionEnd(std::size_t header) const;
    std::ptrdiff_t findKey(std::string_view section, std::string_view key) const;
    void insertLine(std::size_t at, std::string raw);
};

// Whether two section or key names are one name to the profile services.
bool sameName(std::string_view a, std::string_view b);

}
