// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace trackmill::test {

// A short valid MP3 stream (MPEG-1 Layer III, 44100 Hz stereo, 128 kbps CBR,
// no tags): a 440 Hz tone encoded by LAME.
QByteArray sineMp3(int milliseconds = 500);

QByteArray readWholeFile(const QString& path);
bool writeWholeFile(const QString& path, const QByteArray& bytes);

}
