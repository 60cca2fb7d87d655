// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QList>

#include "iniformat.h"

namespace trackmill {

// The program's face of the one INI layer (libs/ini, shared with the
// ripping library): an INI file held in memory with the semantics of the
// Windows private profile services. Section and key names match without
// regard to ASCII case, values are trimmed (space, tab, CR, VT, FF) and
// lose one pair of enclosing quotes, lines the program does not know
// (comments, garbage, other sections) are kept byte for byte. Bytes in,
// bytes out: no text decoding happens here, since language files come in
// many code pages.
//
// toBytes(fromBytes(b)) == b for any b: every line keeps its own line break
// (CR LF, LF or none on the last line), a UTF-8 byte-order mark is kept, and
// NUL bytes are ordinary bytes. Lines added later use the line break the
// file already uses (CR LF for a new file).
//
// Where a section name appears twice, the first section is the one read and
// written; where a key appears twice in it, the first key line is.
class IniDocument
{
public:
    IniDocument() = default;
    static IniDocument fromBytes(const QByteArray& bytes);
    QByteArray toBytes() const;

    bool hasSection(QByteArrayView section) const;
    bool hasKey(QByteArrayView section, QByteArrayView key) const;

    // The value of the first matching key, or defaultValue when the section
    // or the key is missing.
    QByteArray value(QByteArrayView section, QByteArrayView key,
                     const QByteArray& defaultValue = {}) const;
    // Decimal, or hexadecimal with 0x; leading digits count ("12abc" is 12),
    // anything else gives defaultValue. Hexadecimal values wrap to 32 bits
    // ("0xFFFFFFFF" is -1); decimal values outside int give defaultValue.
    int intValue(QByteArrayView section, QByteArrayView key, int defaultValue) const;

    // Replaces the first matching key in place (keeping the spelling of its
    // name), or appends it after the last key line of its section; the
    // section is appended when missing. A CR or LF in the section, key or
    // value becomes a space, so a value can never start a line of its own.
    void setValue(QByteArrayView section, QByteArrayView key, const QByteArray& value);
    // Remove every matching key line of the section / every matching
    // section with all its lines.
    void removeKey(QByteArrayView section, QByteArrayView key);
    void removeSection(QByteArrayView section);
    // Removes the keys "first", "first + 1", ... of the section: the track
    // names of a disc beyond a new count.
    void removeNumberedKeys(QByteArrayView section, qsizetype first);

    // Names as written in the file, in file order, each name once.
    QByteArrayList sections() const;
    QByteArrayList keys(QByteArrayView section) const;

private:
    ini::Document m_doc;
};

}
