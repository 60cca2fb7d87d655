// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace trackmill::test {

// Deterministic test audio: a sweep with a little noise on each channel
// (different per channel, so stereo modes matter), as 16-bit PCM.
QByteArray makePcm16(long frames, int channels, int sampleRate, unsigned seed = 1);

// Writes a sound file through libsndfile (format = SF_FORMAT_* major |
// subtype) with the test audio; returns false on failure.
bool writeSoundFile(const QString& path, int format, int channels, int sampleRate, long frames);

// A canonical 44-byte-header WAV of 16-bit PCM, written byte by byte so a
// test can lie in its sizes: dataSize < 0 writes the true size, otherwise
// the given value; riffSize likewise.
QByteArray makeWavBytes(const QByteArray& pcm, int channels, int sampleRate,
                        long long dataSize = -1, long long riffSize = -1);

bool writeBytes(const QString& path, const QByteArray& bytes);

}
