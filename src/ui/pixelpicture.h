// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QLabel>

namespace trackmill {

// A picture label for the small flags (16 by 11 pixels): shows its pixmap
// enlarged by the largest whole factor that fits the label, each source
// pixel a square of factor by factor, centred. Stretching to a size that is
// no multiple (48 by 32 from 11 lines) blurs the stripes of a flag.
class PixelPicture : public QLabel
{
    Q_OBJECT
public:
    explicit PixelPicture(QWidget* parent = nullptr);

    // The pixmap as it is painted at the label's present size.
    QPixmap shownPicture() const;

    // The largest whole factor by which `picture` fits into `room`; 1 when
    // it does not fit at all (it is then shown at its size, clipped).
    static int wholeFactor(QSize picture, QSize room);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}
