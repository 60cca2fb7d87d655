// SPDX-License-Identifier: GPL-2.0-or-later
// The settings file (what stored values turn into, what a save writes byte
// for byte, what odd or broken files load as) and the settings window.
#include "platform/hiddenlog.h"
#include "app/mainwindow.h"
#include "cd/tracklist.h"
#include "cd/akriplibrary.h"
#include "cd/cddrives.h"
#include "cd/drivelist.h"
#include "discimage.h"
#include "fakedesktopshell.h"
#include "platform/inifile.h"
#include "programfolders.h"
#include "recordingmessageboxes.h"
#include "recordingwindowsteps.h"
#include "settings/settings.h"
#include "settings/settingstable.h"
#include "settings/settingswindow.h"
#include "metadata/discnames.h"
#include "testenvironment.h"
#include "lang/languagetexts.h"
#include "tags/genrelist.h"
#include "tags/tageditorwindow.h"
#include "tags/tagfields.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <memory>
#include <set>
#include <sys/resource.h>
#include <tuple>

using namespace trackmill;
using Mpeg = Settings::MpegVersion;

namespace {

const QString kProgramDir = QStringLiteral("/opt/trackmill");

class SettingsFile : public testing::Test
{
protected:
    QString path() const { return paths.settingsFile(); }
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
    QByteArray stored(const char* key) const { return IniFile(path()).readString("MAIN", key, "<none>"); }
    static QByteArray shipped()
    {
        QFile file(TRACKMILL_DEFAULT_SETTINGS);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    test::ProgramFolders folders;
    AppPaths& paths = folders.paths;
};

// Each row: file contents and how the result differs from an empty file's.
TEST_F(SettingsFile, MapsStoredValues)
{
    using S = Settings&;
    const struct
    {
        const char* name;
        QByteArray file;
        std::function<void(S)> expect;
    } cases[] = {
        {"mpeg1", "[MAIN]\nVERSION_MPEG=1\nBITRATE=128kbps\nBITRATE_MAX=320kbps\n",
         [](S s) { s.mpegVersion = Mpeg::Mpeg1; s.bitrate = 8; s.bitrateMax = 13; }},
        {"mpeg2", "[MAIN]\nVERSION_MPEG=2\nBITRATE=128kbps\nBITRATE_MAX=8kbps\n",
         [](S s) { s.mpegVersion = Mpeg::Mpeg2; s.bitrate = 11; s.bitrateMax = 0; }},
        {"bitrate not in the list", "[MAIN]\nVERSION_MPEG=2\nBITRATE=320kbps\n",
         [](S s) { s.mpegVersion = Mpeg::Mpeg2; }},
        {"names matched exactly", "[MAIN]\nQUALITY=Joint Stereo\nEMPHASIS=CCITT j. 17\nVBR=0\n",
         [](S s) { s.quality = 2; s.emphasis = 2; s.vbr = 0; }},
        {"indexes out of range", "[MAIN]\nPRIORITY=8\nFILENAME=-2\nAFTER_EXECUTE=3\n",
         [](S s) { s.priority = -1; s.fileName = -1; }},
        {"track bars clamped",
         "[MAIN]\nFilter_CBR_LOW=250\nFilter_CBR_HIGH=-5\nFilter_MSSTEREO_THRESHOLD=55\nFilter_MSSTEREO_POWER=0x64\n",
         [](S s) { s.filterCbrLow = 100; s.filterMsThreshold = 55; s.filterMsPower = 100; }},
        {"flags", "[MAIN]\nSPLIT=2\nSELECTALL=0\nUSE_PROXY=-1\nUSECDPLAYERINI=x\nLANGUAGE=Polish\n",
         [](S s) { s.selectAll = false; s.useProxy = true; }},
        {"binary garbage around",
         QByteArray("\xff\xfe\x00garbage\n[MAIN]\n\x01\x02=\x03\nMULTI_CPU_SUPPORT=0\n", 43)
             + QByteArray(100000, 'z') + "\nUSE_MMX_3DNOW=0",
         [](S s) { s.multiCpu = false; s.useMmx3dnow = false; }},
        {"flac", "[flac]\ncompression_level=8\nVERIFY=0\n", [](S s) { s.flacCompression = 8; s.flacVerify = false; }},
        {"flac keys belong to their own section", "[MAIN]\nCOMPRESSION_LEVEL=0\nVERIFY=0\n", [](S) {}},
        {"flac level outside 0 to 8, verify no number", "[FLAC]\nCOMPRESSION_LEVEL=9\nVERIFY=yes\n", [](S) {}},
        {"reading", "[READING]\nMODE=1\nOFFSET=-30\nACCURATERIP_SERVER=127.0.0.1:8080\n",
         [](S s) { s.readMode = 1; s.readOffset = -30; s.accurateRipServer = "127.0.0.1:8080"; }},
        {"reading out of range", "[READING]\nMODE=7\nOFFSET=99999\n", [](S s) { s.readOffset = 3000; }},
        {"reading offset no number, below", "[READING]\nMODE=-1\nOFFSET=x6\n[MAIN]\nOFFSET=5\n", [](S) {}},
        {"reading offset below", "[READING]\nOFFSET=-4000\n", [](S s) { s.readOffset = -3000; }},
    };
    for (const auto& c : cases) {
        Settings expected = loaded("");
        c.expect(expected);
        EXPECT_EQ(loaded(c.file), expected) << c.name;
    }
}

TEST_F(SettingsFile, UnmatchedValuesKeepWhatTheWindowShowed)
{
    Settings before;
    before.mpegVersion = Mpeg::Mpeg2;
    before.bitrate = before.quality = 3;
    before.vbr = 7;
    before.emphasis = 1;
    const Settings a =
        loaded("[MAIN]\nVERSION_MPEG=3\nBITRATE=32kbps\nQUALITY=joint stereo\nVBR=10\nEMPHASIS=J.17\n", before);
    EXPECT_EQ(std::tuple(a.mpegVersion, a.bitrate, a.quality, a.vbr, a.emphasis), std::tuple(Mpeg::Mpeg2, 3, 3, 7, 1));
    // A new version keeps the bitrate position when its list lacks the stored one.
    const Settings switched = loaded("[MAIN]\nVERSION_MPEG=1\nBITRATE=8kbps\n", before);
    EXPECT_EQ(switched.mpegVersion, Mpeg::Mpeg1);
    EXPECT_EQ(switched.bitrate, 3);
    // The FLAC level likewise; but a file without one is at the default
    // level, not at what the window showed before.
    before.flacCompression = 8;
    EXPECT_EQ(loaded("[FLAC]\nCOMPRESSION_LEVEL=-1\n", before).flacCompression, 8);
    EXPECT_EQ(loaded("[MAIN]\n", before).flacCompression, 5);
}

TEST_F(SettingsFile, OutputDirectoryMustBeEnterable)
{
    const QString music = folders.root.filePath("Music dir");
    ASSERT_TRUE(QDir().mkpath(music));
    const QString cwd = QDir::currentPath();
    Settings settings = loaded("[MAIN]\nDIRECTORYMP3=" + music.toUtf8() + "\n");
    EXPECT_EQ(settings.directoryMp3, music);
    EXPECT_FALSE(settings.outputDirectoryError);
    EXPECT_EQ(QDir::currentPath(), cwd);  // checked without moving there
    // Missing or a file: the program's folder and the error flag.
    for (const QByteArray& stored : {folders.root.filePath("gone").toUtf8(), path().toUtf8()}) {
        settings = loaded("[MAIN]\nDIRECTORYMP3=" + stored + "\n", settings);
        EXPECT_EQ(settings.directoryMp3, "/opt/trackmill/") << stored.constData();
        EXPECT_TRUE(settings.outputDirectoryError) << stored.constData();
    }
}

// A user-dirs.dirs of the test's own configuration home, removed afterwards.
class UserDirs
{
public:
    explicit UserDirs(const QByteArray& musicLine)
        : m_path(QFile::decodeName(qgetenv("XDG_CONFIG_HOME")) + "/user-dirs.dirs")
    {
        QFile file(m_path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("# written by the test\n" + musicLine + "\n");
    }
    ~UserDirs() { QFile::remove(m_path); }

private:
    QString m_path;
};

TEST_F(SettingsFile, NewUserWritesIntoTheMusicFolder)
{
    // The test main points HOME and XDG_CONFIG_HOME into a temporary folder.
    const QString home = test::isolatedRoot();
    ASSERT_FALSE(home.isEmpty());
    ASSERT_EQ(QDir::homePath(), home);
    const QString music = home + "/Music/";
    QDir(music).removeRecursively();

    // No key, an empty key (the shipped file), no settings file at all.
    for (const QByteArray& file : {QByteArray("[MAIN]\nSPLIT=0\n"), QByteArray("[MAIN]\nDIRECTORYMP3=\n"),
                                   QByteArray()}) {
        QFile::remove(path());
        if (!file.isNull())
            put(file);
        Settings settings;
        settings.load(IniFile(path()), kProgramDir);
        EXPECT_EQ(settings.directoryMp3, music) << file.constData();
        // Not made by loading; the batch says so when it cannot be entered.
        EXPECT_TRUE(settings.outputDirectoryError) << file.constData();
    }
    ASSERT_TRUE(QDir().mkpath(music));
    Settings settings = loaded(shipped());
    EXPECT_EQ(settings.directoryMp3, music);
    EXPECT_FALSE(settings.outputDirectoryError);

    // The XDG music directory wins; one equal to the home folder means none.
    ASSERT_TRUE(QDir().mkpath(home + "/Tunes"));
    {
        const UserDirs dirs("XDG_MUSIC_DIR=\"$HOME/Tunes\"");
        EXPECT_EQ(loaded("").directoryMp3, home + "/Tunes/");
        EXPECT_EQ(defaultOutputDirectory(), home + "/Tunes/");
    }
    {
        const UserDirs dirs("XDG_MUSIC_DIR=\"$HOME/\"");
        EXPECT_EQ(loaded("").directoryMp3, music);
    }
}

// The exact file a save writes into an empty file: the 42 keys of [MAIN] in save
// order, with the spellings "UseLPF16" and "VBRRatio".
const QByteArray kSavedMain =
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
    "PREVENT_SCREENSAVER=1\r\nENCODE_WAV_TO_MP3=1\r\nAFTER_EXECUTE=0\r\n"
    "\r\n[FLAC]\r\nCOMPRESSION_LEVEL=5\r\nVERIFY=1\r\n";
// ... then the section of verified reading.
const QByteArray kSavedFresh =
    kSavedMain + "\r\n[READING]\r\nMODE=0\r\nOFFSET=0\r\nACCURATERIP_SERVER=www.accuraterip.com\r\n"
    // The sections of the lookups.
    "\r\n[CDDB]\r\nSERVER=gnudb.gnudb.org\r\nCGI=/~cddb/cddb.cgi\r\nEMAIL=trackmill@localhost\r\n"
    "\r\n[LOOKUP]\r\nSOURCE=0\r\nMUSICBRAINZ_SERVER=https://musicbrainz.org\r\n"
    "COVER_ART_SERVER=https://coverartarchive.org\r\nCOVER_ART=1\r\nCD_NUMBER_FOLDER=0\r\n";

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
        "VERSION_MPEG=2\r\nVERSION_MPEG=1\r\nLANGUAGE=Polish\r\n\r\n[Tail]\r\ny=2");
    settings.language.clear();  // nobody chose one: the stored one stays
    ASSERT_TRUE(save(settings));
    const QByteArray written = contents();
    EXPECT_TRUE(written.startsWith("; my settings\r\n[Other]\r\nx=1\r\n\r\n[main]\r\nvbrratio=1\r\n"
                                   "MY_OWN_KEY=keep\r\nVERSION_MPEG=1\r\nVERSION_MPEG=1\r\nLANGUAGE=Polish\r\n"))
        << written.constData();
    // A section that was not there yet comes after all the file's own lines.
    EXPECT_TRUE(written.contains("AFTER_EXECUTE=0\r\n\r\n[Tail]\r\ny=2\r\n\r\n[FLAC]")) << written.constData();
    EXPECT_TRUE(written.contains("\r\n[FLAC]\r\nCOMPRESSION_LEVEL=5\r\nVERIFY=1\r\n\r\n[READING]\r\nMODE=0\r\n"
                                 "OFFSET=0\r\nACCURATERIP_SERVER=www.accuraterip.com\r\n\r\n[CDDB]"))
        << written.constData();
    EXPECT_TRUE(written.endsWith("CD_NUMBER_FOLDER=0\r\n")) << written.constData();
    EXPECT_EQ(IniFile(path()).load().keys("MAIN").size(), 43);
}

TEST_F(SettingsFile, RoundTripKeepsEveryValue)
{
    Settings settings;
    settings.mpegVersion = Mpeg::Mpeg2;
    settings.bitrate = 13;
    settings.bitrateMax = settings.emphasis = 2;
    settings.quality = 4;
    settings.vbr = 9;
    settings.priority = 7;
    // Every flag the other way round from its default.
    for (bool Settings::*flag :
         {&Settings::onTheFly, &Settings::deleteWav, &Settings::usePsy, &Settings::useLpf16, &Settings::vbrRatio,
          &Settings::extendedFilterCbr, &Settings::extendedFilterMsStereo, &Settings::multiCpu, &Settings::selectAll,
          &Settings::useCdPlayerIni, &Settings::ejectCdAudio, &Settings::useId3v1, &Settings::useId3v2,
          &Settings::artistAsDirectory, &Settings::albumAsDirectory, &Settings::artistAndAlbumAsDirectory,
          &Settings::split, &Settings::artistAlbumYearAsDirectory, &Settings::useMmx3dnow, &Settings::replaceSpaces,
          &Settings::preventScreensaver, &Settings::autoStoreCdPlayerIni, &Settings::autoConnectFreedb,
          &Settings::encodeWavToMp3, &Settings::useProxy, &Settings::flacVerify})
        settings.*flag = !(settings.*flag);
    settings.flacCompression = 0;
    settings.filterCbrLow = settings.afterExecute = 1;
    settings.filterCbrHigh = 99;
    settings.filterMsThreshold = 100;
    settings.filterMsPower = 50;
    settings.fileName = 5;
    settings.serverProxy = "proxy";
    settings.portProxy = "3128";
    settings.directoryMp3 = folders.root.filePath("out/Ü/");
    ASSERT_TRUE(QDir().mkpath(settings.directoryMp3));
    settings.language = "Japanese";
    settings.outputDirectoryError = false;

    ASSERT_TRUE(save(settings));
    Settings reloaded;
    reloaded.load(IniFile(path()), kProgramDir);
    reloaded.language = settings.language;  // read by the language files, not here
    EXPECT_EQ(reloaded, settings);
    EXPECT_EQ(stored("LANGUAGE"), "Japanese");
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
    ASSERT_TRUE(save(settings));
    EXPECT_TRUE(settings.errorString().isEmpty());
}

TEST_F(SettingsFile, ShippedDefaultsSuitANewUser)
{
    const QByteArray bytes = shipped();
    Settings settings = loaded(bytes);
    EXPECT_EQ(Settings::bitrateText(settings.mpegVersion, settings.bitrate), "128kbps");
    EXPECT_EQ(Settings::qualityNames().value(settings.quality), "Joint Stereo");
    EXPECT_FALSE(settings.encodeWavToMp3 || settings.autoConnectFreedb || settings.vbrRatio);
    EXPECT_EQ(std::tuple(settings.flacCompression, settings.flacVerify), std::tuple(5, true));
    EXPECT_EQ(settings.directoryMp3, defaultOutputDirectory());  // not the program's folder
    // The shipped file is exactly what a save of those values writes.
    settings.directoryMp3.clear();
    ASSERT_TRUE(save(settings));
    EXPECT_EQ(contents(), bytes);
}

TEST_F(SettingsFile, VersionIsSavedAsOneForMpeg1AndTwoOtherwise)
{
    const std::pair<Mpeg, const char*> cases[] = {{Mpeg::None, "2"}, {Mpeg::Mpeg1, "1"}, {Mpeg::Mpeg2, "2"}};
    for (const auto& [version, text] : cases) {
        Settings settings;
        settings.mpegVersion = version;
        ASSERT_TRUE(save(settings));
        EXPECT_EQ(stored("VERSION_MPEG"), text) << int(version);
    }
    // A fresh start saved and loaded again comes back on MPEG-2 with no bitrate chosen.
    Settings fresh;
    ASSERT_TRUE(save(fresh));
    const Settings again = loaded(contents());
    EXPECT_EQ(std::tuple(again.mpegVersion, again.bitrate, again.bitrateMax), std::tuple(Mpeg::Mpeg2, -1, -1));
}

TEST(SettingsTable, DeclaresTheMainSectionInBothDesignedOrders)
{
    QByteArrayList loadOrder;
    for (const SettingEntry* e : settingsLoadOrder())
        if (QByteArrayView(e->section) == "MAIN")
            loadOrder << e->key;
    EXPECT_EQ(loadOrder.join(' '),
              "VERSION_MPEG BITRATE BITRATE_MAX QUALITY VBR PRIORITY EMPHASIS ON_THE_FLY_ENCODING DELETE USEPSY "
              "UseLPF16 VBRRatio USE_EXTENDED_FILTER_CBR Filter_CBR_LOW Filter_CBR_HIGH "
              "USE_EXTENDED_FILTER_MSTEREO Filter_MSSTEREO_THRESHOLD Filter_MSSTEREO_POWER MULTI_CPU_SUPPORT "
              "DIRECTORYMP3 SELECTALL USECDPLAYERINI EJECTCDAUDIO USEID3v1 USEID3v2 ARTIST_AS_DIRECTORY "
              "ALBUM_AS_DIRECTORY ARTIST_AND_ALBUM_AS_DIRECTORY SPLIT FILENAME AUTO_CONNECT_FREEDB "
              "ARTIST_ALBUM_YEAR_AS_DIRECTORY USE_MMX_3DNOW REPLACE_SPACES_BY_UNDERSCORES PREVENT_SCREENSAVER "
              "AUTO_STORE_CDPLAYER_INI AFTER_EXECUTE ENCODE_WAV_TO_MP3 USE_PROXY SERVER_PROXY PORT_PROXY");
    // The save order is checked byte for byte by the saved files above;
    // here: 42 keys of MAIN, each once, each position once, the table in load order.
    std::set<QByteArray> keys;
    std::set<int> loads, saves;
    int previousLoad = -1;
    for (const SettingEntry& e : settingsTable()) {
        if (QByteArrayView(e.section) != "MAIN")
            continue;
        keys.insert(QByteArray(e.key).toUpper());
        saves.insert(e.saveOrder);
        if (e.loadOrder >= 0) {
            loads.insert(e.loadOrder);
            EXPECT_GT(e.loadOrder, previousLoad) << e.key;
            previousLoad = e.loadOrder;
        }
    }
    EXPECT_EQ(keys.size(), 42u);
    EXPECT_EQ(saves.size(), 42u);
    EXPECT_EQ(loads.size(), 41u);
    EXPECT_EQ(*saves.rbegin(), 41);
    EXPECT_EQ(*loads.rbegin(), 40);

    // The later sections come after MAIN in both orders.
    QByteArrayList later;
    for (const SettingEntry* e : settingsSaveOrder())
        later << QByteArray(e->section) + '/' + e->key;
    EXPECT_EQ(later.mid(42).join(' '),
              "FLAC/COMPRESSION_LEVEL FLAC/VERIFY READING/MODE READING/OFFSET READING/ACCURATERIP_SERVER "
              "CDDB/SERVER CDDB/CGI CDDB/EMAIL LOOKUP/SOURCE LOOKUP/MUSICBRAINZ_SERVER LOOKUP/COVER_ART_SERVER "
              "LOOKUP/COVER_ART LOOKUP/CD_NUMBER_FOLDER");
    EXPECT_EQ(settingsLoadOrder().size(), 54u);
}

// A later feature's section, walked by the same load and save.
TEST_F(SettingsFile, EntriesOfAnotherSectionGoIntoTheirOwnSection)
{
    const SettingEntry table[] = {
        {"READING", "RETRIES", SettingEntry::Type::TrackBar, "20", 0, 1, &Settings::filterCbrLow, "TrackBarCBR_Low"},
        {"READING", "PROXY_NAME", SettingEntry::Type::Text, "", 1, 0, &Settings::serverProxy, "Edt_Server_Proxy"},
    };
    put(kSavedMain);
    Settings settings;
    settings.load(IniFile(path()), kProgramDir, table);
    EXPECT_EQ(settings.filterCbrLow, 20);  // the default of a missing key
    settings.serverProxy = "p";
    IniFile file(path());
    ASSERT_TRUE(settings.save(file, table));
    const QByteArray written = contents();
    EXPECT_TRUE(written.startsWith(kSavedMain));
    EXPECT_EQ(written.mid(kSavedMain.size()).toStdString(), "\r\n[READING]\r\nPROXY_NAME=p\r\nRETRIES=20\r\n");

    put(kSavedMain + "[READING]\r\nRETRIES=7\r\nPROXY_NAME=q\r\n");
    settings.load(IniFile(path()), kProgramDir, table);
    EXPECT_EQ(std::tuple(settings.filterCbrLow, settings.serverProxy), std::tuple(7, QString("q")));
    // MAIN, loaded by the whole table, does not see them.
    settings.load(IniFile(path()), kProgramDir);
    EXPECT_EQ(settings.filterCbrLow, 0);
}

TEST(SettingsValueDisplay, RatioInTheLocaleAndPowerSplitWithHalvesToEven)
{
    EXPECT_EQ(Settings::ratioText(100, QLocale::c()), "1.00");
    EXPECT_EQ(Settings::ratioText(55, QLocale(QLocale::German, QLocale::Germany)), "0,55");
    // Position 1: 33.5 and 66.5 both go to the even side; 97: 49.5 and 50.5 to 50.
    const std::pair<int, const char*> power[] = {{0, "67%/33%"}, {1, "66%/34%"}, {97, "50%/50%"}, {100, "50%/50%"}};
    for (const auto& [position, text] : power)
        EXPECT_EQ(Settings::powerText(position), text) << position;
}

class SettingsWindowTest : public SettingsFile
{
protected:
    void start()
    {
        drives = std::make_unique<CdDrives>(library, log, driveList, CdDrives::Options{paths.discsDir(), false});
        tracks = std::make_unique<TrackList>(*drives, log);
        tracks->setDecimalPoint(QLatin1Char('.'));
        mainWindow = std::make_unique<TForm1>(
            TForm1::Collaborators{*drives, driveList, *tracks, log, boxes, paths, discNames, mainSteps, nullptr});
        mainWindowPointer = mainWindow.get();
        tagEditor = std::make_unique<TForm4>(
            genres, tagFields, discNames,
            TForm4::PictureChoice{shell, boxes, [this]() -> const LanguageTexts& { return texts; }});
        form = std::make_unique<TForm2>(TForm2::Collaborators{settings, steps, discNames, *drives, driveList, *tracks,
                                                              shell, boxes, paths, tagEditor.get()});
        mainWindow->setCommand(QStringLiteral("Settings"), [this] { form->SettingsClick(); });
        mainWindow->show();
    }

