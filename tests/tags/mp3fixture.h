// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace trackmill::test {

// A short valid MP3 stream (MPEG-1 Layer III, 44100 Hz stereo, 128 kbps CBR,
// no tags): a 440 Hz tone of the given length encoded by LAME. Encoded once
// per length and cached, since the tests compare against its bytes.
QByteArray sineMp3(int milliseconds = 500);

QByteArray readWholeFile(const QString& path);
bool writeWholeFile(const QString& path, const QByteArray& bytes);
// Names in a folder other than "." and "..".
QStringList folderEntries(const QString& folder);

}
