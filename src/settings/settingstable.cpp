// SPDX-License-Identifier: GPL-2.0-or-later
#include "settingstable.h"

#include <QDir>
#include <QStandardPaths>
#include <algorithm>

namespace trackmill {

namespace {

using T = SettingEntry::Type;
using S = Settings;
constexpr const char* kMain = "MAIN";

// One row per kind of value; the two numbers are the load and save positions.
constexpr SettingEntry flag(const char* key, bool S::*member, bool on, int load, int save, const char* control)
{
    return {kMain, key, T::Flag, on ? "1" : "0", load, save, member, control};
}

constexpr SettingEntry trackBar(const char* key, int S::*member, int load, int save, const char* control)
{
    return {kMain, key, T::TrackBar, "0", load, save, member, control};
}

constexpr SettingEntry text(const char* key, QString S::*member, int load, int save, const char* control)
{
    return {kMain, key, T::Text, "", load, save, member, control};
}

const SettingEntry kTable[] = {
    {kMain, "VERSION_MPEG", T::MpegVersion, "0", 0, 0, &S::mpegVersion, "MPEG1"},
    {kMain, "BITRATE", T::Bitrate, nullptr, 1, 1, &S::bitrate, "Bitrate"},
    {kMain, "BITRATE_MAX", T::Bitrate, nullptr, 2, 2, &S::bitrateMax, "BitrateMax"},
    {kMain, "QUALITY", T::Name, nullptr, 3, 3, &S::quality, "Quality", {}, 0, &Settings::qualityNames},
    {kMain, "VBR", T::Level, nullptr, 4, 4, &S::vbr, "VBR", {}, Settings::kVbrLevels},
    {kMain, "PRIORITY", T::ListIndex, "0", 5, 5, &S::priority, "Priority", {}, Settings::kPriorityCount},
    {kMain, "EMPHASIS", T::Name, nullptr, 6, 6, &S::emphasis, "Emphasis", {}, 0, &Settings::emphasisNames},
    flag("ON_THE_FLY_ENCODING", &S::onTheFly, true, 7, 7, "OnTheFly"),
    flag("DELETE", &S::deleteWav, true, 8, 8, "MyDeleteBox"),
    flag("USEPSY", &S::usePsy, true, 9, 9, "UsePsy"),
    flag("UseLPF16", &S::useLpf16, true, 10, 10, "UseLPF16"),
    flag("VBRRatio", &S::vbrRatio, true, 11, 11, "VBRRatio"),
    flag("USE_EXTENDED_FILTER_CBR", &S::extendedFilterCbr, true, 12, 35, "ExtendedFilterCBR"),
    trackBar("Filter_CBR_LOW", &S::filterCbrLow, 13, 12, "TrackBarCBR_Low"),
    trackBar("Filter_CBR_HIGH", &S::filterCbrHigh, 14, 13, "TrackBarCBR_High"),
    flag("USE_EXTENDED_FILTER_MSTEREO", &S::extendedFilterMsStereo, true, 15, 36, "Filter_MS_Stereo"),
    trackBar("Filter_MSSTEREO_THRESHOLD", &S::filterMsThreshold, 16, 14, "TrackBarThreshold"),
    trackBar("Filter_MSSTEREO_POWER", &S::filterMsPower, 17, 15, "TrackBarPower"),
    flag("MULTI_CPU_SUPPORT", &S::multiCpu, true, 18, 16, "Use_Multi_CPU"),
    {kMain, "DIRECTORYMP3", T::Directory, "", 19, 17, &S::directoryMp3, "Edt_Directory_WAV_MP3"},
    flag("SELECTALL", &S::selectAll, true, 20, 18, "SelectAllTracks"),
    flag("USECDPLAYERINI", &S::useCdPlayerIni, true, 21, 19, "UseCDPlayerINI"),
    flag("EJECTCDAUDIO", &S::ejectCdAudio, true, 22, 20, "EjectCDAudio"),
    {kMain, "USEID3v1", T::Flag, "1", 23, 21, &S::useId3v1, "UseID3v1", SettingEntry::Holder::TagEditor},
    {kMain, "USEID3v2", T::Flag, "1", 24, 22, &S::useId3v2, "UseID3v2", SettingEntry::Holder::TagEditor},
    flag("ARTIST_AS_DIRECTORY", &S::artistAsDirectory, true, 25, 23, "ArtistAsDirectory"),
    flag("ALBUM_AS_DIRECTORY", &S::albumAsDirectory, true, 26, 24, "AlbumAsDirectory"),
    flag("ARTIST_AND_ALBUM_AS_DIRECTORY", &S::artistAndAlbumAsDirectory, true, 27, 25, "ArtistAndAlbumAsDirectory"),
    flag("SPLIT", &S::split, true, 28, 27, "Split"),
    {kMain, "FILENAME", T::ListIndex, "0", 29, 28, &S::fileName, "Cmb_FileName", {}, Settings::kFileNameCount},
    flag("AUTO_CONNECT_FREEDB", &S::autoConnectFreedb, true, 30, 29, "AutoConnectFREEDB"),
    flag("ARTIST_ALBUM_YEAR_AS_DIRECTORY", &S::artistAlbumYearAsDirectory, true, 31, 26,
         "ArtistAlbumYearAsDirectory"),
    flag("USE_MMX_3DNOW", &S::useMmx3dnow, true, 32, 34, "Use_MMX_3DNOW"),
    flag("REPLACE_SPACES_BY_UNDERSCORES", &S::replaceSpaces, true, 33, 38, "ReplaceSpaces"),
    flag("PREVENT_SCREENSAVER", &S::preventScreensaver, true, 34, 39, "Cmb_Screensaver"),
    flag("AUTO_STORE_CDPLAYER_INI", &S::autoStoreCdPlayerIni, true, 35, 30, "Cmb_AutoStore"),
    // Only 0 to 2 name an action; anything else (3 included) is "None", so
    // a stray value can never leave the after-run choice undefined.
    {kMain, "AFTER_EXECUTE", T::Choice, "0", 36, 41, &S::afterExecute, "Cmb_Execute", {},
     Settings::kAfterExecuteCount},
    flag("ENCODE_WAV_TO_MP3", &S::encodeWavToMp3, true, 37, 40, "EncodeWAVtoMP3"),
    flag("USE_PROXY", &S::useProxy, false, 38, 31, "Use_Proxy"),
    text("SERVER_PROXY", &S::serverProxy, 39, 32, "Edt_Server_Proxy"),
    text("PORT_PROXY", &S::portProxy, 40, 33, "Edt_Port_Proxy"),
    {kMain, "LANGUAGE", T::Language, "", -1, 37, &S::language, "Cmb_Language"},
    // FLAC output: its own section, loaded and saved after MAIN.
    {"FLAC", "COMPRESSION_LEVEL", T::Level, "5", 41, 42, &S::flacCompression, "Cmb_FlacCompression", {},
     Settings::kFlacLevels},
    {"FLAC", "VERIFY", T::Flag, "1", 42, 43, &S::flacVerify, "FlacVerify"},
    // Verified reading, a section of its own.
    {"READING", "MODE", T::Choice, "0", 43, 44, &S::readMode, "ReadingMode", {}, Settings::kReadModeCount},
    {"READING", "OFFSET", T::SampleOffset, "0", 44, 45, &S::readOffset, "ReadOffset"},
    {"READING", "ACCURATERIP_SERVER", T::Text, "www.accuraterip.com", 45, 46, &S::accurateRipServer,
     "Edt_AccurateRip_Server"},
    // The CDDB server the lookups ask, as the user set it (gnudb by default).
    {"CDDB", "SERVER", T::Text, "gnudb.gnudb.org", 46, 47, &S::cddbServer, "Edit2"},
    {"CDDB", "CGI", T::Text, "/~cddb/cddb.cgi", 47, 48, &S::cddbCgi, "CDDBServer"},
    {"CDDB", "EMAIL", T::Text, "trackmill@localhost", 48, 49, &S::cddbEmail, "Edit1"},
    {"LOOKUP", "SOURCE", T::Choice, "0", 49, 50, &S::lookupSource, "Cmb_LookupSource", {}, Settings::kLookupSourceCount},
    {"LOOKUP", "MUSICBRAINZ_SERVER", T::Text, "https://musicbrainz.org", 50, 51, &S::musicBrainzServer,
     "Edt_MusicBrainzServer"},
    {"LOOKUP", "COVER_ART_SERVER", T::Text, "https://coverartarchive.org", 51, 52, &S::coverArtServer,
     "Edt_CoverArtServer"},
    {"LOOKUP", "COVER_ART", T::Flag, "1", 52, 53, &S::fetchCoverArt, "CoverArt"},
    {"LOOKUP", "CD_NUMBER_FOLDER", T::Flag, "0", 53, 54, &S::cdNumberFolder, "CdNumberAsDirectory"},
};

std::vector<const SettingEntry*> ordered(std::span<const SettingEntry> table, int SettingEntry::*order)
{
    std::vector<const SettingEntry*> entries;
    for (const SettingEntry& entry : table) {
        if (entry.*order >= 0)
            entries.push_back(&entry);
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [order](const SettingEntry* a, const SettingEntry* b) { return a->*order < b->*order; });
    return entries;
}

}

std::span<const SettingEntry> settingsTable()
{
    return kTable;
}

std::vector<const SettingEntry*> settingsLoadOrder(std::span<const SettingEntry> table)
{
    return ordered(table, &SettingEntry::loadOrder);
}

std::vector<const SettingEntry*> settingsSaveOrder(std::span<const SettingEntry> table)
{
    return ordered(table, &SettingEntry::saveOrder);
}

QString defaultOutputDirectory()
{
    // Qt reads XDG_MUSIC_DIR from user-dirs.dirs and falls back to
    // $HOME/Music itself. The XDG rules make a directory equal to the home
    // folder mean "none": files would land loose in the home folder.
    const QString home = QDir::homePath();
    QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    if (music.isEmpty() || QDir(music) == QDir(home))
        music = home + QStringLiteral("/Music");
    if (!music.endsWith(QLatin1Char('/')))
        music += QLatin1Char('/');
    return music;
}

}
