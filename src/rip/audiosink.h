// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

namespace trackmill {

// Where the track ripper puts the audio it reads: a WAV file, or (on the
// fly) a WAV file and the encoder's input. Blocks arrive in disc order as
// raw 16-bit little-endian stereo, at most 26 sectors of 2352 bytes each.
class AudioSink
{
public:
    enum class End {
        Complete, // every sector of the track was delivered
        Aborted,  // the user stopped the batch
        Failed,   // a read or a write failed; the batch stops
    };

    virtual ~AudioSink() = default;

    // Called once, before the first block, with the size of the whole track
    // (sectors × 2352). On false the track is not ripped and *error names
    // the file (or other target) and the reason.
    virtual bool begin(quint64 trackBytes, QString* error) = 0;
    // One block of audio. On false the track stops as failed and *error
    // names the target and the reason.
    virtual bool write(const char* data, qsizetype bytes, QString* error) = 0;
    // Called once after a successful begin, when reading is over. On false
    // *error names the target and the reason.
    virtual bool end(End how, QString* error) = 0;
};

}
