// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QList>

namespace trackmill {

// An INI file held in memory with the semantics of the Windows private
// profile services: section and key names match without regard to ASCII
// case, values are trimmed and lose one pair of enclosing quotes, lines the
// program does not know (comments, garbage, other sections) are kept byte
// for byte. Bytes in, bytes out: no text decoding happens here, since
// language files come in many code pages.
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
    // anything else gives defaultValue.
    int intValue(QByteArrayView section, QByteArrayView key, int defaultValue) const;

    // Replaces the first matching key in place, or appends it at the end of
    // its section; the section is appended when missing.
    void setValue(QByteArrayView section, QByteArrayView key, const QByteArray& value);
    void removeKey(QByteArrayView section, QByteArrayView key);
    void removeSection(QByteArrayView section);

    // Names as written in the file, in file order.
    QByteArrayList sections() const;
    QByteArrayList keys(QByteArrayView section) const;

private:
    struct Line
    {
        QByteArray raw;      // as read, without the line break
        QByteArray section;  // for section headers: the name
        QByteArray key;      // for key lines: the name, trimmed
        enum Kind { Other, Section, Key } kind = Other;
    };
    QList<Line> m_lines;
    QByteArray m_newline = "\r\n";
    bool m_finalNewline = true;

    qsizetype findSection(QByteArrayView section) const;
    qsizetype findKey(QByteArrayView section, QByteArrayView key) const;
};

}