    template <typename T>
    T* find(const char* name) const
    {
        T* widget = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(widget) << name;
        return widget;
    }
    bool enabled(const char* name) const { return find<QWidget>(name)->isEnabled(); }
    QString text(const char* name) const { return find<QLabel>(name)->text(); }
    QLineEdit* edit(const char* name) const { return find<QLineEdit>(name); }
    QComboBox* combo(const char* name) const { return find<QComboBox>(name); }
    // Clicks the main window's Settings button; act runs while the modal
    // window is open and must close it.
    void openFromMainWindow(const std::function<void()>& act)
    {
        bool ran = false;
        QTimer::singleShot(0, form.get(), [&] {
            ran = true;
            EXPECT_EQ(QApplication::activeModalWidget(), form.get());
            act();
            if (form->isVisible()) {
                ADD_FAILURE() << "the window stayed open";
                form->reject();
            }
        });
        mainWindow->findChild<QToolButton*>("Settings")->click();
        EXPECT_TRUE(ran);
    }
    // Clicks where a user would: a check or radio box on its indicator (only
    // indicator and text take a click), any other button in its middle.
    void click(const char* name)
    {
        auto* button = find<QAbstractButton>(name);
        const bool box = qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button);
        QTest::mouseClick(button, Qt::LeftButton, {},
                          box ? QPoint(4, button->height() / 2) : button->rect().center());
    }
    void choose(const char* name, int index)
    {
        combo(name)->setCurrentIndex(index);
        Q_EMIT combo(name)->activated(index);
    }

