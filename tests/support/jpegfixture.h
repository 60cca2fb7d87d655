// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>

namespace trackmill::test {

// A JPEG picture of noise, width by height pixels at quality 100 (some 1.7
// bytes a pixel: 1600 by 1600 is larger than a mebibyte).
QByteArray noiseJpeg(int width, int height);

}
