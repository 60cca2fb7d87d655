// SPDX-License-Identifier: GPL-2.0-or-later
// The settings onto the encoder component, and the file names of the jobs.
#include "encoder/encodersettings.h"
#include "encoder/gogotea.h"
#include "encoder/mp3filenames.h"
#include "settings/settings.h"

#include <gtest/gtest.h>

using namespace trackmill;
using V = Settings::MpegVersion;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

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
    const struct
    {
        V version;
        int bitrate, bitrateMax;
        bool vbr;
        int expectBitRate;
        bool expectMpeg2;
        int expectLow, expectHigh;
        bool expectNote;
    } cases[] = {
        {V::Mpeg1, 8, 13, true, 128, false, 128, 320, false},
        {V::Mpeg1, 0, 3, true, 32, false, 32, 56, false},
        {V::Mpeg2, 12, 13, true, 144, true, 144, 160, false},
        {V::Mpeg2, 0, 0, false, 8, true, 0, 0, false},
        // The fallback, MPEG-1 at 128 kbps, with a note for the log.
        {V::None, 8, 13, true, 128, false, 128, 320, true},
        {V::Mpeg2, -1, 5, false, 128, false, 0, 0, true},
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
        EXPECT_EQ(p.BitRate, c.expectBitRate);
        EXPECT_EQ(p.UseMPEG2, c.expectMpeg2);
        EXPECT_EQ(p.UseVBR, c.vbr);
        // Unticked: the range stays as it was (UseVBR keeps it unsent).
        EXPECT_EQ(p.VBRBitrate, (c.vbr ? TVBRBitrate{true, c.expectLow, c.expectHigh} : before.VBRBitrate));
        EXPECT_EQ(!note.isEmpty(), c.expectNote) << note.toStdString();
    }
}

TEST(EncoderSettings, PriorityListOntoThreadLevels)
{
    // The list puts "Lower" before "Lowest"; the component's order differs.
    const TThreadPriority expected[] = {tpIdle,   tpLower,   tpLowest,       tpNormal,
                                        tpHigher, tpHighest, tpTimeCritical, tpPlatformHighest};
    for (int entry = 0; entry < 8; ++entry) {
        Settings s;
        s.priority = entry;
        EXPECT_EQ(EncoderSettings::Map(s, {}).Priority, expected[entry]) << entry;
    }
    Settings none;
    none.priority = -1;
    EncoderProperties before;
    before.Priority = tpHighest;
    EXPECT_EQ(EncoderSettings::Map(none, before).Priority, tpHighest);
}

TEST(EncoderSettings, ListsChecksAndTrackBars)
{
    Settings s = mpeg(V::Mpeg1, 8, 10);
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
    EXPECT_EQ(p.VBRLevel, 7);
    EXPECT_EQ(p.EncodeType, _DUALCHANNEL);
    EXPECT_EQ(p.Emphasis, _CCITT_EMPH);
    EXPECT_FALSE(p.UsePsyAnalize);
    EXPECT_TRUE(p.UseLPF);
    // Only the four extensions of the box change; the others stay.
    EXPECT_EQ(p.Optimization, (TUseUnits{_USE_SPC1}));
    EXPECT_EQ(p.ExtFilter, (TExtFilter{true, 12, 100}));
    EXPECT_EQ(p.MSSetting, (TMSSetting{true, 44, 33}));
    EXPECT_EQ(p.Processors, 1);

    s.useMmx3dnow = true;
    s.extendedFilterCbr = false;
    s.extendedFilterMsStereo = false;
    s.multiCpu = true;
    s.vbr = -1;
    s.quality = -1;
    s.emphasis = 5;
    const EncoderProperties q = EncoderSettings::Map(s, p);
    EXPECT_EQ(q.Optimization, (TUseUnits{_USE_MMX, _USE_3DNOW, _USE_KNI, _USE_EX_3DNOW, _USE_SPC1}));
    EXPECT_EQ(q.ExtFilter, (TExtFilter{false, 12, 100}));
    EXPECT_EQ(q.MSSetting, (TMSSetting{false, 44, 33}));
    EXPECT_EQ(q.Processors, 4);
    // No entry (or none the component knows): the values it had.
    EXPECT_EQ(q.VBRLevel, 7);
    EXPECT_EQ(q.EncodeType, _DUALCHANNEL);
    EXPECT_EQ(q.Emphasis, _CCITT_EMPH);
}

TEST(EncoderSettings, GetBitrateFollowsTheCheckedVersion)
{
    EXPECT_EQ(EncoderSettings::GetBitrate(mpeg(V::Mpeg1, 8, 8), 8), QStringLiteral("128kbps"));
    EXPECT_EQ(EncoderSettings::GetBitrate(mpeg(V::Mpeg2, 8, 8), 12), QStringLiteral("144kbps"));
    EXPECT_EQ(EncoderSettings::GetBitrate(mpeg(V::None, 8, 8), 0), QStringLiteral("32kbps"));
    EXPECT_EQ(EncoderSettings::GetBitrate(mpeg(V::Mpeg1, 8, 8), -1), QString());
}

TEST(EncoderSettings, ReachesTheComponent)
{
    GogoLibrarySource source;
    source.libraryName = QStringLiteral(FAKE_GOGO_PATH);
    TGogoTea tea(source);
    Settings s = mpeg(V::Mpeg2, 12, 13);
    s.priority = 4;
    s.vbr = 2;
    EXPECT_TRUE(EncoderSettings::SetPrimaryAndSecondarySettings(s, tea).isEmpty());
    EXPECT_EQ(tea.BitRate(), 144);
    EXPECT_TRUE(tea.UseMPEG2());
    EXPECT_EQ(tea.Priority(), tpHigher);
    EXPECT_EQ(tea.VBRLevel(), 2);
    EXPECT_EQ(tea.VBRBitrate(), (TVBRBitrate{true, 144, 160}));
    EXPECT_EQ(EncoderProperties::of(tea), EncoderSettings::Map(s, EncoderProperties::of(tea)));
}

TEST(Mp3FileNames, RippedTrackAndWavFromDisk)
{
    const struct
    {
        bool fromDisk;
        const char *directory, *input, *destination;
    } cases[] = {
        {false, "/music/Artist/", "01 Song", "/music/Artist/01 Song.mp3"},
        {false, "/music", "Rock & Roll", "/music/Rock & Roll.mp3"},
        {false, "", "x", "x.mp3"},
        // The source folder plays no part; the output folder's trailing
        // separator is optional.
        {true, "/out/", "/elsewhere/take1.wav", "/out/take1.mp3"},
        {true, "/out", "/elsewhere/take1.WAV", "/out/take1.mp3"},
        // Extensions that are not four characters long, or none at all.
        {true, "/out/", "/in/take1", "/out/take1.mp3"},
        {true, "/out/", "/in/take1.wave", "/out/take1.mp3"},
        {true, "/out/", "/in/t.w", "/out/t.mp3"},
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
