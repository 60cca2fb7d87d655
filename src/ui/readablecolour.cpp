// SPDX-License-Identifier: GPL-2.0-or-later
#include "readablecolour.h"

#include <cmath>

namespace trackmill {

namespace {

double channel(double c)
{
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const QColor& c)
{
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

}

double contrastRatio(const QColor& a, const QColor& b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableOn(const QColor& designed, const QColor& background, double minimumRatio)
{
    if (contrastRatio(designed, background) >= minimumRatio)
        return designed;
    const float hue = designed.hslHueF();
    const float saturation = designed.hslSaturationF();
    const float lightness = designed.lightnessF();
    // Step away from the designed lightness in both directions at once and
    // take the first that reads: the nearest readable shade of the colour.
    for (int step = 1; step <= 100; ++step) {
        const float delta = float(step) / 100.0f;
        for (const float l : {lightness + delta, lightness - delta}) {
            if (l < 0.0f || l > 1.0f)
                continue;
            const QColor candidate = QColor::fromHslF(hue < 0 ? 0 : hue, saturation, l);
            if (contrastRatio(candidate, background) >= minimumRatio)
                return candidate;
        }
    }
    return luminance(background) > 0.18 ? QColor(Qt::black) : QColor(Qt::white);
}

bool isDarkPalette(const QPalette& palette)
{
    return luminance(palette.color(QPalette::Base)) < luminance(palette.color(QPalette::Text));
}

}
