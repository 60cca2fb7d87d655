// SPDX-License-Identifier: GPL-2.0-or-later
#include "pebuilder.h"

namespace trackmill::test {

namespace {

void appendU16(QByteArray& b, quint16 v)
{
    b.append(char(v & 0xFF));
    b.append(char(v >> 8));
}

void appendU32(QByteArray& b, quint32 v)
{
    appendU16(b, quint16(v & 0xFFFF));
    appendU16(b, quint16(v >> 16));
}

void pad4(QByteArray& b)
{
    while (b.size() % 4)
        b.append('\0');
}

QByteArray utf16z(const QString& s)
{
    QByteArray b;
    for (const QChar c : s)
        appendU16(b, c.unicode());
    appendU16(b, 0);
    return b;
}

// One node: header, key, padding, value, then each child on a 4-byte boundary.
QByteArray node(const QString& key, const QByteArray& value, quint16 valueLength, bool text,
                const QList<QByteArray>& children = {})
{
    QByteArray b;
    appendU16(b, 0);  // length, filled in below
    appendU16(b, valueLength);
    appendU16(b, text ? 1 : 0);
    b.append(utf16z(key));
    pad4(b);
    b.append(value);
    for (const QByteArray& child : children) {
        pad4(b);
        b.append(child);
    }
    putU16(b, 0, quint16(b.size()));
    return b;
}

QByteArray fixedFileInfo()
{
    QByteArray b;
    appendU32(b, 0xFEEF04BD);  // signature
    appendU32(b, 0x00010000);  // structure version
    for (int i = 0; i < 11; ++i)
        appendU32(b, 0);
    return b;
}

}

void putU16(QByteArray& bytes, qsizetype at, quint16 value)
{
    bytes[at] = char(value & 0xFF);
    bytes[at + 1] = char(value >> 8);
}

void putU32(QByteArray& bytes, qsizetype at, quint32 value)
{
    putU16(bytes, at, quint16(value & 0xFFFF));
    putU16(bytes, at + 2, quint16(value >> 16));
}

QByteArray versionBlock(const VersionBlockContents& contents)
{
    QList<QByteArray> strings;
    for (const auto& [name, value] : contents.strings)
        strings.append(node(name, utf16z(value), quint16(value.size() + 1), true));
    QList<QByteArray> children{
        node(QStringLiteral("StringFileInfo"), {}, 0, true,
             {node(contents.tableKey, {}, 0, true, strings)}),
    };
    if (contents.withVarFileInfo) {
        QByteArray table;
        for (const auto& [language, codePage] : contents.translations) {
            appendU16(table, language);
            appendU16(table, codePage);
        }
        children.append(node(QStringLiteral("VarFileInfo"), {}, 0, true,
                             {node(QStringLiteral("Translation"), table,
                                   quint16(table.size()), false)}));
    }
    const QByteArray fixed = fixedFileInfo();
    return node(QStringLiteral("VS_VERSION_INFO"), fixed, quint16(fixed.size()), false, children);
}

PeImage peImage(const QByteArray& versionResource, const PeImageLayout& layout)
{
    constexpr quint32 kSectionRva = 0x1000;
    constexpr quint32 kSectionFileOffset = 0x200;
    PeImage image;
    QByteArray& b = image.bytes;

    // DOS header with e_lfanew pointing just behind it.
    b = QByteArray(64, '\0');
    b[0] = 'M';
    b[1] = 'Z';
    putU32(b, 0x3C, 64);

    image.peHeader = b.size();
    b.append(QByteArrayView("PE\0\0", 4));
    const quint16 optionalSize = layout.pe32Plus ? 240 : 224;
    appendU16(b, layout.pe32Plus ? 0x8664 : 0x014C);  // machine
    appendU16(b, 1);                                 // sections
    appendU32(b, 0);
    appendU32(b, 0);
    appendU32(b, 0);
    appendU16(b, optionalSize);
    appendU16(b, 0x2102);  // executable DLL

    image.optionalHeader = b.size();
    QByteArray optional(optionalSize, '\0');
    putU16(optional, 0, layout.pe32Plus ? 0x20B : 0x10B);
    const qsizetype countAt = layout.pe32Plus ? 108 : 92;
    putU32(optional, countAt, 16);
    b.append(optional);

    image.sectionTable = b.size();
    QByteArray section(40, '\0');
    section.replace(0, 5, ".rsrc");
    b.append(section);
    b.append(QByteArray(kSectionFileOffset - b.size(), '\0'));

    // Resource tree: type -> name -> language -> data entry -> block.
    QByteArray res;
    auto directory = [&res](QList<QPair<quint32, quint32>> entries) {
        appendU32(res, 0);
        appendU32(res, 0);
        appendU32(res, 0);
        appendU16(res, 0);
        appendU16(res, quint16(entries.size()));
        for (const auto& [id, target] : entries) {
            appendU32(res, id);
            appendU32(res, target);
        }
    };
    // Fixed offsets within the section: each directory has at most two entries.
    constexpr quint32 kNames = 0x20, kLanguages = 0x40, kIconNames = 0x60, kData = 0x80,
                      kBlock = 0xA0;
    QList<QPair<quint32, quint32>> types;
    if (layout.withIconDirectory)
        types.append({3, 0x80000000u | kIconNames});
    types.append({layout.resourceType, 0x80000000u | kNames});
    directory(types);
    res.append(QByteArray(kNames - res.size(), '\0'));
    directory({{layout.resourceName, 0x80000000u | kLanguages}});
    res.append(QByteArray(kLanguages - res.size(), '\0'));
    directory({{0x0409, kData}});
    res.append(QByteArray(kIconNames - res.size(), '\0'));
    directory({});
    res.append(QByteArray(kData - res.size(), '\0'));
    appendU32(res, kSectionRva + kBlock);
    appendU32(res, quint32(versionResource.size()));
    appendU32(res, 0);
    appendU32(res, 0);
    res.append(QByteArray(kBlock - res.size(), '\0'));
    res.append(versionResource);
    pad4(res);

    image.resourceSection = b.size();
    image.dataEntry = image.resourceSection + kData;
    image.block = image.resourceSection + kBlock;
    b.append(res);

    // Section header and resource data directory.
    const qsizetype s = image.sectionTable;
    putU32(b, s + 8, quint32(res.size()));   // virtual size
    putU32(b, s + 12, kSectionRva);
    putU32(b, s + 16, quint32(res.size()));  // raw size
    putU32(b, s + 20, kSectionFileOffset);
    if (layout.withResources) {
        const qsizetype directories = image.optionalHeader + countAt + 4;
        putU32(b, directories + 2 * 8, kSectionRva);
        putU32(b, directories + 2 * 8 + 4, quint32(res.size()));
    }
    return image;
}

}