    AkripLibrary library;
    HiddenLog log;
    DriveList driveList;
    test::RecordingMessageBoxes boxes;
    test::FakeDesktopShell shell;
    LanguageTexts texts;
    Settings settings;
    std::unique_ptr<CdDrives> drives;
    std::unique_ptr<TrackList> tracks;
    test::RecordingMainWindowSteps mainSteps;
    TForm1* mainWindowPointer = nullptr;
    test::RecordingSettingsWindowSteps steps{mainWindowPointer};
    std::unique_ptr<TForm1> mainWindow;
    GenreList genres;
    TagFields tagFields{genres};
    DiscNames discNames;
    std::unique_ptr<TForm4> tagEditor;
    std::unique_ptr<TForm2> form;
};

TEST_F(SettingsWindowTest, AppliedValuesAreStoredAndShownAgain)
{
    put(shipped());
    start();
    openFromMainWindow([&] {
        tagEditor->setUseId3v2(false);  // the tag editor holds the ID3 switches
        combo("Quality")->setCurrentIndex(3);  // MS Stereo
        click("MPEG2");
        combo("Bitrate")->setCurrentIndex(12);
        click("Use_Proxy");
        QTest::keyClicks(edit("Edt_Server_Proxy"), "proxy.local");
        edit("Edt1")->setText("-");
        click("Apply");
    });
    EXPECT_EQ(stored("QUALITY"), "MS Stereo");
    EXPECT_EQ(stored("VERSION_MPEG"), "2");
    EXPECT_EQ(stored("BITRATE_MAX"), "144kbps");  // position 12 kept: 256 becomes 144
    EXPECT_EQ(stored("SERVER_PROXY"), "proxy.local");
    EXPECT_EQ(stored("USEID3v2"), "0");
    EXPECT_EQ(form->namingSettings().replacements[0], "-");
    EXPECT_TRUE(boxes.messages.isEmpty());
    // Another program state in between: reopening shows the file again.
    settings.quality = 0;
    form->showSettings();
    openFromMainWindow([&] {
        EXPECT_EQ(combo("Quality")->currentText(), "MS Stereo");
        EXPECT_TRUE(find<QRadioButton>("MPEG2")->isChecked());
        EXPECT_EQ(combo("Bitrate")->currentText(), "144kbps");
        EXPECT_TRUE(enabled("Edt_Server_Proxy"));
        click("Cancel");
    });
}

