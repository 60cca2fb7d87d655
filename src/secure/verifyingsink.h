// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "rip/audiosink.h"
#include "trackchecksums.h"

namespace trackmill {

// Passes a track's audio on to another sink and takes its checksums on the
// way: what the checksums cover is exactly what the file received.
class VerifyingSink final : public AudioSink
{
public:
    VerifyingSink(AudioSink& inner, bool firstAudio, bool lastAudio);

    bool begin(quint64 trackBytes, QString* error) override;
    bool write(const char* data, qsizetype bytes, QString* error) override;
    bool end(End how, QString* error) override;

    const TrackChecksums& checksums() const { return m_sums; }

private:
    AudioSink& m_inner;
    bool m_first;
    bool m_last;
    TrackChecksums m_sums;
};

}
