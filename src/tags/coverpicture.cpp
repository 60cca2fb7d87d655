// SPDX-License-Identifier: GPL-2.0-or-later
#include "coverpicture.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

namespace trackmill {

namespace {

// A picture file beyond this is no cover (and would take long to decode).
constexpr qint64 kMaxFileBytes = 64 << 20;
// The longest side a cover is shown or played with.
constexpr int kMaxSide = 1400;

QByteArray asJpeg(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return bytes;
}

}

std::optional<CoverArt> coverFromFile(const QString& path, QString* why)
{
    const auto fail = [&](const QString& reason) -> std::optional<CoverArt> {
        if (why)
            *why = path + QStringLiteral(": ") + reason;
        return std::nullopt;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    if (file.size() > kMaxFileBytes)
        return fail(QStringLiteral("larger than %1 bytes").arg(kMaxFileBytes));
    const QByteArray bytes = file.readAll();
    if (std::optional<CoverArt> cover = CoverArt::fromBytes(bytes))
        return cover;
    QImage image;
    if (!image.loadFromData(bytes))
        return fail(QStringLiteral("not a picture"));
    if (image.width() > kMaxSide || image.height() > kMaxSide)
        image = image.scaled(kMaxSide, kMaxSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    // Halved until the JPEG fits, as a large download is.
    for (;;) {
        const QByteArray jpeg = asJpeg(image.convertToFormat(QImage::Format_RGB888));
        if (jpeg.isEmpty())
            return fail(QStringLiteral("cannot be made a JPEG picture"));
        if (jpeg.size() <= CoverArt::kMaxEmbeddedBytes)
            return CoverArt::fromBytes(jpeg, why);
        if (image.width() < 64 || image.height() < 64)
            return fail(QStringLiteral("cannot be made small enough"));
        image = image.scaled(image.width() / 2, image.height() / 2, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
}

}
