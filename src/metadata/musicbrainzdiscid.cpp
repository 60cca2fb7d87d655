// SPDX-License-Identifier: GPL-2.0-or-later
#include "musicbrainzdiscid.h"

#include <QStringList>
#include <discid/discid.h>

#include <array>
#include <memory>

namespace trackmill {

namespace {

constexpr int kLeadIn = 150;          // frames before track 1's block address 0
constexpr BYTE kDataControl = 0x14;
// The library reports an Enhanced CD's data track 11250 sectors after the
// end of the audio (so the program's own rule gives the audio's length).
constexpr int kReportedSessionGap = 11250;

int address(const TOCTRACK& t)
{
    return int((quint32(t.addr[0]) << 24) | (quint32(t.addr[1]) << 16) | (quint32(t.addr[2]) << 8) | t.addr[3]);
}

}

QString MusicBrainzToc::text(QChar separator) const
{
    QStringList parts{QString::number(first), QString::number(last), QString::number(leadOut)};
    for (int offset : offsets)
        parts.append(QString::number(offset));
    return parts.join(separator);
}

std::optional<MusicBrainzToc> musicBrainzToc(const TOC& toc)
{
    if (toc.firstTrack < 1 || toc.lastTrack < toc.firstTrack || toc.lastTrack > 99)
        return std::nullopt;
    const int count = toc.lastTrack - toc.firstTrack + 1;
    // Trailing data tracks go; the audio then ends before the first of them.
    int audio = count;
    while (audio > 0 && toc.tracks[audio - 1].ADR == kDataControl)
        --audio;
    if (audio == 0)
        return std::nullopt;
    MusicBrainzToc mb;
    mb.first = toc.firstTrack;
    mb.last = toc.firstTrack + audio - 1;
    for (int i = 0; i < audio; ++i) {
        const int start = address(toc.tracks[i]);
        if (start < 0 || (!mb.offsets.isEmpty() && start + kLeadIn <= mb.offsets.back()))
            return std::nullopt;
        mb.offsets.append(start + kLeadIn);
    }
    const int end = audio < count ? address(toc.tracks[audio]) - kReportedSessionGap : address(toc.tracks[count]);
    if (end + kLeadIn <= mb.offsets.back())
        return std::nullopt;
    mb.leadOut = end + kLeadIn;
    return mb;
}

std::optional<QString> musicBrainzDiscId(const MusicBrainzToc& toc)
{
    if (toc.offsets.size() != toc.last - toc.first + 1 || toc.first < 1 || toc.last > 99)
        return std::nullopt;
    std::array<int, 100> offsets{};
    offsets[0] = toc.leadOut;
    for (int i = 0; i < toc.offsets.size(); ++i)
        offsets[size_t(toc.first + i)] = toc.offsets[i];
    const std::unique_ptr<DiscId, decltype(&discid_free)> disc(discid_new(), &discid_free);
    if (!disc || !discid_put(disc.get(), toc.first, toc.last, offsets.data()))
        return std::nullopt;
    return QString::fromLatin1(discid_get_id(disc.get()));
}

}
