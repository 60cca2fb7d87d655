// SPDX-License-Identifier: GPL-2.0-or-later
#include "peversionresource.h"

#include <QIODevice>
#include <algorithm>
#include <optional>

namespace trackmill {

namespace {

// PE layout facts (offsets in bytes).
constexpr qint64 kDosHeaderBytes = 64;
constexpr qint64 kNewHeaderPointer = 0x3C;     // e_lfanew in the DOS header
constexpr qint64 kPeHeaderBytes = 24;           // "PE\0\0" and the COFF file header
constexpr qint64 kSectionBytes = 40;
constexpr int kResourceDirectory = 2;           // index in the data directories
constexpr quint32 kVersionType = 16;            // RT_VERSION
constexpr quint32 kVersionName = 1;             // VS_VERSION_INFO
constexpr quint32 kHighBit = 0x80000000u;
// The root node's length is 16 bits, so a version block never needs more.
constexpr qint64 kMaxBlockBytes = 0x10000;

quint16 u16(const QByteArray& b, qint64 at)
{
    const auto* p = reinterpret_cast<const uchar*>(b.constData()) + at;
    return quint16(p[0] | (p[1] << 8));
}

quint32 u32(const QByteArray& b, qint64 at)
{
    const auto* p = reinterpret_cast<const uchar*>(b.constData()) + at;
    return quint32(p[0]) | (quint32(p[1]) << 8) | (quint32(p[2]) << 16) | (quint32(p[3]) << 24);
}

class PeReader
{
public:
    explicit PeReader(QIODevice& device) : m_device(device), m_size(device.size()) {}

    // Exactly `count` bytes at `offset`, or nothing when they are not all in the file.
    std::optional<QByteArray> readAt(qint64 offset, qint64 count)
    {
        if (offset < 0 || count < 0 || offset > m_size || count > m_size - offset)
            return std::nullopt;
        if (!m_device.seek(offset))
            return std::nullopt;
        QByteArray bytes = m_device.read(count);
        if (bytes.size() != count)
            return std::nullopt;
        return bytes;
    }

    // The file offset of `count` bytes at a relative virtual address, when
    // one section's raw data holds all of them.
    std::optional<qint64> fileOffset(quint64 rva, quint64 count) const
    {
        for (qint64 at = 0; at + kSectionBytes <= m_sections.size(); at += kSectionBytes) {
            const quint64 virtualAddress = u32(m_sections, at + 12);
            const quint64 rawSize = u32(m_sections, at + 16);
            const quint64 rawPointer = u32(m_sections, at + 20);
            if (rva >= virtualAddress && rva - virtualAddress + count <= rawSize)
                return qint64(rawPointer + (rva - virtualAddress));
        }
        return std::nullopt;
    }

    std::optional<QByteArray> readRva(quint64 rva, quint64 count)
    {
        const auto offset = fileOffset(rva, count);
        if (!offset)
            return std::nullopt;
        return readAt(*offset, qint64(count));
    }

    QByteArray m_sections;

private:
    QIODevice& m_device;
    qint64 m_size;
};

struct DirectoryEntry
{
    quint32 name;    // an id, or a string offset when the high bit is set
    quint32 target;  // a subdirectory when the high bit is set, else a data entry
};

// Entries of the resource directory at `offset` from the resource section's start.
std::optional<QList<DirectoryEntry>> readDirectory(PeReader& pe, quint64 resourceRva, quint64 offset)
{
    const auto header = pe.readRva(resourceRva + offset, 16);
    if (!header)
        return std::nullopt;
    const quint64 count = quint64(u16(*header, 12)) + u16(*header, 14);
    const auto entries = pe.readRva(resourceRva + offset + 16, count * 8);
    if (!entries)
        return std::nullopt;
    QList<DirectoryEntry> result;
    result.reserve(qsizetype(count));
    for (quint64 i = 0; i < count; ++i)
        result.append({u32(*entries, qint64(i * 8)), u32(*entries, qint64(i * 8 + 4))});
    return result;
}

const DirectoryEntry* findId(const QList<DirectoryEntry>& entries, quint32 id, bool subdirectory)
{
    for (const DirectoryEntry& e : entries)
        if (e.name == id && bool(e.target & kHighBit) == subdirectory)
            return &e;
    return nullptr;
}

const DirectoryEntry* first(const QList<DirectoryEntry>& entries, bool subdirectory)
{
    for (const DirectoryEntry& e : entries)
        if (bool(e.target & kHighBit) == subdirectory)
            return &e;
    return nullptr;
}

}

PeVersionResource PeVersionResource::read(QIODevice& device)
{
    using S = Status;
    PeVersionResource result;
    PeReader pe(device);

    const auto dos = pe.readAt(0, kDosHeaderBytes);
    if (!dos || !dos->startsWith("MZ"))
        return result;
    const qint64 peOffset = u32(*dos, kNewHeaderPointer);
    const auto header = pe.readAt(peOffset, kPeHeaderBytes);
    if (!header || !header->startsWith(QByteArrayView("PE\0\0", 4)))
        return result;
    const qint64 sectionCount = u16(*header, 6);
    const qint64 optionalSize = u16(*header, 20);
    const qint64 optionalOffset = peOffset + kPeHeaderBytes;
    const auto optional = pe.readAt(optionalOffset, optionalSize);
    if (!optional || optionalSize < 2)
        return result;

    // The data directories follow the fixed fields, which PE32+ widens.
    qint64 countAt = 0;
    switch (u16(*optional, 0)) {
    case 0x10B: countAt = 92; break;   // PE32
    case 0x20B: countAt = 108; break;  // PE32+
    default: return result;
    }
    result.status = S::NoVersion;
    const qint64 directoriesAt = countAt + 4;
    const qint64 resourceAt = directoriesAt + kResourceDirectory * 8;
    if (optionalSize < resourceAt + 8 || u32(*optional, countAt) <= quint32(kResourceDirectory))
        return result;
    const quint64 resourceRva = u32(*optional, resourceAt);
    if (resourceRva == 0)
        return result;

    const auto sections = pe.readAt(optionalOffset + optionalSize, sectionCount * kSectionBytes);
    if (!sections)
        return result;
    pe.m_sections = *sections;

    // Three levels: type, name, language.
    const auto types = readDirectory(pe, resourceRva, 0);
    const DirectoryEntry* type = types ? findId(*types, kVersionType, true) : nullptr;
    if (!type)
        return result;
    const auto names = readDirectory(pe, resourceRva, type->target & ~kHighBit);
    if (!names)
        return result;
    const DirectoryEntry* name = findId(*names, kVersionName, true);
    if (!name)
        name = first(*names, true);
    if (!name)
        return result;
    const auto languages = readDirectory(pe, resourceRva, name->target & ~kHighBit);
    const DirectoryEntry* language = languages ? first(*languages, false) : nullptr;
    if (!language)
        return result;
    const auto dataEntry = pe.readRva(resourceRva + language->target, 16);
    if (!dataEntry)
        return result;
    const quint64 dataRva = u32(*dataEntry, 0);  // relative to the image, not to the section
    const quint64 dataSize = std::min<quint64>(u32(*dataEntry, 4), kMaxBlockBytes);
    if (dataSize == 0)
        return result;

    const auto block = pe.readRva(dataRva, dataSize);
    if (!block) {
        result.status = S::Unreadable;
        return result;
    }
    result.status = S::Found;
    result.block = *block;
    return result;
}

}