TEST_F(SettingsWindowTest, CancelKeepsTheChangeInEffectWithoutSavingIt)
{
    put(shipped());
    start();
    const QStringList& languages = steps.languages;
    openFromMainWindow([&] {
        combo("Bitrate")->setCurrentIndex(10);
        combo("Cmb_Language")->setCurrentIndex(2);  // German, not applied yet
        click("Cancel");
    });
    // The next MP3 run uses 192 kbps; the file is untouched.
    EXPECT_EQ(form->GetBitrate(settings.bitrate), "192kbps");
    EXPECT_EQ(stored("BITRATE"), "128kbps");
    // The stored language comes back, so a later save keeps it.
    EXPECT_EQ(languages, QStringList{"English.LNG"});
    EXPECT_EQ(settings.language, "English");
    EXPECT_EQ(steps.copied.size(), 1u);
}

TEST_F(SettingsWindowTest, EnablingRules)
{
    put("[MAIN]\r\nVBRRATIO=1\r\nUSE_EXTENDED_FILTER_CBR=1\r\n"
                  "USE_EXTENDED_FILTER_MSTEREO=0\r\nUSE_PROXY=0\r\n");
    start();
    const auto cbrEnabled = [&](bool on) { EXPECT_EQ(enabled("TrackBarCBR_Low") + enabled("Filter_CBR_ValueHigh"), 2 * on); };
    // Loaded with VBR on: the whole CBR group is off, sliders included.
    EXPECT_FALSE(enabled("ExtendedFilterCBR"));
    cbrEnabled(false);
    EXPECT_EQ(text("LabelBitrate"), "Bitrate Min:");

    auto* vbr = find<QCheckBox>("VBRRatio");
    vbr->click();
    EXPECT_EQ(text("LabelBitrate"), "Bitrate:");
    EXPECT_FALSE(enabled("BitrateMax") || enabled("VBR"));
    cbrEnabled(true);
    find<QCheckBox>("ExtendedFilterCBR")->click();
    vbr->click();
    vbr->click();
    cbrEnabled(false);  // unticking VBR brings the sliders back only with their box
    EXPECT_FALSE(settings.extendedFilterCbr);

    EXPECT_FALSE(enabled("TrackBarThreshold") || enabled("Filter_MS_Power"));
    find<QCheckBox>("Filter_MS_Stereo")->click();
    EXPECT_TRUE(enabled("TrackBarThreshold") && enabled("Filter_MS_Power"));
    EXPECT_FALSE(enabled("LabelPortProxy"));
    find<QCheckBox>("Use_Proxy")->click();
    EXPECT_TRUE(enabled("LabelPortProxy") && enabled("Edt_Server_Proxy"));
}

