// SPDX-License-Identifier: GPL-2.0-or-later
// Any bytes (settings, disc database, language files) must parse, come back
// unchanged, and take a write without disturbing any other key.
#include "platform/inidocument.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

using trackmill::IniDocument;

#define check(c) ((c) ? void() : std::abort())

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    IniDocument doc = IniDocument::fromBytes(input);
    check(doc.toBytes() == input);

    const QByteArrayList sections = doc.sections();
    QList<QList<QByteArray>> before;
    for (const QByteArray& section : sections) {
        QList<QByteArray> values;
        for (const QByteArray& key : doc.keys(section)) {
            check(doc.hasKey(section, key));
            values.append(doc.value(section, key));
            doc.intValue(section, key, 0);
        }
        before.append(values);
    }

    // A key name the profile services can store: nothing that ends a name
    // or makes the line a header or comment, no blanks.
    QByteArray key;
    for (char c : input.left(8))
        if (!QByteArrayView("=[];\r\n \t\v\f").contains(c))
            key += c;
    if (key.isEmpty())
        key = "K";
    const QByteArray section = sections.isEmpty() ? QByteArray("MAIN") : sections.front();
    const QByteArray value = input.mid(8, 64);
    doc.setValue(section, key, value);

    const QByteArray written = doc.toBytes();
    const IniDocument reread = IniDocument::fromBytes(written);
    check(reread.toBytes() == written);
    check(reread.value(section, key) == doc.value(section, key));
    if (!value.contains('\r') && !value.contains('\n') && !value.contains('"') && !value.contains('\'')
        && value.trimmed() == value)
        check(reread.value(section, key) == value);
    for (qsizetype s = 0; s < sections.size(); ++s) {
        const QByteArrayList keys = IniDocument::fromBytes(input).keys(sections[s]);
        for (qsizetype k = 0; k < keys.size(); ++k)
            if (s != 0 || keys[k].toLower() != key.toLower())
                check(reread.value(sections[s], keys[k]) == before[s][k]);
    }
    return 0;
}
