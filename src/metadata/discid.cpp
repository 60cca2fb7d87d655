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

}