TEST_F(SettingsWindowTest, MpegVersionRefillsBothBitrateListsKeepingPositions)
{
    start();  // no settings file: no version, empty lists
    auto* bitrate = combo("Bitrate");
    auto* bitrateMax = combo("BitrateMax");
    EXPECT_EQ(bitrate->count(), 0);
    click("MPEG1");
    ASSERT_EQ(bitrate->count(), 14);
    EXPECT_EQ(bitrate->currentIndex(), -1);  // nothing chosen yet
    bitrate->setCurrentIndex(8);
    bitrateMax->setCurrentIndex(13);

    click("MPEG2");
    EXPECT_EQ(bitrate->itemText(0), "    8kbps");
    EXPECT_EQ(bitrate->currentIndex(), 8);
    ASSERT_TRUE(form->saveSettings());
    EXPECT_EQ(stored("BITRATE"), "80kbps");
    EXPECT_EQ(stored("BITRATE_MAX"), "160kbps");
    // A file of the other version refills the lists before choosing.
    put("[MAIN]\r\nVERSION_MPEG=1\r\nBITRATE=128kbps\r\n");
    form->loadSettings();
    EXPECT_EQ(bitrate->currentText(), "128kbps");
    // An index the list does not have is shown, and then saved, as none.
    settings.bitrate = 30;
    form->showSettings();
    EXPECT_EQ(bitrate->currentIndex(), -1);
    EXPECT_EQ(settings.bitrate, -1);
}

