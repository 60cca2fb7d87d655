// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <span>

class QLocale;

namespace trackmill {

class IniFile;
struct SettingEntry;

// The user's settings: the 42 keys of section MAIN of Trackmill.INI and the
// keys of the later features' sections (FLAC, READING, CDDB, LOOKUP), held
// as the settings window shows them. Each key is declared once, in
// settingsTable() (settingstable.h), which load(), save() and the settings
// window walk. List choices are entry indexes, -1 when
// no entry is selected. The window edits this object directly, so a value
// changed and then cancelled stays in effect until the next load(), and
// load() and save() see exactly what the window shows.
class Settings
{
public:
    enum class MpegVersion { None = 0, Mpeg1 = 1, Mpeg2 = 2 };

    // Fixed lists that the stored values index (built-in English texts; the
    // stored strings are always compared with these, never with shown texts).
    static const QList<int>& bitrateTable(MpegVersion version);  // kbps, 14 entries; empty for None
    static const QStringList& qualityNames();   // "Mono" ... "Dual Channel"
    static const QStringList& emphasisNames();  // "None", "50/15 ms", "CCITT j. 17"
    static constexpr int kVbrLevels = 10;       // entries "0" to "9"
    static constexpr int kPriorityCount = 8;    // "Idle" ... "Time critical"
    static constexpr int kFileNameCount = 6;    // file name schemes
    static constexpr int kAfterExecuteCount = 3;  // "None", "Shutdown", "Restart"
    static constexpr int kTrackBarMax = 100;

    // The start entries the window puts its lists on before the first load;
    // everything else at its default for a missing key.
    MpegVersion mpegVersion = MpegVersion::None;
    int bitrate = -1;     // index into bitrateTable(mpegVersion)
    int bitrateMax = -1;  // likewise, upper bound of the VBR range
    int quality = 1;      // "Stereo"
    int vbr = 4;          // VBR level, index = level
    int priority = 3;     // "Normal"
    int emphasis = 0;     // "None"
    bool onTheFly = true;
    bool deleteWav = true;
    bool usePsy = true;
    bool useLpf16 = true;
    bool vbrRatio = true;
    bool extendedFilterCbr = true;
    int filterCbrLow = 0;  // track bar positions, 0 to 100
    int filterCbrHigh = 0;
    bool extendedFilterMsStereo = true;
    int filterMsThreshold = 0;
    int filterMsPower = 0;
    bool multiCpu = true;
    QString directoryMp3;  // output directory as shown, "" until loaded
    bool selectAll = true;
    bool useCdPlayerIni = true;
    bool ejectCdAudio = true;
    bool useId3v1 = true;
    bool useId3v2 = true;
    bool artistAsDirectory = true;
    bool albumAsDirectory = true;
    bool artistAndAlbumAsDirectory = true;
    bool split = true;
    int fileName = 0;
    bool autoConnectFreedb = true;
    bool artistAlbumYearAsDirectory = true;
    bool useMmx3dnow = true;
    bool replaceSpaces = true;
    bool preventScreensaver = true;
    bool autoStoreCdPlayerIni = true;
    int afterExecute = 0;  // 0 none, 1 shut down, 2 restart
    bool encodeWavToMp3 = true;
    bool useProxy = false;
    QString serverProxy;
    QString portProxy;
    // Section FLAC: the compression level of FLAC files (0 fastest to 8
    // smallest) and whether libFLAC checks what it wrote by decoding it.
    static constexpr int kFlacLevels = 9;
    int flacCompression = 5;
    bool flacVerify = true;
    // Written by save() but not read by load(): the language files read
    // LANGUAGE themselves and set this when a language is chosen.
    QString language;

    // Section READING. How tracks are read: 0 verified (libcdio-paranoia),
    // 1 fast (each sector once, 26 a read).
    int readMode = 0;
    static constexpr int kReadModeCount = 2;
    // The drive's read offset in stereo samples (-3000 to 3000); images
    // are always read with 0.
    int readOffset = 0;
    static constexpr int kMaxReadOffset = 3000;
    // "host" or "host:port" of the AccurateRip database.
    QString accurateRipServer = QStringLiteral("www.accuraterip.com");
    // Section CDDB: the server ("host" or "host:port"), its query program
    // and the e-mail address the lookups send.
    QString cddbServer = QStringLiteral("gnudb.gnudb.org");
    QString cddbCgi = QStringLiteral("/~cddb/cddb.cgi");
    QString cddbEmail = QStringLiteral("trackmill@localhost");
    // Section LOOKUP: where the connection window looks first (0 CDDB,
    // 1 MusicBrainz), the MusicBrainz and Cover Art Archive servers, whether
    // the front cover is fetched, and whether a disc of a set rips into a
    // "CD n" folder inside the album's folder.
    int lookupSource = 0;
    QString musicBrainzServer = QStringLiteral("https://musicbrainz.org");
    QString coverArtServer = QStringLiteral("https://coverartarchive.org");
    bool fetchCoverArt = true;
    bool cdNumberFolder = false;
    static constexpr int kLookupSourceCount = 2;

    // Not stored: whether load() could not enter the stored output directory
    // (the batch driver refuses to start while it is set).
    bool outputDirectoryError = false;

    // Reads every key but LANGUAGE, in the order of the design. Values that
    // match no entry leave the current choice alone; a missing key takes
    // its default. A DIRECTORYMP3 that is missing or empty shows the user's
    // music folder (defaultOutputDirectory()); one that cannot be entered
    // shows programDir + "/" instead and sets the error flag. The process's
    // current directory is left alone.
    void load(const IniFile& file, const QString& programDir);
    // Writes every key (the 42 of MAIN, then the later sections') in the
    // save order in one atomic replacement; other lines of the file stay as
    // they are. On failure the file is unchanged
    // and errorString() is "Unable to write to <full path>".
    bool save(IniFile& file);
    // The same over another table (tests, and sections of later features).
    void load(const IniFile& file, const QString& programDir, std::span<const SettingEntry> table);
    bool save(IniFile& file, std::span<const SettingEntry> table);
    QString errorString() const { return m_error; }

    // One boolean of MAIN, true when missing (used for SELECTALL and
    // USECDPLAYERINI before the settings are loaded).
    static bool getUse(const IniFile& file, QByteArrayView key);

    // "128kbps" for entry 8 of the MPEG-1 list; empty for no valid entry.
    static QByteArray bitrateText(MpegVersion version, int index);
    // The entry as the settings window's lists show it: blanks in front
    // line the numbers up on their right ("  32kbps", " 128kbps" in a
    // proportional face the designer measured).
    static QString bitrateListEntry(MpegVersion version, int index);

    // The slider value displays: p / 100 with two decimals in the locale's
    // form; the MS stereo power split "67%/33%".
    static QString ratioText(int position, const QLocale& locale);
    static QString powerText(int position);

    bool operator==(const Settings&) const = default;

private:
    void loadOutputDirectory(const QString& stored, const QString& programDir, QString& directory);

    QString m_error;
};

}
