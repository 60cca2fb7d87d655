// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QColor>
#include <QPalette>

namespace trackmill {

// The designed colours of the track grid (navy names, a white selection
// column, a navy header) were picked for the light Windows palette. On a
// dark palette they vanish into the background, so they are kept where they
// read well and replaced by a colour of the same hue that does where not.

// Contrast ratio of two colours as the web accessibility guidelines define
// it: (L1 + 0.05) / (L2 + 0.05) of their relative luminances, 1 to 21.
double contrastRatio(const QColor& a, const QColor& b);

// `designed` when it reaches `minimumRatio` against `background`, else the
// colour of the same hue and saturation whose lightness is nearest to the
// designed one and reaches it (black or white when no lightness does).
QColor readableOn(const QColor& designed, const QColor& background, double minimumRatio = 4.5);

// Whether a palette is a dark one: its base (the grid's background) is
// darker than its text.
bool isDarkPalette(const QPalette& palette);

}
