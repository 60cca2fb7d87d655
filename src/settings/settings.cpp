// SPDX-License-Identifier: GPL-2.0-or-later
#include "settings.h"

#include "platform/inifile.h"

#include <QFile>
#include <QLocale>
#include <QFileInfo>
#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace trackmill {

namespace {

// Halves go to the even neighbour (num >= 0, den > 0).
int roundHalfEven(int num, int den)
{
    const int quotient = num / den;
    const int twiceRest = 2 * (num % den);
    if (twiceRest > den || (twiceRest == den && quotient % 2 != 0))
        return quotient + 1;
    return quotient;
}

constexpr QByteArrayView kMain = "MAIN";

QByteArray flag(bool value)
{
    return value ? QByteArray("1") : QByteArray("0");
}

QByteArray entryText(const QStringList& names, int index)
{
    return index >= 0 && index < names.size() ? names[index].toLatin1() : QByteArray();
}

// Exact comparison: "Joint stereo" or " Stereo" select nothing.
// A directory we may search, as the batch checks it before it starts.
bool isEnterableDirectory(const QString& directory)
{
    if (directory.isEmpty())
        return false;
    const QByteArray native = QFile::encodeName(directory);
    struct stat st {};
    return ::stat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode)
           && ::access(native.constData(), X_OK) == 0;
}

int entryIndex(const QStringList& names, const QByteArray& stored, int current)
{
    for (int i = 0; i < names.size(); ++i) {
        if (names[i].toLatin1() == stored)
            return i;
    }
    return current;
}

}

