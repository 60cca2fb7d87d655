// SPDX-License-Identifier: GPL-2.0-or-later
#include "elfversionnote.h"

#include <QIODevice>

namespace trackmill {

namespace {

constexpr char kOwner[] = "Trackmill";  // with its zero byte: namesz 10
constexpr quint32 kSectionTypeNote = 7;  // SHT_NOTE

// Reads exactly `size` bytes at `offset`, or nothing.
bool readAt(QIODevice& device, qint64 offset, qint64 size, QByteArray& out)
{
    if (offset < 0 || size < 0 || offset > device.size() || size > device.size() - offset)
        return false;
    if (!device.seek(offset))
        return false;
    out = device.read(size);
    return out.size() == size;
}

// Integers of the file's byte order at an offset already checked by the caller.
class Fields
{
public:
    Fields(const QByteArray& bytes, bool bigEndian) : m_bytes(bytes), m_bigEndian(bigEndian) {}

    quint64 get(qsizetype at, int width) const
    {
        quint64 v = 0;
        for (int i = 0; i < width; ++i) {
            const quint64 byte = uchar(m_bytes[at + i]);
            v |= m_bigEndian ? byte << (8 * (width - 1 - i)) : byte << (8 * i);
        }
        return v;
    }

private:
    const QByteArray& m_bytes;
    bool m_bigEndian;
};

quint64 align4(quint64 n)
{
    return (n + 3) & ~quint64(3);
}

enum class Walk { Found, Absent, Broken };

// The notes of one section: namesz, descsz, type, the name and the
// descriptor, each padded to 4 bytes.
Walk findOurNote(const QByteArray& section, bool bigEndian, QByteArray& desc)
{
    const Fields f(section, bigEndian);
    const quint64 size = quint64(section.size());
    quint64 at = 0;
    while (at < size) {
        if (size - at < 12)
            return Walk::Broken;
        const quint64 nameSize = f.get(qsizetype(at), 4);
        const quint64 descSize = f.get(qsizetype(at + 4), 4);
        const quint64 type = f.get(qsizetype(at + 8), 4);
        const quint64 nameAt = at + 12;
        // 64-bit sums of 32-bit values cannot overflow.
        const quint64 descAt = nameAt + align4(nameSize);
        const quint64 next = descAt + align4(descSize);
        if (descAt > size || descSize > size - descAt)
            return Walk::Broken;
        if (nameSize == sizeof kOwner && type == ElfVersionNote::kNoteType
            && section.mid(qsizetype(nameAt), qsizetype(nameSize)) == QByteArray(kOwner, sizeof kOwner)) {
            desc = section.mid(qsizetype(descAt), qsizetype(descSize));
            return Walk::Found;
        }
        // The last note's padding may be left out.
        at = next;
    }
    return Walk::Absent;
}

void parseDescriptor(const QByteArray& desc, ElfVersionNote& note)
{
    note.size = desc.size();
    for (const QByteArray& entry : desc.split('\0')) {
        const qsizetype eq = entry.indexOf('=');
        if (eq <= 0)
            continue;  // the padding, or an entry without a key
        note.strings.append({QString::fromUtf8(entry.left(eq)), QString::fromUtf8(entry.mid(eq + 1))});
    }
}

}

QString ElfVersionNote::value(const QString& key) const
{
    for (const auto& [k, v] : strings)
        if (k.compare(key, Qt::CaseInsensitive) == 0)
            return v;
    return QString();
}

ElfVersionNote ElfVersionNote::read(QIODevice& device)
{
    ElfVersionNote note;
    QByteArray ident;
    if (!readAt(device, 0, 16, ident) || !ident.startsWith("\x7F" "ELF"))
        return note;  // NotElf
    note.status = Status::Unreadable;
    const int elfClass = ident[4];  // 1: 32-bit, 2: 64-bit
    const int data = ident[5];      // 1: little-endian, 2: big-endian
    if ((elfClass != 1 && elfClass != 2) || (data != 1 && data != 2) || ident[6] != 1)
        return note;
    const bool is64 = elfClass == 2;
    const bool bigEndian = data == 2;

    // The section header table: where, how many, how large an entry.
    QByteArray header;
    if (!readAt(device, 0, is64 ? 64 : 52, header))
        return note;
    const Fields h(header, bigEndian);
    const quint64 shoff = is64 ? h.get(0x28, 8) : h.get(0x20, 4);
    const quint64 shentsize = h.get(is64 ? 0x3A : 0x2E, 2);
    const quint64 shnum = h.get(is64 ? 0x3C : 0x30, 2);
    const quint64 minEntry = is64 ? 64 : 40;
    if (shnum == 0 || shoff == 0) {
        note.status = Status::NoNote;  // no section headers (or more than 65279, not for a library of ours)
        return note;
    }
    // Entries are 40 or 64 bytes in practice; a larger one is allowed, but
    // not so large that the table could make us read gigabytes.
    if (shentsize < minEntry || shentsize > 256 || shnum > kMaxSections)
        return note;
    const quint64 fileSize = quint64(device.size());
    const quint64 tableSize = shentsize * shnum;  // at most 16 MiB
    if (shoff > fileSize || tableSize > fileSize - shoff)
        return note;
    QByteArray table;
    if (!readAt(device, qint64(shoff), qint64(tableSize), table))
        return note;
    const Fields s(table, bigEndian);

    bool broken = false;
    for (quint64 i = 0; i < shnum; ++i) {
        const qsizetype e = qsizetype(i * shentsize);
        if (s.get(e + 4, 4) != kSectionTypeNote)
            continue;
        const quint64 offset = is64 ? s.get(e + 0x18, 8) : s.get(e + 0x10, 4);
        const quint64 size = is64 ? s.get(e + 0x20, 8) : s.get(e + 0x14, 4);
        QByteArray section;
        if (size > quint64(kMaxNoteSectionBytes) || offset > fileSize || size > fileSize - offset
            || !readAt(device, qint64(offset), qint64(size), section)) {
            broken = true;
            continue;
        }
        QByteArray desc;
        switch (findOurNote(section, bigEndian, desc)) {
        case Walk::Found:
            note.status = Status::Found;
            parseDescriptor(desc, note);
            return note;
        case Walk::Broken:
            broken = true;
            break;
        case Walk::Absent:
            break;
        }
    }
    note.status = broken ? Status::Unreadable : Status::NoNote;
    return note;
}

}
