// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace trackmill {

// The 44-byte header of the WAV files the ripper writes: RIFF, one "fmt "
// chunk for 16-bit stereo PCM at 44100 Hz, then the "data" chunk with the
// raw sectors of the disc. All integers little-endian.
class WavHeader
{
public:
    static constexpr int kSize = 44;
    // 16-bit stereo: one sample frame is 4 bytes.
    static constexpr int kBlockAlign = 4;

    // The header for dataBytes of audio (a track of n sectors has
    // n × 2352 bytes). The RIFF size field holds dataBytes + 36.
    static QByteArray build(std::uint32_t dataBytes);

    // Makes the header of a WAV file written by the ripper tell the truth
    // about the audio behind it: a file cut short by an abort or a read
    // error announced the whole track. A half sample frame at the end is
    // cut off. Refuses (and leaves alone) a file that does not start with
    // this header's layout. On failure error gets the path and the reason.
    static bool fixSizes(const QString& path, QString* error = nullptr);
};

}