TEST_F(SettingsWindowTest, FolderPickerStartsAtTheOutputFolderAndCancelKeepsIt)
{
    put("[MAIN]\r\nDIRECTORYMP3=" + folders.output.toUtf8() + "\r\n");
    start();
    shell.directoryAnswers = {folders.root.path(), ""};
    click("BtnBrowseWAV_MP3");
    EXPECT_EQ(settings.directoryMp3, folders.root.path() + "/");
    click("BtnBrowseWAV_MP3");  // cancelled: the folder stays
    EXPECT_EQ(edit("Edt_Directory_WAV_MP3")->text(), folders.root.path() + "/");
    EXPECT_EQ(settings.directoryMp3, folders.root.path() + "/");
    EXPECT_EQ(shell.directoryStarts, (QStringList{folders.output, folders.root.path() + "/"}));
    // An empty field opens the picker at the new user's folder.
    edit("Edt_Directory_WAV_MP3")->clear();
    click("BtnBrowseWAV_MP3");
    EXPECT_EQ(shell.directoryStarts.value(2), defaultOutputDirectory());
    // A run moves the output directory on; another control must not write the field's older text over it.
    settings.directoryMp3 = "/run/Artist/";
    combo("Quality")->setCurrentIndex(0);
    EXPECT_EQ(settings.directoryMp3, "/run/Artist/");
}

