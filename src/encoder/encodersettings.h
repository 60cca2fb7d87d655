// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "gogoteatypes.h"

#include <QString>

namespace trackmill {

class Settings;
class TGogoTea;

// Every encoder property the settings decide, as one value: what
// SetPrimaryAndSecondarySettings copies into the component before a job.
struct EncoderProperties
{
    int BitRate = 128;  // kbps
    TVBRBitrate VBRBitrate;
    int VBRLevel = 5;
    TEncodeType EncodeType = _JOINT;
    TThreadPriority Priority = tpIdle;
    TEmphasis Emphasis = _NO_EMPH;
    bool UseVBR = false;
    bool UsePsyAnalize = false;
    bool UseLPF = false;
    TUseUnits Optimization;
    bool UseMPEG2 = false;
    TExtFilter ExtFilter;
    TMSSetting MSSetting;
    int Processors = 1;

    // What the component holds now.
    static EncoderProperties of(const TGogoTea& tea);
    // Copies every property into the component (it must be idle).
    void applyTo(TGogoTea& tea) const;

    bool operator==(const EncoderProperties&) const = default;
};

// The mapping of the user's settings onto the encoder.
class EncoderSettings
{
public:
    // The bitrate a run falls back to when no MPEG version or no bitrate
    // entry is chosen yet: MPEG-1 at 128 kbps.
    static constexpr int kFallbackBitrate = 128;

    // The settings applied over `current` (lists with no entry, or an
    // entry the component has no value for, keep the current value). When
    // no MPEG version or bitrate entry is chosen the job runs MPEG-1 at
    // 128 kbps, and *note (when given) gets the line saying so; likewise a
    // VBR range without its upper entry runs up to the top of the table.
    static EncoderProperties Map(const Settings& settings, EncoderProperties current, QString* note = nullptr);

    // Reads the component, maps, writes it back. Returns the note of Map
    // (empty when the settings were complete).
    static QString SetPrimaryAndSecondarySettings(const Settings& settings, TGogoTea& tea);

    // The Priority list's entry onto the component's level: 0 "Idle",
    // 1 "Lower", 2 "Lowest", 3 "Normal", 4 "High", 5 "Higher", 6 "Highest",
    // 7 "Time critical" (the highest the system grants). False for no entry.
    static bool PriorityFor(int entry, TThreadPriority& priority);

    // "128kbps": the value of the checked MPEG version's table at the entry
    // (MPEG-1 unless MPEG-2 is checked), no spaces; empty for no entry.
    static QString GetBitrate(const Settings& settings, int index);
};

}
