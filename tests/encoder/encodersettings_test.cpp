// SPDX-License-Identifier: GPL-2.0-or-later
// The settings onto the encoder component, and the file names of the jobs.
#include "encoder/encodersettings.h"
#include "encoder/gogotea.h"
#include "encoder/mp3filenames.h"
#include "settings/settings.h"

#include <gtest/gtest.h>
#include <tuple>

using namespace trackmill;
using V = Settings::MpegVersion;

namespace {

Settings mpeg(V version, int bitrate, int bitrateMax)
{
    Settings s;
    s.mpegVersion = version;
    s.bitrate = bitrate;
    s.bitrateMax = bitrateMax;
    return s;
}

TEST(EncoderSettings, BitrateTableValuesOrTheFallback)
{
    const struct {
        V version;
        int bitrate, bitrateMax;
        bool vbr;
        int expectBitRate;
        bool expectMpeg2;
        int expectLow, expectHigh;
        bool expectNote;
    } cases[] = {
        {V::Mpeg1, 8, 13, true, 128, false, 128, 320, false},
        {V::Mpeg2, 12, 13, true, 144, true, 144, 160, false},
        {V::Mpeg2, 0, 0, false, 8, true, 0, 0, false},
        // The fallback, MPEG-1 at 128 kbps, with a note for the log.
        {V::None, 8, 13, true, 128, false, 128, 320, true},
        {V::Mpeg1, 14, 13, false, 128, false, 0, 0, true},
        {V::Mpeg1, 8, -1, true, 128, false, 128, 320, true},
    };
    EncoderProperties before;
    before.VBRBitrate = {false, 1, 2};
    before.BitRate = 999;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.version) << " " << c.bitrate << " " << c.bitrateMax);
        Settings s = mpeg(c.version, c.bitrate, c.bitrateMax);
        s.vbrRatio = c.vbr;
        QString note;
        const EncoderProperties p = EncoderSettings::Map(s, before, &note);
        EXPECT_EQ(std::make_tuple(p.BitRate, p.UseMPEG2, p.UseVBR), std::make_tuple(c.expectBitRate, c.expectMpeg2, c.vbr));
        // Unticked: the range stays as it was (UseVBR keeps it unsent).
        EXPECT_EQ(p.VBRBitrate, (c.vbr ? TVBRBitrate{true, c.expectLow, c.expectHigh} : before.VBRBitrate));
        EXPECT_EQ(!note.isEmpty(), c.expectNote) << note.toStdString();
    }
    EXPECT_EQ(EncoderSettings::GetBitrate(mpeg(V::Mpeg2, 8, 8), 12), QStringLiteral("144kbps"));
    EXPECT_EQ(EncoderSettings::GetBitrate(mpeg(V::Mpeg1, 8, 8), -1), QString());
}

TEST(EncoderSettings, ListsChecksAndTrackBars)
{
    Settings s = mpeg(V::Mpeg1, 8, 10);
    s.priority = 2;  // the list puts "Lower" before "Lowest"; the component's order differs
    s.vbr = 7;
    s.quality = 4;
    s.emphasis = 2;
    s.usePsy = false;
    s.useLpf16 = true;
    s.useMmx3dnow = false;
    s.extendedFilterCbr = true;
    s.filterCbrLow = 12;
    s.filterCbrHigh = 140;  // beyond the bar: held at 100
    s.extendedFilterMsStereo = true;
    s.filterMsPower = 33;
    s.filterMsThreshold = 44;
    s.multiCpu = false;
    EncoderProperties before;
    before.Optimization = {_USE_MMX, _USE_KNI, _USE_SPC1};
    const EncoderProperties p = EncoderSettings::Map(s, before);
    EXPECT_EQ(std::make_tuple(p.VBRLevel, p.EncodeType, p.Emphasis), std::make_tuple(7, _DUALCHANNEL, _CCITT_EMPH));
    EXPECT_EQ(std::make_tuple(p.UsePsyAnalize, p.UseLPF, p.Processors, p.Priority),
              std::make_tuple(false, true, 1, tpLowest));
    // Only the four extensions of the box change; the others stay.
    EXPECT_EQ(p.Optimization, (TUseUnits{_USE_SPC1}));
    EXPECT_EQ(std::make_pair(p.ExtFilter, p.MSSetting), std::make_pair(TExtFilter{true, 12, 100}, TMSSetting{true, 44, 33}));

    // Unticked boxes keep the values; no entry (or one the component does not know) keeps the old one.
    s.useMmx3dnow = s.multiCpu = true;
    s.extendedFilterCbr = s.extendedFilterMsStereo = false;
    s.vbr = s.quality = s.priority = -1;
    s.emphasis = 5;
    const EncoderProperties q = EncoderSettings::Map(s, p);
    EXPECT_EQ(q.Optimization, (TUseUnits{_USE_MMX, _USE_3DNOW, _USE_KNI, _USE_EX_3DNOW, _USE_SPC1}));
    EXPECT_EQ(std::make_tuple(q.ExtFilter, q.MSSetting, q.Processors, q.VBRLevel, q.EncodeType, q.Emphasis, q.Priority),
              std::make_tuple(TExtFilter{false, 12, 100}, TMSSetting{false, 44, 33}, 4, 7, _DUALCHANNEL, _CCITT_EMPH, tpLowest));
}

TEST(Mp3FileNames, RippedTrackAndWavFromDisk)
{
    const struct { bool fromDisk; const char *directory, *input, *destination; } cases[] = {
        {false, "/music", "Rock & Roll", "/music/Rock & Roll.mp3"},
        // The source folder plays no part; the output folder's trailing
        // separator is optional.
        {true, "/out", "/elsewhere/take1.WAV", "/out/take1.mp3"},
        // Extensions that are not four characters long, or none at all.
        {true, "/out/", "/in/take1", "/out/take1.mp3"},
        {true, "/out/", "/in/take1.wave", "/out/take1.mp3"},
        {true, "/out/", "/in/a.b.wav", "/out/a.b.mp3"},
        {true, "/out/", "/in.d/ab", "/out/ab.mp3"},
        {true, "/out/", "/in/.wav", "/out/.wav.mp3"},
    };
    for (const auto& c : cases) {
        const QString directory = QString::fromUtf8(c.directory), input = QString::fromUtf8(c.input);
        const Mp3FileNames n = c.fromDisk ? Mp3FileNames::SetFileNameMp3fromWAV(directory, input)
                                          : Mp3FileNames::SetFileNameMp3(directory, input);
        // A file from disk is its own source; a ripped track's WAV sits beside the MP3.
        EXPECT_EQ(n.source, c.fromDisk ? input : n.destination.chopped(4) + ".wav") << c.input;
        EXPECT_EQ(n.destination, QString::fromUtf8(c.destination)) << c.input;
    }
}

}
