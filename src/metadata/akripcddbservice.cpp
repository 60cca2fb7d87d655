// SPDX-License-Identifier: GPL-2.0-or-later
#include "akripcddbservice.h"

#include "akrip32.h"

#include <cstring>
#include <vector>

namespace trackmill {

namespace {

// The library's disc information buffer, as the design sizes it.
constexpr int kDiskInfoSize = 32000;

QString field(const char* text, std::size_t size)
{
    return QString::fromUtf8(text, qsizetype(strnlen(text, size)));
}

void copyField(char* out, std::size_t size, const QString& text)
{
    const QByteArray bytes = text.toUtf8().left(qsizetype(size - 1));
    std::memset(out, 0, size);
    std::memcpy(out, bytes.constData(), std::size_t(bytes.size()));
}

}

AkripCddbService::AkripCddbService(quint32 driveHandle)
    : m_handle(driveHandle)
{
}

void AkripCddbService::setOption(Option option, const QByteArray& text, int value)
{
    CDDBSetOption(int(option), text.constData(), value);
}

QList<CddbMatchRecord> AkripCddbService::query(int capacity)
{
    QList<CddbMatchRecord> matches;
    if (capacity <= 0)
        return matches;
    std::vector<CDDBQUERYITEM> items(static_cast<std::size_t>(capacity));
    std::memset(items.data(), 0, items.size() * sizeof(CDDBQUERYITEM));
    CDDBQUERY block;
    block.num = DWORD(capacity);
    block.q = items.data();
    CDDBQuery(m_handle, &block);
    const DWORD count = qMin<DWORD>(block.num, DWORD(capacity));
    for (DWORD i = 0; i < count; ++i) {
        const CDDBQUERYITEM& item = items[i];
        matches.append({field(item.categ, sizeof item.categ), field(item.cddbId, sizeof item.cddbId),
                        field(item.artist, sizeof item.artist), field(item.title, sizeof item.title)});
    }
    return matches;
}

std::optional<QString> AkripCddbService::diskInfo(const CddbMatchRecord& match)
{
    CDDBQUERYITEM item;
    std::memset(&item, 0, sizeof item);
    copyField(item.categ, sizeof item.categ, match.category);
    copyField(item.cddbId, sizeof item.cddbId, match.discId);
    copyField(item.artist, sizeof item.artist, match.artist);
    copyField(item.title, sizeof item.title, match.title);
    std::vector<char> buffer(kDiskInfoSize + 1, 0);
    if (CDDBGetDiskInfo(&item, buffer.data(), kDiskInfoSize) != 1)
        return std::nullopt;
    return QString::fromUtf8(buffer.data(), qsizetype(strnlen(buffer.data(), kDiskInfoSize)));
}

void AkripCddbService::cancel()
{
    CDDBCancel();
}

}