// Every value the table gives this window: its control shows it, and a
// change of the control changes that value and no other.
TEST_F(SettingsWindowTest, EachControlOfTheTableHoldsItsOwnValue)
{
    put(shipped());
    start();
    click("MPEG1");
    for (const SettingEntry& e : settingsTable()) {
        if (e.holder != SettingEntry::Holder::SettingsWindow || e.type == SettingEntry::Type::MpegVersion
            || e.type == SettingEntry::Type::Language)
            continue;
        QWidget* control = find<QWidget>(e.control);
        ASSERT_TRUE(control) << e.key;
        Settings expected = settings;
        if (bool Settings::*flag = e.as<bool>()) {
            auto* box = qobject_cast<QAbstractButton*>(control);
            ASSERT_TRUE(box) << e.key;
            EXPECT_EQ(box->isChecked(), settings.*flag) << e.key;
            box->toggle();
            expected.*flag = !(expected.*flag);
        } else if (int Settings::*number = e.as<int>()) {
            if (auto* box = qobject_cast<QComboBox*>(control)) {
                EXPECT_EQ(box->currentIndex(), settings.*number) << e.key;
                const int other = (box->currentIndex() + 1) % box->count();
                box->setCurrentIndex(other);
                expected.*number = other;
            } else if (auto* spin = qobject_cast<QSpinBox*>(control)) {
                EXPECT_EQ(spin->value(), settings.*number) << e.key;
                // The field takes nothing beyond what a drive can have.
                spin->setValue(-4000);
                EXPECT_EQ(spin->value(), -Settings::kMaxReadOffset) << e.key;
                spin->setValue(-30);
                expected.*number = -30;
            } else {
                auto* slider = qobject_cast<QSlider*>(control);
                ASSERT_TRUE(slider) << e.key;
                EXPECT_EQ(slider->value(), settings.*number) << e.key;
                slider->setValue(slider->value() + 7);
                expected.*number = slider->value();
            }
        } else {
            auto* field = qobject_cast<QLineEdit*>(control);
            ASSERT_TRUE(field && e.as<QString>()) << e.key;
            EXPECT_EQ(field->text(), settings.*e.as<QString>()) << e.key;
            field->setText(QString::fromLatin1(e.key));
            expected.*e.as<QString>() = QString::fromLatin1(e.key);
        }
        EXPECT_EQ(settings, expected) << e.key;
        settings = expected;
    }
    // Shown again from the object, each control takes its value back.
    const Settings changed = settings;
    form->showSettings();
    EXPECT_EQ(settings, changed);
}

