// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace trackmill {

// The front cover of a disc as it goes into the tags and the album folder:
// a JPEG or PNG picture of at most kMaxEmbeddedBytes.
struct CoverArt
{
    static constexpr qint64 kMaxEmbeddedBytes = 1 << 20;

    QByteArray data;
    QByteArray mimeType;  // "image/jpeg" or "image/png"

    // "cover.jpg" or "cover.png".
    QString fileName() const;
    bool operator==(const CoverArt&) const = default;

    // The bytes of a downloaded or chosen picture: a JPEG that decodes
    // (scaled down by halves until it is small enough, then encoded
    // again) or a PNG small enough as it is. Nothing for anything else,
    // with the reason in *why.
    static std::optional<CoverArt> fromBytes(const QByteArray& bytes, QString* why = nullptr);
};

// Puts the cover into a folder as cover.jpg (cover.png) through a temporary
// file, so a full disk never leaves half a picture. A picture of that name
// already there is never replaced. An empty text when the folder holds the
// cover, else which file and why not.
QString writeCoverFile(const QString& folder, const CoverArt& cover);

// The width and height of a JPEG from its header; nothing when it is none.
std::optional<std::pair<int, int>> jpegSize(const QByteArray& jpeg);

}
