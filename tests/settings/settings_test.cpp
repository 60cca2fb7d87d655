// SPDX-License-Identifier: GPL-2.0-or-later
// The settings file: what each stored value turns into, what a save writes,
// byte for byte, and what odd or broken files load as.
#include "settings/settings.h"

#include "platform/inifile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <csignal>
#include <functional>
#include <sys/resource.h>

using trackmill::IniFile;
using trackmill::Settings;
using Mpeg = Settings::MpegVersion;

namespace {

const QString kProgramDir = QStringLiteral("/opt/trackmill");

class SettingsFile : public testing::Test
{
protected:
    QString path() const { return dir.filePath("Trackmill.INI"); }
    void put(const QByteArray& bytes)
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray contents() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    Settings loaded(const QByteArray& bytes, Settings start = Settings())
    {
        put(bytes);
        start.load(IniFile(path()), kProgramDir);
        return start;
    }
    bool save(Settings& settings)
    {
        IniFile file(path());
        return settings.save(file);
    }

    QTemporaryDir dir;
};

TEST_F(SettingsFile, MissingFileGivesTheDefaults)
{
    Settings settings;
    settings.load(IniFile(path()), kProgramDir);
    // Lists without a default stay on their start entries.
    EXPECT_EQ(settings.mpegVersion, Mpeg::None);
    EXPECT_EQ(settings.bitrate, -1);
    EXPECT_EQ(settings.bitrateMax, -1);
    EXPECT_EQ(settings.quality, 1);
    EXPECT_EQ(settings.vbr, 4);
    EXPECT_EQ(settings.priority + settings.fileName + settings.afterExecute + settings.filterCbrLow, 0);
    EXPECT_TRUE(settings.onTheFly && settings.deleteWav && settings.vbrRatio && settings.encodeWavToMp3
                && settings.autoConnectFreedb && settings.selectAll);
    EXPECT_FALSE(settings.useProxy);
    EXPECT_EQ(settings.directoryMp3, "/opt/trackmill/");
    EXPECT_TRUE(settings.outputDirectoryError);
    EXPECT_FALSE(QFile::exists(path()));
}

// Each case: file contents and how the result differs from loading an empty
// file into a fresh object.
struct LoadCase
{
    const char* name;
    QByteArray file;
    std::function<void(Settings&)> expect;
};

class SettingsLoad : public SettingsFile, public testing::WithParamInterface<LoadCase> {};

TEST_P(SettingsLoad, MapsStoredValues)
{
    Settings expected = loaded("");
    GetParam().expect(expected);
    EXPECT_EQ(loaded(GetParam().file), expected);
}

using S = Settings&;
INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsLoad,
    testing::Values(
        LoadCase{"Mpeg1Bitrate", "[MAIN]\nVERSION_MPEG=1\nBITRATE=128kbps\nBITRATE_MAX=320kbps\n",
                 [](S s) { s.mpegVersion = Mpeg::Mpeg1; s.bitrate = 8; s.bitrateMax = 13; }},
        LoadCase{"Mpeg2Bitrate", "[MAIN]\nVERSION_MPEG=2\nBITRATE=128kbps\nBITRATE_MAX=8kbps\n",
                 [](S s) { s.mpegVersion = Mpeg::Mpeg2; s.bitrate = 11; s.bitrateMax = 0; }},
        LoadCase{"BitrateNotInList", "[MAIN]\nVERSION_MPEG=2\nBITRATE=320kbps\n",
                 [](S s) { s.mpegVersion = Mpeg::Mpeg2; }},
        LoadCase{"BitrateWithBlank", "[MAIN]\nVERSION_MPEG=1\nBITRATE=128 kbps\n",
                 [](S s) { s.mpegVersion = Mpeg::Mpeg1; }},
        LoadCase{"VersionGarbage", "[MAIN]\nVERSION_MPEG=one\nBITRATE=32kbps\n", [](S) {}},
        LoadCase{"QualityExact", "[MAIN]\nQUALITY=Joint Stereo\n", [](S s) { s.quality = 2; }},
        LoadCase{"EmphasisCcitt", "[MAIN]\nEMPHASIS=CCITT j. 17\n", [](S s) { s.emphasis = 2; }},
        LoadCase{"VbrZero", "[MAIN]\nVBR=0\n", [](S s) { s.vbr = 0; }},
        LoadCase{"PriorityLast", "[MAIN]\nPRIORITY=7\n", [](S s) { s.priority = 7; }},
        LoadCase{"PriorityOutsideSelectsNothing", "[MAIN]\nPRIORITY=8\n", [](S s) { s.priority = -1; }},
        LoadCase{"FileNameNegative", "[MAIN]\nFILENAME=-2\n", [](S s) { s.fileName = -1; }},
        LoadCase{"AfterExecuteThreeIsNone", "[MAIN]\nAFTER_EXECUTE=3\n", [](S) {}},
        LoadCase{"AfterExecuteNegativeIsNone", "[MAIN]\nAFTER_EXECUTE=-1\n", [](S) {}},
        LoadCase{"TrackBarsClamped",
                 "[MAIN]\nFilter_CBR_LOW=250\nFilter_CBR_HIGH=-5\nFilter_MSSTEREO_THRESHOLD=55\n"
                 "Filter_MSSTEREO_POWER=0x64\n",
                 [](S s) { s.filterCbrLow = 100; s.filterMsThreshold = 55; s.filterMsPower = 100; }},
        LoadCase{"BooleanIsNonZeroInteger", "[MAIN]\nSPLIT=2\nSELECTALL=0\nUSE_PROXY=-1\n",
                 [](S s) { s.selectAll = false; s.useProxy = true; }},
        LoadCase{"LanguageIsNotLoaded", "[MAIN]\nLANGUAGE=Polish\n", [](S) {}},
        LoadCase{"BinaryGarbageAround",
                 QByteArray("\xff\xfe\x00garbage\n[MAIN]\n\x01\x02=\x03\nMULTI_CPU_SUPPORT=0\n", 43)
                     + QByteArray(100000, 'z') + "\nUSE_MMX_3DNOW=0",
                 [](S s) { s.multiCpu = false; s.useMmx3dnow = false; }}),
    [](const testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

TEST_F(SettingsFile, UnmatchedValuesKeepWhatTheWindowShowed)
{
    Settings before;
    before.mpegVersion = Mpeg::Mpeg2;
    before.bitrate = 3;
    before.quality = 3;
    before.vbr = 7;
    before.emphasis = 1;
    const Settings after =
        loaded("[MAIN]\nVERSION_MPEG=3\nBITRATE=32kbps\nQUALITY=joint stereo\nVBR=10\nEMPHASIS=J.17\n", before);
    EXPECT_EQ(after.mpegVersion, Mpeg::Mpeg2);
    EXPECT_EQ(after.bitrate, 3);
    EXPECT_EQ(after.quality, 3);
    EXPECT_EQ(after.vbr, 7);
    EXPECT_EQ(after.emphasis, 1);
    // A new version keeps the bitrate position when its list lacks the stored one.
    const Settings switched = loaded("[MAIN]\nVERSION_MPEG=1\nBITRATE=8kbps\n", before);
    EXPECT_EQ(switched.mpegVersion, Mpeg::Mpeg1);
    EXPECT_EQ(switched.bitrate, 3);
}

TEST_F(SettingsFile, OutputDirectoryMustBeEnterable)
{
    const QString music = dir.filePath("Music dir");
    ASSERT_TRUE(QDir().mkpath(music));
    const QString cwd = QDir::currentPath();
    Settings settings = loaded("[MAIN]\nDIRECTORYMP3=" + music.toUtf8() + "/\n");
    EXPECT_EQ(settings.directoryMp3, music + "/");
    EXPECT_FALSE(settings.outputDirectoryError);
    EXPECT_EQ(QDir::currentPath(), cwd);  // checked without moving there

    // Missing, a file, or nothing: the program's folder and the error flag.
    for (const QByteArray& stored : {dir.filePath("gone").toUtf8(), path().toUtf8(), QByteArray()}) {
        settings = loaded("[MAIN]\nDIRECTORYMP3=" + stored + "\n", settings);
        EXPECT_EQ(settings.directoryMp3, "/opt/trackmill/") << stored.constData();
        EXPECT_TRUE(settings.outputDirectoryError) << stored.constData();
    }
    settings = loaded("[MAIN]\nDIRECTORYMP3=" + music.toUtf8() + "\n", settings);
    EXPECT_FALSE(settings.outputDirectoryError);
    EXPECT_EQ(settings.directoryMp3, music);

    settings.load(IniFile(path() + ".none"), "/opt/trackmill/");  // no second separator
    EXPECT_EQ(settings.directoryMp3, "/opt/trackmill/");
}

// The exact file a save writes into an empty file: the 42 keys in save
// order, with the spellings "UseLPF16" and "VBRRatio".
const QByteArray kSavedFresh =
    "[MAIN]\r\nVERSION_MPEG=1\r\nBITRATE=128kbps\r\nBITRATE_MAX=\r\nQUALITY=Stereo\r\nVBR=4\r\n"
    "PRIORITY=3\r\nEMPHASIS=None\r\nON_THE_FLY_ENCODING=1\r\nDELETE=1\r\nUSEPSY=1\r\n"
    "UseLPF16=1\r\nVBRRatio=1\r\nFilter_CBR_LOW=0\r\nFilter_CBR_HIGH=0\r\n"
    "Filter_MSSTEREO_THRESHOLD=0\r\nFilter_MSSTEREO_POWER=0\r\nMULTI_CPU_SUPPORT=1\r\n"
    "DIRECTORYMP3=/music/\r\nSELECTALL=1\r\nUSECDPLAYERINI=1\r\nEJECTCDAUDIO=1\r\n"
    "USEID3v1=1\r\nUSEID3v2=1\r\nARTIST_AS_DIRECTORY=1\r\nALBUM_AS_DIRECTORY=1\r\n"
    "ARTIST_AND_ALBUM_AS_DIRECTORY=1\r\nARTIST_ALBUM_YEAR_AS_DIRECTORY=1\r\nSPLIT=1\r\n"
    "FILENAME=0\r\nAUTO_CONNECT_FREEDB=1\r\nAUTO_STORE_CDPLAYER_INI=1\r\nUSE_PROXY=0\r\n"
    "SERVER_PROXY=\r\nPORT_PROXY=\r\nUSE_MMX_3DNOW=1\r\nUSE_EXTENDED_FILTER_CBR=1\r\n"
    "USE_EXTENDED_FILTER_MSTEREO=1\r\nLANGUAGE=English\r\nREPLACE_SPACES_BY_UNDERSCORES=1\r\n"
    "PREVENT_SCREENSAVER=1\r\nENCODE_WAV_TO_MP3=1\r\nAFTER_EXECUTE=0\r\n";

TEST_F(SettingsFile, SaveWritesAllKeysInSaveOrderAndKeepsForeignLines)
{
    Settings settings;
    settings.mpegVersion = Mpeg::Mpeg1;
    settings.bitrate = 8;
    settings.directoryMp3 = "/music/";
    settings.language = "English";
    ASSERT_TRUE(save(settings)) << settings.errorString().toStdString();
    EXPECT_EQ(contents(), kSavedFresh);

    put("; my settings\r\n[Other]\r\nx=1\r\n\r\n[main]\r\nvbrratio = 0\r\nMY_OWN_KEY=keep\r\n"
        "VERSION_MPEG=2\r\nVERSION_MPEG=1\r\n\r\n[Tail]\r\ny=2");
    ASSERT_TRUE(save(settings));
    const QByteArray written = contents();
    EXPECT_TRUE(written.startsWith("; my settings\r\n[Other]\r\nx=1\r\n\r\n[main]\r\nvbrratio=1\r\n"
                                   "MY_OWN_KEY=keep\r\nVERSION_MPEG=1\r\nVERSION_MPEG=1\r\nBITRATE=128kbps\r\n"))
        << written.constData();
    EXPECT_TRUE(written.endsWith("AFTER_EXECUTE=0\r\n\r\n[Tail]\r\ny=2")) << written.constData();
    EXPECT_EQ(IniFile(path()).load().keys("MAIN").size(), 43);
}

TEST_F(SettingsFile, RoundTripKeepsEveryValue)
{
    Settings settings;
    settings.mpegVersion = Mpeg::Mpeg2;
    settings.bitrate = 13;
    settings.bitrateMax = 2;
    settings.quality = 4;
    settings.vbr = 9;
    settings.priority = 7;
    settings.emphasis = 2;
    // Every flag the other way round from its default.
    for (bool Settings::*flag :
         {&Settings::onTheFly, &Settings::deleteWav, &Settings::usePsy, &Settings::useLpf16, &Settings::vbrRatio,
          &Settings::extendedFilterCbr, &Settings::extendedFilterMsStereo, &Settings::multiCpu, &Settings::selectAll,
          &Settings::useCdPlayerIni, &Settings::ejectCdAudio, &Settings::useId3v1, &Settings::useId3v2,
          &Settings::artistAsDirectory, &Settings::albumAsDirectory, &Settings::artistAndAlbumAsDirectory,
          &Settings::split, &Settings::artistAlbumYearAsDirectory, &Settings::useMmx3dnow, &Settings::replaceSpaces,
          &Settings::preventScreensaver, &Settings::autoStoreCdPlayerIni, &Settings::autoConnectFreedb,
          &Settings::encodeWavToMp3, &Settings::useProxy})
        settings.*flag = !(settings.*flag);
    settings.filterCbrLow = 1;
    settings.filterCbrHigh = 99;
    settings.filterMsThreshold = 100;
    settings.filterMsPower = 50;
    settings.fileName = 5;
    settings.afterExecute = 1;
    settings.serverProxy = "proxy";
    settings.portProxy = "3128";
    settings.directoryMp3 = dir.filePath("out/Ü/");
    ASSERT_TRUE(QDir().mkpath(settings.directoryMp3));
    settings.language = "Japanese";
    settings.outputDirectoryError = false;

    ASSERT_TRUE(save(settings));
    Settings reloaded;
    reloaded.load(IniFile(path()), kProgramDir);
    reloaded.language = settings.language;  // read by the language files, not here
    EXPECT_EQ(reloaded, settings);
    EXPECT_EQ(IniFile(path()).readString("MAIN", "LANGUAGE"), "Japanese");
}

TEST_F(SettingsFile, UnusableSelectionsSaveAsValuesTheLoaderIgnores)
{
    Settings settings;  // fresh start: no version, no bitrate
    settings.quality = -1;
    settings.emphasis = -1;
    settings.priority = -1;
    ASSERT_TRUE(save(settings));
    const IniFile reread(path());
    EXPECT_EQ(reread.readString("MAIN", "VERSION_MPEG"), "0");
    EXPECT_EQ(reread.readString("MAIN", "BITRATE", "<none>"), "");
    EXPECT_EQ(reread.readString("MAIN", "QUALITY", "<none>"), "");

    Settings before;
    before.mpegVersion = Mpeg::Mpeg1;
    before.bitrate = 5;
    before.bitrateMax = 6;
    before.load(reread, kProgramDir);
    EXPECT_EQ(before.mpegVersion, Mpeg::Mpeg1);
    EXPECT_EQ(before.bitrate, 5);
    EXPECT_EQ(before.bitrateMax, 6);
    EXPECT_EQ(before.quality, 1);
    EXPECT_EQ(before.priority, -1);

    // A clamped track bar is saved clamped.
    settings = loaded("[MAIN]\nFilter_CBR_LOW=250\n");
    ASSERT_TRUE(save(settings));
    EXPECT_EQ(IniFile(path()).readString("MAIN", "Filter_CBR_LOW"), "100");
}

TEST_F(SettingsFile, EmptyLanguageKeepsTheStoredOne)
{
    put("[MAIN]\nLANGUAGE=Polish\n");
    Settings settings;
    ASSERT_TRUE(save(settings));
    EXPECT_EQ(IniFile(path()).readString("MAIN", "LANGUAGE"), "Polish");
    settings.language = "German";
    ASSERT_TRUE(save(settings));
    EXPECT_EQ(IniFile(path()).readString("MAIN", "LANGUAGE"), "German");
}

TEST_F(SettingsFile, FailedSaveLeavesPreviousFileAndSaysWhere)
{
    put(kSavedFresh);
    Settings settings;
    settings.directoryMp3 = QString(8192, QLatin1Char('d'));
    // Root ignores permissions: a file size limit fails the write as a full disk would.
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old;
    limit.rlim_cur = 1024;
    setrlimit(RLIMIT_FSIZE, &limit);
    const bool saved = save(settings);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, handler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(contents(), kSavedFresh);
    EXPECT_EQ(settings.errorString(), "Unable to write to " + path());

    IniFile nowhere(dir.filePath("missing/Trackmill.INI"));
    EXPECT_FALSE(settings.save(nowhere));
    EXPECT_EQ(settings.errorString(), "Unable to write to " + dir.filePath("missing/Trackmill.INI"));
    ASSERT_TRUE(save(settings));
    EXPECT_TRUE(settings.errorString().isEmpty());
}

TEST_F(SettingsFile, GetUseDefaultsToTrue)
{
    const IniFile file(path());
    EXPECT_TRUE(Settings::getUse(file, "SELECTALL"));
    put("[MAIN]\nSELECTALL=0\nUSECDPLAYERINI=x\n[OTHER]\nEJECTCDAUDIO=0\n");
    EXPECT_FALSE(Settings::getUse(file, "selectall"));
    EXPECT_TRUE(Settings::getUse(file, "USECDPLAYERINI"));
    EXPECT_TRUE(Settings::getUse(file, "EJECTCDAUDIO"));
}

TEST_F(SettingsFile, ShippedDefaultsSuitANewUser)
{
    Settings settings;
    settings.load(IniFile(TRACKMILL_DEFAULT_SETTINGS), kProgramDir);
    EXPECT_EQ(settings.mpegVersion, Mpeg::Mpeg1);
    EXPECT_EQ(Settings::bitrateText(settings.mpegVersion, settings.bitrate), "128kbps");
    EXPECT_EQ(Settings::qualityNames().value(settings.quality), "Joint Stereo");
    EXPECT_FALSE(settings.encodeWavToMp3 || settings.autoConnectFreedb || settings.vbrRatio);
    EXPECT_TRUE(settings.artistAsDirectory && settings.albumAsDirectory);
    EXPECT_FALSE(settings.artistAndAlbumAsDirectory || settings.artistAlbumYearAsDirectory);
    EXPECT_EQ(settings.priority, 3);

    // The shipped file is exactly what a save of those values writes.
    QFile original(TRACKMILL_DEFAULT_SETTINGS);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    const QByteArray bytes = original.readAll();
    put(bytes);
    settings.directoryMp3.clear();
    ASSERT_TRUE(save(settings));
    EXPECT_EQ(contents(), bytes);
}

}
