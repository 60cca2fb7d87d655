// SPDX-License-Identifier: GPL-2.0-or-later
#include "pixelpicture.h"

#include <QPainter>

namespace trackmill {

PixelPicture::PixelPicture(QWidget* parent) : QLabel(parent) {}

int PixelPicture::wholeFactor(QSize picture, QSize room)
{
    if (picture.isEmpty() || room.isEmpty())
        return 1;
    return std::max(1, std::min(room.width() / picture.width(), room.height() / picture.height()));
}

QPixmap PixelPicture::shownPicture() const
{
    const QPixmap source = pixmap();
    if (source.isNull())
        return source;
    // The label's size in device pixels, so that a scale factor of 2 gives
    // twice the factor rather than a smoothed doubling by the paint engine.
    const qreal ratio = devicePixelRatioF();
    const QSize room = (QSizeF(contentsRect().size()) * ratio).toSize();
    const QSize own = (QSizeF(source.size()) / source.devicePixelRatio()).toSize();
    const int factor = wholeFactor(own, room);
    QPixmap shown = source.scaled(own * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    shown.setDevicePixelRatio(ratio);
    return shown;
}

void PixelPicture::paintEvent(QPaintEvent*)
{
    const QPixmap shown = shownPicture();
    if (shown.isNull())
        return;
    QPainter painter(this);
    const QSize logical = (QSizeF(shown.size()) / shown.devicePixelRatio()).toSize();
    const QRect area = contentsRect();
    painter.drawPixmap(area.x() + (area.width() - logical.width()) / 2,
                       area.y() + (area.height() - logical.height()) / 2, shown);
}

}
