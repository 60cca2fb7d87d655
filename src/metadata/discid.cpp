// SPDX-License-Identifier: GPL-2.0-or-later
#include "discid.h"

namespace trackmill {

namespace {
constexpr quint8 kDataTrack = 0x14;
constexpr qsizetype kTocHeader = 4;   // length (2 bytes), first and last track
constexpr qsizetype kTocEntry = 8;
constexpr int kMaxTracks = 99;
}

QString cdPlayerDiscId(const QList<TocAddress>& tracks)
{
    quint32 sum = 0;
    for (const TocAddress& track : tracks)
        if (track.control != kDataTrack)
            sum += track.address; // wraps modulo 2^32 by design
    return QStringLiteral("%1").arg(sum, 4, 16, QLatin1Char('0')).toUpper();
}

QString cdPlayerDiscIdFromToc(QByteArrayView toc)
{
    QList<TocAddress> tracks;
    if (toc.size() >= kTocHeader) {
        const int first = quint8(toc[2]);
        const int last = quint8(toc[3]);
        const int count = qMin(last - first + 1, kMaxTracks);
        for (int i = 0; i < count; ++i) {
            const qsizetype at = kTocHeader + i * kTocEntry;
            if (at + kTocEntry > toc.size())
                break;
            TocAddress track;
            track.control = quint8(toc[at + 1]);
            track.address = (quint32(quint8(toc[at + 4])) << 24) | (quint32(quint8(toc[at + 5])) << 16)
                            | (quint32(quint8(toc[at + 6])) << 8) | quint32(quint8(toc[at + 7]));
            tracks.append(track);
        }
    }
    return cdPlayerDiscId(tracks);
}

std::optional<QString> cddbDiscId(const QList<qint64>& trackStarts, qint64 leadOut)
{
    // 75 sectors a second; the 2 s lead-in counts into every offset.
    constexpr qint64 kLeadIn = 150;
    constexpr qint64 kSectorsPerSecond = 75;
    if (trackStarts.isEmpty() || trackStarts.size() > kMaxTracks)
        return std::nullopt;
    qint64 previous = -1;
    quint32 digitSum = 0;
    for (qint64 start : trackStarts) {
        if (start < 0 || start <= previous)
            return std::nullopt;
        previous = start;
        for (qint64 seconds = (start + kLeadIn) / kSectorsPerSecond; seconds > 0; seconds /= 10)
            digitSum += quint32(seconds % 10);
    }
    if (leadOut <= previous)
        return std::nullopt;
    const quint32 length = quint32((leadOut + kLeadIn) / kSectorsPerSecond
                                   - (trackStarts.first() + kLeadIn) / kSectorsPerSecond);
    const quint32 id = ((digitSum % 255) << 24) | ((length & 0xFFFF) << 8) | quint32(trackStarts.size());
    return QStringLiteral("%1").arg(id, 8, 16, QLatin1Char('0'));
}

}
