// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <cstdint>
#include <initializer_list>

namespace trackmill {

// The value types of the encoder component's properties. The enums have a
// fixed underlying type: an index from a list with nothing selected (-1)
// is a valid value that the component maps safely.

enum TEmphasis : int { _NO_EMPH, _5015MS_EMPH, _CCITT_EMPH };

// Processor extensions; a set of them is stored as one byte, bit n = member n.
enum TUseUnit : int { _USE_MMX, _USE_3DNOW, _USE_KNI, _USE_EX_3DNOW, _USE_SPC1, _USE_SPC2 };

class TUseUnits
{
public:
    constexpr TUseUnits() = default;
    constexpr TUseUnits(std::initializer_list<TUseUnit> units)
    {
        for (TUseUnit u : units)
            m_bits |= bit(u);
    }
    static constexpr TUseUnits fromByte(uint8_t bits)
    {
        TUseUnits s;
        s.m_bits = bits & 0x3F;
        return s;
    }
    constexpr uint8_t toByte() const { return m_bits; }
    constexpr bool contains(TUseUnit u) const { return m_bits & bit(u); }
    constexpr void include(TUseUnit u) { m_bits |= bit(u); }
    constexpr void exclude(TUseUnit u) { m_bits &= static_cast<uint8_t>(~bit(u)); }
    constexpr bool operator==(const TUseUnits&) const = default;

private:
    static constexpr uint8_t bit(TUseUnit u) { return static_cast<uint8_t>(1u << u); }
    uint8_t m_bits = 0;
};

enum TEncodeType : int { _MONO, _STEREO, _JOINT, _MSSTEREO, _DUALCHANNEL };

// tpPlatformHighest is ours: the settings list's eighth entry, "Time
// critical", the highest priority the system grants this process.
enum TThreadPriority : int {
    tpIdle,
    tpLowest,
    tpLower,
    tpNormal,
    tpHigher,
    tpHighest,
    tpTimeCritical,
    tpPlatformHighest
};

enum TEncodeMode : int { _FILE, _MEMORY };

enum TEncodeFormat : int { _FORMAT_OF_MP3, _FORMAT_OF_RIFF_WAVE, _FORMAT_OF_RIFF_RMP };

// Filter bands A (low) and B (high), 0..100.
struct TExtFilter
{
    bool Enabled = false;
    int Low = 55;
    int High = 70;
    bool operator==(const TExtFilter&) const = default;
};

// VBR bitrate range in kbps.
struct TVBRBitrate
{
    bool Enabled = false;
    int Low = 40;
    int High = 128;
    bool operator==(const TVBRBitrate&) const = default;
};

// Mid/side stereo decision, 0..100 each.
struct TMSSetting
{
    bool Enabled = false;
    int Threshold = 75;
    int Power = 66;
    bool operator==(const TMSSetting&) const = default;
};

}
