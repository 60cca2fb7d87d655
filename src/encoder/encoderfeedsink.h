// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "rip/audiosink.h"

#include <functional>

namespace trackmill {

class TrackEncoder;

// The ripper's sink on the fly: every block read goes straight into the
// encoder's input while its worker encodes. No WAV file is written, so none
// is ever left behind after a finished or aborted track.
class EncoderFeedSink final : public AudioSink
{
public:
    // Starts the feed job for a track of trackBytes (sectors × 2352);
    // false with *error when the encoder refused.
    using StartJob = std::function<bool(quint64 trackBytes, QString* error)>;
    // Lets the user interface handle its events for at most `ms`
    // milliseconds, returning early when an event came (the job's end).
    using WaitForEvents = std::function<void(int ms)>;

    EncoderFeedSink(TrackEncoder& encoder, StartJob start, WaitForEvents wait);

    // Starts the job; the track is not ripped when that fails.
    bool begin(quint64 trackBytes, QString* error) override;
    // Offers the block until the encoder takes it, 10 ms apart; a job that
    // has ended (an encoder error) takes nothing more and the block is
    // dropped, so the read goes on to the end of the track.
    bool write(const char* data, qsizetype bytes, QString* error) override;
    // Done or aborted: ends the input and waits, 100 ms at a time with the
    // events handled, until the job is over. After a failed read the job is
    // left to the abort that follows.
    bool end(End how, QString* error) override;

    // Blocks refused at least once (the encoder was behind), and blocks
    // dropped because the job had ended.
    int refusals() const { return m_refusals; }
    int dropped() const { return m_dropped; }

    static constexpr int kRetryMs = 10;
    static constexpr int kFinalWaitMs = 100;

private:
    TrackEncoder& m_encoder;
    StartJob m_start;
    WaitForEvents m_wait;
    int m_refusals = 0;
    int m_dropped = 0;
};

}
