// SPDX-License-Identifier: GPL-2.0-or-later
#include "verinfores.h"

#include "peversionresource.h"

#include <QFile>
#include <QFileInfo>

namespace trackmill {

namespace {

const char* const kStringNames[TVerInfoRes::stringCount] = {
    "CompanyName",      "FileDescription", "FileVersion", "InternalName",
    "LegalCopyRight",   "LegalTrademarks", "OriginalFileName",
    "ProductName",      "ProductVersion",  "Comments",
};

}

const char* TVerInfoRes::stringName(StringIndex index)
{
    return index >= 0 && index < stringCount ? kStringNames[index] : "";
}

QString TVerInfoRes::noVersionMessage()
{
    return QStringLiteral("Information about version not included");
}

QString TVerInfoRes::noLanguageMessage()
{
    return QStringLiteral("Information about version language not included");
}

TVerInfoRes::TVerInfoRes(const QString& fileName) : m_fileName(fileName)
{
    QFile file(fileName);
    // A file that cannot be opened has no version information to offer;
    // neither has a pipe or a device, which could block or never end.
    if (!QFileInfo(fileName).isFile() || !file.open(QIODevice::ReadOnly))
        throw ENoVerInfoError(noVersionMessage());
    load(file);
}

TVerInfoRes::TVerInfoRes(QIODevice& device, const QString& fileName) : m_fileName(fileName)
{
    load(device);
}

void TVerInfoRes::load(QIODevice& device)
{
    const PeVersionResource resource = PeVersionResource::read(device);
    if (resource.status == PeVersionResource::Status::NotPe) {
        m_elf = ElfVersionNote::read(device);
        switch (m_elf.status) {
        case ElfVersionNote::Status::Found:
            return;
        case ElfVersionNote::Status::NotElf:
        case ElfVersionNote::Status::NoNote:
            throw ENoVerInfoError(noVersionMessage());
        case ElfVersionNote::Status::Unreadable:
            throw EverInfoError(noVersionMessage());
        }
    }
    switch (resource.status) {
    case PeVersionResource::Status::NotPe:
    case PeVersionResource::Status::NoVersion:
        throw ENoVerInfoError(noVersionMessage());
    case PeVersionResource::Status::Unreadable:
        throw EverInfoError(noVersionMessage());
    case PeVersionResource::Status::Found:
        break;
    }
    auto block = VersionBlock::parse(resource.block);
    if (!block)
        throw EverInfoError(noVersionMessage());
    m_block = std::move(*block);

    const auto translation = m_block.query(QStringLiteral("\\VarFileInfo\\Translation"));
    if (!translation || translation->bytes.size() < 4)
        throw EverInfoError(noLanguageMessage());
    const auto* p = reinterpret_cast<const uchar*>(translation->bytes.data());
    m_languageId = quint16(p[0] | (p[1] << 8));
    m_codePage = quint16(p[2] | (p[3] << 8));
}

QString TVerInfoRes::queryKey(StringIndex index) const
{
    return QString::asprintf("\\StringFileInfo\\%04X%04X\\", unsigned(m_languageId),
                             unsigned(m_codePage))
           + QLatin1String(stringName(index));
}

QString TVerInfoRes::value(StringIndex index) const
{
    if (index < 0 || index >= stringCount)
        return QString();
    if (isElfNote())
        return m_elf.value(QLatin1String(stringName(index)));
    const auto found = m_block.query(queryKey(index));
    return found ? VersionBlock::text(*found) : QString();
}

}