TEST_F(SettingsWindowTest, NoVersionChosenIsSavedAsMpeg2)
{
    start();  // no settings file: neither radio button checked
    ASSERT_FALSE(find<QRadioButton>("MPEG1")->isChecked() || find<QRadioButton>("MPEG2")->isChecked());
    ASSERT_TRUE(form->saveSettings());
    EXPECT_EQ(stored("VERSION_MPEG"), "2");
    form->loadSettings();
    EXPECT_TRUE(find<QRadioButton>("MPEG2")->isChecked());
    EXPECT_EQ(combo("Bitrate")->count(), 14);
}

TEST_F(SettingsWindowTest, ChoosingADriveReadsItsDiscAndRunsTheLaterSteps)
{
    folders.writeDisc("A", {10, 10, 10});
    folders.writeDisc("B", {20, 20});
    put("[MAIN]\r\nSELECTALL=0\r\nLANGUAGE=German\r\n");
    start();
    ASSERT_EQ(driveList.count(), 2);
    form->selectLanguage("German");
    find<QListWidget>("Tracks")->addItem("old");

    choose("CDROMUnit", 1);
    EXPECT_EQ(driveList.selectedIndex(), 1);
    EXPECT_EQ(combo("cd")->currentIndex(), 1);
    EXPECT_EQ(tracks->RowCount(), 3);
    EXPECT_FALSE(tracks->Selected());  // SELECTALL of the file
    EXPECT_EQ(find<QListWidget>("Tracks")->count(), 0);
    EXPECT_EQ(steps.calls, (QStringList{"database B.cue", "GERMAN.LNG", "names B.cue", "tags"}));
    EXPECT_EQ(text("LabelAvailableTracks"), "Available tracks: (2):");
    choose("CDROMUnit", 1);  // the open drive again: it is closed and opened, the steps run
    EXPECT_EQ(steps.calls.size(), 8);
}

TEST_F(SettingsWindowTest, WithoutASettingsFileCancelKeepsTheTextsAndApplyReportsTheFailure)
{
    paths.programDir = folders.root.filePath("gone");  // the folder is not created for the file
    start();
    const QStringList& languages = steps.languages;
    openFromMainWindow([&] { click("Cancel"); });
    EXPECT_TRUE(languages.isEmpty());  // no stored language to go back to

    openFromMainWindow([&] { click("Apply"); });
    ASSERT_EQ(boxes.messages.size(), 1);
    EXPECT_EQ(boxes.messages[0].kind, test::RecordingMessageBoxes::Kind::Error);
    EXPECT_EQ(boxes.messages[0].text, "Unable to write to " + paths.settingsFile());
}

}
