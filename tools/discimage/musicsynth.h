// SPDX-License-Identifier: GPL-2.0-or-later
// Gentle generated music for the demo disc: a pad, a bass line and an
// arpeggio over a four-chord progression, with envelopes, in a key, mode
// and tempo chosen by the track number. Deterministic.
#pragma once

#include <cstdint>
#include <vector>

namespace trackmill::discimage {

class MusicSynth {
public:
    explicit MusicSynth(int track);
    // `frames` stereo samples at 44100 Hz, interleaved left/right.
    std::vector<int16_t> render(uint64_t frames) const;

private:
    struct Note {
        double freq;
        uint64_t start;    // samples
        uint64_t length;   // samples
        float amp;
        float pan;         // 0 left .. 1 right
        float attack;      // seconds
        float decay;       // seconds for the level to fall to 1/e
        float overtone;    // level of the second harmonic
    };
    std::vector<Note> score(uint64_t frames) const;

    int root_;      // MIDI note of the key
    bool minor_;
    double bpm_;
    int progression_;
    int pattern_;
};

}