const QList<int>& Settings::bitrateTable(MpegVersion version)
{
    static const QList<int> mpeg1{32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const QList<int> mpeg2{8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static const QList<int> none;
    switch (version) {
    case MpegVersion::Mpeg1:
        return mpeg1;
    case MpegVersion::Mpeg2:
        return mpeg2;
    case MpegVersion::None:
        break;
    }
    return none;
}

const QStringList& Settings::qualityNames()
{
    static const QStringList names{QStringLiteral("Mono"), QStringLiteral("Stereo"),
                                   QStringLiteral("Joint Stereo"), QStringLiteral("MS Stereo"),
                                   QStringLiteral("Dual Channel")};
    return names;
}

const QStringList& Settings::emphasisNames()
{
    static const QStringList names{QStringLiteral("None"), QStringLiteral("50/15 ms"),
                                   QStringLiteral("CCITT j. 17")};
    return names;
}

QByteArray Settings::bitrateText(MpegVersion version, int index)
{
    const QList<int>& table = bitrateTable(version);
    if (index < 0 || index >= table.size())
        return QByteArray();
    return QByteArray::number(table[index]) + "kbps";
}

void Settings::load(const IniFile& file, const QString& programDir)
{
    const IniDocument doc = file.load();
    const auto boolean = [&](QByteArrayView key, bool defaultValue) {
        return doc.intValue(kMain, key, defaultValue ? 1 : 0) != 0;
    };
    const auto trackBar = [&](QByteArrayView key) {
        return std::clamp(doc.intValue(kMain, key, 0), 0, kTrackBarMax);
    };
    // An index outside the list selects no entry.
    const auto listIndex = [&](QByteArrayView key, int count) {
        const int index = doc.intValue(kMain, key, 0);
        return index >= 0 && index < count ? index : -1;
    };
    const auto lookUpBitrate = [&](QByteArrayView key, int current) {
        if (!doc.hasKey(kMain, key))
            return current;
        const QByteArray stored = doc.value(kMain, key);
        for (int i = 0; i < bitrateTable(mpegVersion).size(); ++i) {
            if (bitrateText(mpegVersion, i) == stored)
                return i;
        }
        return current;
    };

    // Any other version leaves the lists as they are and skips the lookups.
    const int version = doc.intValue(kMain, "VERSION_MPEG", 0);
    if (version == 1 || version == 2) {
        mpegVersion = MpegVersion(version);
        bitrate = lookUpBitrate("BITRATE", bitrate);
        bitrateMax = lookUpBitrate("BITRATE_MAX", bitrateMax);
    }
    if (doc.hasKey(kMain, "QUALITY"))
        quality = entryIndex(qualityNames(), doc.value(kMain, "QUALITY"), quality);
    const int level = doc.intValue(kMain, "VBR", vbr);
    if (level >= 0 && level < kVbrLevels)
        vbr = level;
    priority = listIndex("PRIORITY", kPriorityCount);
    if (doc.hasKey(kMain, "EMPHASIS"))
        emphasis = entryIndex(emphasisNames(), doc.value(kMain, "EMPHASIS"), emphasis);
    onTheFly = boolean("ON_THE_FLY_ENCODING", true);
    deleteWav = boolean("DELETE", true);
    usePsy = boolean("USEPSY", true);
    useLpf16 = boolean("USELPF16", true);
    vbrRatio = boolean("VBRRATIO", true);
    extendedFilterCbr = boolean("USE_EXTENDED_FILTER_CBR", true);
    filterCbrLow = trackBar("Filter_CBR_LOW");
    filterCbrHigh = trackBar("Filter_CBR_HIGH");
    extendedFilterMsStereo = boolean("USE_EXTENDED_FILTER_MSTEREO", true);
    filterMsThreshold = trackBar("Filter_MSSTEREO_THRESHOLD");
    filterMsPower = trackBar("Filter_MSSTEREO_POWER");
    multiCpu = boolean("MULTI_CPU_SUPPORT", true);

    // A directory that cannot be entered, or none, shows the program's own
    // directory and sets the error flag. The process's current directory is
    // not moved into it: the batch resolves a relative text against the
    // current directory again, which would then name a different folder.
    const QString directory = QString::fromUtf8(doc.value(kMain, "DIRECTORYMP3"));
    if (isEnterableDirectory(directory)) {
        directoryMp3 = directory;
        outputDirectoryError = false;
    } else {
        directoryMp3 = programDir.endsWith(QLatin1Char('/')) ? programDir
                                                              : programDir + QLatin1Char('/');
        outputDirectoryError = true;
    }

    selectAll = boolean("SELECTALL", true);
    useCdPlayerIni = boolean("USECDPLAYERINI", true);
    ejectCdAudio = boolean("EJECTCDAUDIO", true);
    useId3v1 = boolean("USEID3v1", true);
    useId3v2 = boolean("USEID3v2", true);
    artistAsDirectory = boolean("ARTIST_AS_DIRECTORY", true);
    albumAsDirectory = boolean("ALBUM_AS_DIRECTORY", true);
    artistAndAlbumAsDirectory = boolean("ARTIST_AND_ALBUM_AS_DIRECTORY", true);
    split = boolean("SPLIT", true);
    fileName = listIndex("FILENAME", kFileNameCount);
    autoConnectFreedb = boolean("AUTO_CONNECT_FREEDB", true);
    artistAlbumYearAsDirectory = boolean("ARTIST_ALBUM_YEAR_AS_DIRECTORY", true);
    useMmx3dnow = boolean("USE_MMX_3DNOW", true);
    replaceSpaces = boolean("REPLACE_SPACES_BY_UNDERSCORES", true);
    preventScreensaver = boolean("PREVENT_SCREENSAVER", true);
    autoStoreCdPlayerIni = boolean("AUTO_STORE_CDPLAYER_INI", true);
    // Only 0 to 2 name an action; anything else (3 included) is "None",
    // so a stray value can never leave the after-run choice undefined.
    const int action = doc.intValue(kMain, "AFTER_EXECUTE", 0);
    afterExecute = action >= 0 && action < kAfterExecuteCount ? action : 0;
    encodeWavToMp3 = boolean("ENCODE_WAV_TO_MP3", true);
    useProxy = boolean("USE_PROXY", false);
    serverProxy = QString::fromUtf8(doc.value(kMain, "SERVER_PROXY"));
    portProxy = QString::fromUtf8(doc.value(kMain, "PORT_PROXY"));
}

bool Settings::save(IniFile& file)
{
    m_error.clear();
    const bool written = file.update([this](IniDocument& doc) {
        const auto put = [&doc](QByteArrayView key, const QByteArray& value) {
            doc.setValue(kMain, key, value);
        };
        // No version chosen writes 0, which the loader ignores, rather than
        // turning a fresh start into MPEG-2.
        put("VERSION_MPEG", QByteArray::number(int(mpegVersion)));
        // No entry selected writes an empty value, which matches no entry.
        put("BITRATE", bitrateText(mpegVersion, bitrate));
        put("BITRATE_MAX", bitrateText(mpegVersion, bitrateMax));
        put("QUALITY", entryText(qualityNames(), quality));
        put("VBR", vbr >= 0 && vbr < kVbrLevels ? QByteArray::number(vbr) : QByteArray());
        put("PRIORITY", QByteArray::number(priority));
        put("EMPHASIS", entryText(emphasisNames(), emphasis));
        put("ON_THE_FLY_ENCODING", flag(onTheFly));
        put("DELETE", flag(deleteWav));
        put("USEPSY", flag(usePsy));
        put("UseLPF16", flag(useLpf16));
        put("VBRRatio", flag(vbrRatio));
        put("Filter_CBR_LOW", QByteArray::number(filterCbrLow));
        put("Filter_CBR_HIGH", QByteArray::number(filterCbrHigh));
        put("Filter_MSSTEREO_THRESHOLD", QByteArray::number(filterMsThreshold));
        put("Filter_MSSTEREO_POWER", QByteArray::number(filterMsPower));
        put("MULTI_CPU_SUPPORT", flag(multiCpu));
        put("DIRECTORYMP3", directoryMp3.toUtf8());
        put("SELECTALL", flag(selectAll));
        put("USECDPLAYERINI", flag(useCdPlayerIni));
        put("EJECTCDAUDIO", flag(ejectCdAudio));
        put("USEID3v1", flag(useId3v1));
        put("USEID3v2", flag(useId3v2));
        put("ARTIST_AS_DIRECTORY", flag(artistAsDirectory));
        put("ALBUM_AS_DIRECTORY", flag(albumAsDirectory));
        put("ARTIST_AND_ALBUM_AS_DIRECTORY", flag(artistAndAlbumAsDirectory));
        put("ARTIST_ALBUM_YEAR_AS_DIRECTORY", flag(artistAlbumYearAsDirectory));
        put("SPLIT", flag(split));
        put("FILENAME", QByteArray::number(fileName));
        put("AUTO_CONNECT_FREEDB", flag(autoConnectFreedb));
        put("AUTO_STORE_CDPLAYER_INI", flag(autoStoreCdPlayerIni));
        put("USE_PROXY", flag(useProxy));
        put("SERVER_PROXY", serverProxy.toUtf8());
        put("PORT_PROXY", portProxy.toUtf8());
        put("USE_MMX_3DNOW", flag(useMmx3dnow));
        put("USE_EXTENDED_FILTER_CBR", flag(extendedFilterCbr));
        put("USE_EXTENDED_FILTER_MSTEREO", flag(extendedFilterMsStereo));
        // Nobody chose a language yet: keep the stored one instead of
        // wiping the user's language with an empty name.
        put("LANGUAGE", language.isEmpty() ? doc.value(kMain, "LANGUAGE") : language.toUtf8());
        put("REPLACE_SPACES_BY_UNDERSCORES", flag(replaceSpaces));
        put("PREVENT_SCREENSAVER", flag(preventScreensaver));
        put("ENCODE_WAV_TO_MP3", flag(encodeWavToMp3));
        put("AFTER_EXECUTE", QByteArray::number(afterExecute));
    });
    if (!written)
        m_error = QStringLiteral("Unable to write to %1").arg(QFileInfo(file.path()).absoluteFilePath());
    return written;
}

bool Settings::getUse(const IniFile& file, QByteArrayView key)
{
    return file.readBool(kMain, key, true);
}

QString Settings::bitrateListEntry(MpegVersion version, int index)
{
    const QList<int>& table = bitrateTable(version);
    if (index < 0 || index >= table.size())
        return QString();
    const int blanks = version == MpegVersion::Mpeg1 ? (index <= 6 ? 2 : 0)
                       : index == 0                  ? 4
                       : index <= 9                  ? 2
                                                     : 0;
    return QString(blanks, QLatin1Char(' ')) + QString::number(table[index]) + QStringLiteral("kbps");
}

QString Settings::ratioText(int position, const QLocale& locale)
{
    return locale.toString(position / 100.0, 'f', 2);
}

QString Settings::powerText(int position)
{
    // x = p / 3 + 200 / 3; a = x / 2 and b = (200 - x) / 2, computed in
    // sixths so that exact halves are exact and go to the even neighbour.
    const int p = std::clamp(position, 0, kTrackBarMax);
    const int a = roundHalfEven(p + 200, 6);
    const int b = roundHalfEven(400 - p, 6);
    return QString::asprintf("%.2d%%/%.2d%%", b, a);
}

}
