// SPDX-License-Identifier: GPL-2.0-or-later
#include "encodersettings.h"

#include "gogotea.h"
#include "settings/settings.h"

#include <algorithm>

namespace trackmill {

namespace {

// Track bar positions and the component's ranges are 0..100.
int percent(int position)
{
    return std::clamp(position, 0, 100);
}

}

EncoderProperties EncoderProperties::of(const TGogoTea& tea)
{
    EncoderProperties p;
    p.BitRate = tea.BitRate();
    p.VBRBitrate = tea.VBRBitrate();
    p.VBRLevel = tea.VBRLevel();
    p.EncodeType = tea.EncodeType();
    p.Priority = tea.Priority();
    p.Emphasis = tea.Emphasis();
    p.UseVBR = tea.UseVBR();
    p.UsePsyAnalize = tea.UsePsyAnalize();
    p.UseLPF = tea.UseLPF();
    p.Optimization = tea.Optimization();
    p.UseMPEG2 = tea.UseMPEG2();
    p.ExtFilter = tea.ExtFilter();
    p.MSSetting = tea.MSSetting();
    p.Processors = tea.Processors();
    return p;
}

void EncoderProperties::applyTo(TGogoTea& tea) const
{
    tea.setBitRate(BitRate);
    tea.setVBRBitrate(VBRBitrate);
    tea.setVBRLevel(VBRLevel);
    tea.setEncodeType(EncodeType);
    tea.setPriority(Priority);
    tea.setEmphasis(Emphasis);
    tea.setUseVBR(UseVBR);
    tea.setUsePsyAnalize(UsePsyAnalize);
    tea.setUseLPF(UseLPF);
    tea.setOptimization(Optimization);
    tea.setUseMPEG2(UseMPEG2);
    tea.setExtFilter(ExtFilter);
    tea.setMSSetting(MSSetting);
    tea.setProcessors(Processors);
}

bool EncoderSettings::PriorityFor(int entry, TThreadPriority& priority)
{
    // The list's order is not the component's: "Lower" comes before "Lowest".
    static constexpr TThreadPriority levels[] = {tpIdle,    tpLower,   tpLowest,       tpNormal,
                                                 tpHigher,  tpHighest, tpTimeCritical, tpPlatformHighest};
    if (entry < 0 || entry >= int(std::size(levels)))
        return false;
    priority = levels[entry];
    return true;
}

QString EncoderSettings::GetBitrate(const Settings& settings, int index)
{
    const auto version = settings.mpegVersion == Settings::MpegVersion::Mpeg2 ? Settings::MpegVersion::Mpeg2
                                                                              : Settings::MpegVersion::Mpeg1;
    return QString::fromLatin1(Settings::bitrateText(version, index));
}

EncoderProperties EncoderSettings::Map(const Settings& s, EncoderProperties p, QString* note)
{
    using V = Settings::MpegVersion;
    const QList<int>& table = Settings::bitrateTable(s.mpegVersion);
    const auto valid = [&](int index) { return index >= 0 && index < table.size(); };

    // Without a version or a bitrate entry there is no value to send; the
    // run goes on at MPEG-1, 128 kbps rather than at whatever was left.
    const bool complete = s.mpegVersion != V::None && valid(s.bitrate);
    QStringList notes;
    if (complete) {
        p.BitRate = table[s.bitrate];
        p.UseMPEG2 = s.mpegVersion == V::Mpeg2;
    } else {
        p.BitRate = kFallbackBitrate;
        p.UseMPEG2 = false;
        notes << QStringLiteral("No MPEG version or bitrate chosen: encoding as MPEG-1 at %1 kbps.")
                     .arg(kFallbackBitrate);
    }

    if (s.vbrRatio) {
        const QList<int>& rangeTable = complete ? table : Settings::bitrateTable(V::Mpeg1);
        p.VBRBitrate.Enabled = true;
        p.VBRBitrate.Low = p.BitRate;
        if (complete && valid(s.bitrateMax)) {
            p.VBRBitrate.High = table[s.bitrateMax];
        } else {
            p.VBRBitrate.High = rangeTable.last();
            notes << QStringLiteral("No upper VBR bitrate chosen: the range goes up to %1 kbps.")
                         .arg(p.VBRBitrate.High);
        }
    }

    if (s.vbr >= 0 && s.vbr <= 9)
        p.VBRLevel = s.vbr;
    if (s.quality >= _MONO && s.quality <= _DUALCHANNEL)
        p.EncodeType = TEncodeType(s.quality);
    PriorityFor(s.priority, p.Priority);
    if (s.emphasis >= _NO_EMPH && s.emphasis <= _CCITT_EMPH)
        p.Emphasis = TEmphasis(s.emphasis);

    p.UseVBR = s.vbrRatio;
    p.UsePsyAnalize = s.usePsy;
    p.UseLPF = s.useLpf16;

    for (TUseUnit unit : {_USE_MMX, _USE_3DNOW, _USE_KNI, _USE_EX_3DNOW}) {
        if (s.useMmx3dnow)
            p.Optimization.include(unit);
        else
            p.Optimization.exclude(unit);
    }

    p.ExtFilter.Enabled = s.extendedFilterCbr;
    if (s.extendedFilterCbr) {
        p.ExtFilter.Low = percent(s.filterCbrLow);
        p.ExtFilter.High = percent(s.filterCbrHigh);
    }
    p.MSSetting.Enabled = s.extendedFilterMsStereo;
    if (s.extendedFilterMsStereo) {
        p.MSSetting.Power = percent(s.filterMsPower);
        p.MSSetting.Threshold = percent(s.filterMsThreshold);
    }
    p.Processors = s.multiCpu ? 4 : 1;

    if (note)
        *note = notes.join(QLatin1Char(' '));
    return p;
}

QString EncoderSettings::SetPrimaryAndSecondarySettings(const Settings& settings, TGogoTea& tea)
{
    QString note;
    Map(settings, EncoderProperties::of(tea), &note).applyTo(tea);
    return note;
}

}
