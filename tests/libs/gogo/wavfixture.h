// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace trackmill::test {

// A noisy sweep, different per channel (so stereo modes matter), as 16-bit PCM.
QByteArray makePcm16(long frames, int channels, int sampleRate, unsigned seed = 1);

// The same audio through libsndfile (format: SF_FORMAT_* major | subtype).
bool writeSoundFile(const QString& path, int format, int channels, int sampleRate, long frames);

// A 44-byte-header WAV of 16-bit PCM that may lie in its sizes (< 0: the true size).
QByteArray makeWavBytes(const QByteArray& pcm, int channels, int sampleRate,
                        long long dataSize = -1, long long riffSize = -1);

bool writeBytes(const QString& path, const QByteArray& bytes);

}
