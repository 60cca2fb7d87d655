// SPDX-License-Identifier: GPL-2.0-or-later
// Any bytes must parse, come back unchanged, and take a write without
// disturbing any other key: settings, the disc database and the language
// files all pass through this parser, some of them written by other tools.
#include "platform/inidocument.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

using trackmill::IniDocument;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

// A key name the profile services can store: no bytes that end a name or
// turn the line into a header or a comment, no blanks at either end.
QByteArray keyFrom(QByteArrayView material)
{
    QByteArray key;
    for (char c : material) {
        if (c != '=' && c != '[' && c != ']' && c != ';' && c != '\r' && c != '\n' && c != ' '
            && c != '\t' && c != '\v' && c != '\f')
            key += c;
    }
    return key.isEmpty() ? QByteArray("K") : key;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    IniDocument doc = IniDocument::fromBytes(input);
    check(doc.toBytes() == input);

    // Everything readable before the write, to compare afterwards.
    const QByteArrayList sections = doc.sections();
    QList<QList<QByteArray>> before;
    for (const QByteArray& section : sections) {
        check(doc.hasSection(section));
        QList<QByteArray> values;
        for (const QByteArray& key : doc.keys(section)) {
            check(doc.hasKey(section, key));
            values.append(doc.value(section, key));
            doc.intValue(section, key, 0);
        }
        before.append(values);
    }

    const QByteArray section = sections.isEmpty() ? QByteArray("MAIN") : sections.front();
    const QByteArray key = keyFrom(input.left(8));
    const QByteArray value = input.mid(8, 64);
    doc.setValue(section, key, value);
    check(doc.hasKey(section, key));

    const QByteArray written = doc.toBytes();
    const IniDocument reread = IniDocument::fromBytes(written);
    check(reread.toBytes() == written);
    check(reread.value(section, key) == doc.value(section, key));
    if (!value.contains('\r') && !value.contains('\n') && !value.contains('"')
        && !value.contains('\'') && value.trimmed() == value)
        check(reread.value(section, key) == value);

    for (qsizetype s = 0; s < sections.size(); ++s) {
        const QByteArrayList keys = IniDocument::fromBytes(input).keys(sections[s]);
        for (qsizetype k = 0; k < keys.size(); ++k) {
            if (s == 0 && keys[k].toLower() == key.toLower())
                continue;
            check(reread.value(sections[s], keys[k]) == before[s][k]);
        }
    }
    return 0;
}
