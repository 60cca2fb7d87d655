// SPDX-License-Identifier: GPL-2.0-or-later
#include "musicsynth.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace trackmill::discimage {

namespace {

constexpr double kRate = 44100.0;
constexpr int kTableBits = 12;
constexpr double kPi = 3.14159265358979323846;

const std::array<float, 1 << kTableBits>& sineTable()
{
    static const auto table = [] {
        std::array<float, 1 << kTableBits> t {};
        for (size_t i = 0; i < t.size(); ++i)
            t[i] = static_cast<float>(std::sin(2 * kPi * static_cast<double>(i) / static_cast<double>(t.size())));
        return t;
    }();
    return table;
}

double midiToHz(int note)
{
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

constexpr std::array<int, 7> kMajor {0, 2, 4, 5, 7, 9, 11};
constexpr std::array<int, 7> kMinor {0, 2, 3, 5, 7, 8, 10};

// Scale degrees (0 = tonic) of the four chords of each progression.
constexpr std::array<std::array<int, 4>, 6> kProgressions {{
    {0, 4, 5, 3}, // I V vi IV
    {5, 3, 0, 4}, // vi IV I V
    {0, 5, 3, 4}, // I vi IV V
    {1, 4, 0, 5}, // ii V I vi
    {0, 3, 6, 2}, // (minor) i iv VII III
    {0, 5, 2, 6}, // (minor) i VI III VII
}};

// Arpeggio steps over the chord tones (3 = the root an octave up).
constexpr std::array<std::array<int, 8>, 4> kPatterns {{
    {0, 1, 2, 3, 2, 1, 0, 1},
    {0, 2, 1, 3, 1, 2, 0, 2},
    {0, 1, 2, 1, 3, 2, 1, 2},
    {3, 2, 1, 0, 1, 2, 3, 2},
}};

}

MusicSynth::MusicSynth(int track)
{
    const int n = track < 1 ? 0 : track - 1;
    static constexpr std::array<int, 10> roots {60, 67, 62, 65, 57, 64, 59, 63, 61, 58};
    static constexpr std::array<double, 10> tempos {96, 84, 112, 72, 104, 120, 80, 92, 108, 76};
    root_ = roots[n % roots.size()];
    minor_ = n % 3 == 2;
    bpm_ = tempos[(n * 3) % tempos.size()];
    progression_ = minor_ ? 4 + n % 2 : n % 4;
    pattern_ = (n / 2) % static_cast<int>(kPatterns.size());
}

std::vector<MusicSynth::Note> MusicSynth::score(uint64_t frames) const
{
    std::vector<Note> notes;
    const auto& scale = minor_ ? kMinor : kMajor;
    const double beat = 60.0 / bpm_ * kRate;
    const uint64_t bar = static_cast<uint64_t>(beat * 4);
    // Slow pieces get sixteenth notes so the arpeggio keeps moving.
    const int stepsPerBeat = bpm_ < 90 ? 4 : 2;
    const uint64_t step = static_cast<uint64_t>(beat / stepsPerBeat);
    auto noteOf = [&](int degree, int octave) {
        const int d = ((degree % 7) + 7) % 7;
        return root_ + scale[d] + 12 * (octave + (degree >= 7 ? 1 : 0));
    };

    for (uint64_t b = 0; b * bar < frames; ++b) {
        const int degree = kProgressions[progression_][b % 4];
        const uint64_t at = b * bar;
        const std::array<int, 4> chord {noteOf(degree, 0), noteOf(degree + 2, 0), noteOf(degree + 4, 0),
                                        noteOf(degree, 1)};
        // Pad: the triad an octave down, soft attack, sustained over the bar.
        for (int i = 0; i < 3; ++i)
            notes.push_back({midiToHz(chord[i] - 12) * (1.0 + 0.0007 * (i - 1)), at, bar + bar / 4, 0.05f,
                             0.3f + 0.2f * static_cast<float>(i), 0.35f, 2.5f, 0.15f});
        // Bass on beats one and three.
        for (int half = 0; half < 2; ++half)
            notes.push_back({midiToHz(chord[0] - 24), at + static_cast<uint64_t>(half * 2 * beat),
                             static_cast<uint64_t>(1.9 * beat), 0.22f, 0.5f, 0.01f, 0.7f, 0.25f});
        // Arpeggio, gently panned from side to side, the first note of each
        // beat a little louder.
        const int steps = 4 * stepsPerBeat;
        for (int s = 0; s < steps; ++s) {
            const int tone = kPatterns[pattern_][s % 8];
            const float accent = s % stepsPerBeat == 0 ? 1.0f : 0.75f;
            notes.push_back({midiToHz(chord[tone]), at + static_cast<uint64_t>(s) * step, step * 3, 0.11f * accent,
                             0.5f + 0.3f * static_cast<float>(std::sin(s * kPi / 8)), 0.004f, 0.35f, 0.3f});
        }
    }
    return notes;
}

std::vector<int16_t> MusicSynth::render(uint64_t frames) const
{
    std::vector<float> left(frames, 0.0f), right(frames, 0.0f);
    const auto& table = sineTable();
    constexpr uint32_t shift = 32 - kTableBits;

    for (const Note& note : score(frames)) {
        if (note.start >= frames)
            continue;
        const uint64_t end = std::min<uint64_t>(frames, note.start + note.length);
        const uint32_t inc = static_cast<uint32_t>(note.freq / kRate * 4294967296.0);
        const uint64_t attack = std::max<uint64_t>(1, static_cast<uint64_t>(note.attack * kRate));
        const float fall = static_cast<float>(std::exp(-1.0 / (note.decay * kRate)));
        // The last 20 ms fade to zero so no note ends with a click.
        const uint64_t release = std::min<uint64_t>(note.length / 2, static_cast<uint64_t>(0.02 * kRate));
        const float gl = note.amp * std::sqrt(1.0f - note.pan), gr = note.amp * std::sqrt(note.pan);
        uint32_t phase = 0;
        float level = 1.0f;
        for (uint64_t i = note.start; i < end; ++i) {
            const uint64_t t = i - note.start;
            float env = t < attack ? static_cast<float>(t) / static_cast<float>(attack) : (level *= fall);
            const uint64_t remaining = note.length - t;
            if (remaining < release)
                env *= static_cast<float>(remaining) / static_cast<float>(release);
            const float v = (table[phase >> shift] + note.overtone * table[(phase * 2) >> shift]) * env;
            left[i] += v * gl;
            right[i] += v * gr;
            phase += inc;
        }
    }

    // Fade the piece in over half a second and out over its last three.
    const uint64_t fadeIn = std::min<uint64_t>(frames / 4, static_cast<uint64_t>(0.5 * kRate));
    const uint64_t fadeOut = std::min<uint64_t>(frames / 4, static_cast<uint64_t>(3.0 * kRate));
    float peak = 1e-6f;
    for (uint64_t i = 0; i < frames; ++i) {
        float g = 1.0f;
        if (i < fadeIn)
            g = static_cast<float>(i) / static_cast<float>(fadeIn);
        if (frames - i <= fadeOut)
            g *= static_cast<float>(frames - i) / static_cast<float>(fadeOut + 1);
        left[i] *= g;
        right[i] *= g;
        peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
    }
    // Peaks at about -6 dB: pleasant, and never clipped.
    const float scale = 16000.0f / peak;
    std::vector<int16_t> out(frames * 2);
    for (uint64_t i = 0; i < frames; ++i) {
        out[2 * i] = static_cast<int16_t>(std::lrint(left[i] * scale));
        out[2 * i + 1] = static_cast<int16_t>(std::lrint(right[i] * scale));
    }
    return out;
}

}
