// SPDX-License-Identifier: GPL-2.0-or-later
#include "settings.h"
#include "settingstable.h"

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

// Exact comparison: "Joint stereo" or " Stereo" select nothing.
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
    load(file, programDir, settingsTable());
}

void Settings::load(const IniFile& file, const QString& programDir, std::span<const SettingEntry> table)
{
    const IniDocument doc = file.load();
    using Type = SettingEntry::Type;
    // Set by VERSION_MPEG, which comes before the bitrates: any other
    // version leaves the lists as they are and skips their lookups.
    bool versionRead = false;
    for (const SettingEntry* e : settingsLoadOrder(table)) {
        const QByteArrayView section(e->section);
        const QByteArrayView key(e->key);
        const int fallback = e->defaultText ? QByteArray(e->defaultText).toInt() : 0;
        switch (e->type) {
        case Type::Flag:
            this->*e->as<bool>() = doc.intValue(section, key, fallback) != 0;
            break;
        case Type::TrackBar:
            this->*e->as<int>() = std::clamp(doc.intValue(section, key, fallback), 0, kTrackBarMax);
            break;
        case Type::ListIndex:
        case Type::Choice: {
            // An index outside the list selects no entry, or the default one.
            const int index = doc.intValue(section, key, fallback);
            const bool inside = index >= 0 && index < e->count;
            this->*e->as<int>() = inside ? index : e->type == Type::Choice ? fallback : -1;
            break;
        }
        case Type::Level: {
            int& value = this->*e->as<int>();
            const int level = doc.intValue(section, key, e->defaultText ? fallback : value);
            if (level >= 0 && level < e->count)
                value = level;
            break;
        }
        case Type::Name:
            if (doc.hasKey(section, key))
                this->*e->as<int>() = entryIndex(e->names(), doc.value(section, key), this->*e->as<int>());
            break;
        case Type::MpegVersion: {
            const int version = doc.intValue(section, key, fallback);
            versionRead = version == 1 || version == 2;
            if (versionRead)
                this->*e->as<MpegVersion>() = MpegVersion(version);
            break;
        }
        case Type::Bitrate: {
            int& value = this->*e->as<int>();
            if (!versionRead || !doc.hasKey(section, key))
                break;
            const QByteArray stored = doc.value(section, key);
            for (int i = 0; i < bitrateTable(mpegVersion).size(); ++i) {
                if (bitrateText(mpegVersion, i) == stored) {
                    value = i;
                    break;
                }
            }
            break;
        }
        case Type::Text:
            this->*e->as<QString>() = QString::fromUtf8(doc.value(section, key, QByteArray(e->defaultText)));
            break;
        case Type::Directory:
            loadOutputDirectory(QString::fromUtf8(doc.value(section, key, QByteArray(e->defaultText))), programDir,
                                this->*e->as<QString>());
            break;
        case Type::Language:
            break;
        case Type::SampleOffset:
            this->*e->as<int>() = std::clamp(doc.intValue(section, key, fallback), -kMaxReadOffset, kMaxReadOffset);
            break;
        }
    }
}

void Settings::loadOutputDirectory(const QString& stored, const QString& programDir, QString& directory)
{
    // Nothing chosen yet (a new user, or the shipped file's empty value):
    // the user's music folder. The error flag still tells the batch when
    // that folder cannot be entered, and the batch says which and why.
    if (stored.isEmpty()) {
        directory = defaultOutputDirectory();
        outputDirectoryError = !isEnterableDirectory(directory);
        return;
    }
    // A chosen directory that cannot be entered shows the program's own
    // directory and sets the error flag. The process's current directory is
    // not moved into it: the batch resolves a relative text against the
    // current directory again, which would then name a different folder.
    if (isEnterableDirectory(stored)) {
        directory = stored;
        outputDirectoryError = false;
    } else {
        directory = programDir.endsWith(QLatin1Char('/')) ? programDir : programDir + QLatin1Char('/');
        outputDirectoryError = true;
    }
}

bool Settings::save(IniFile& file)
{
    return save(file, settingsTable());
}

bool Settings::save(IniFile& file, std::span<const SettingEntry> table)
{
    m_error.clear();
    const bool written = file.update([this, table](IniDocument& doc) {
        using Type = SettingEntry::Type;
        for (const SettingEntry* e : settingsSaveOrder(table)) {
            const QByteArrayView section(e->section);
            const QByteArrayView key(e->key);
            QByteArray value;
            switch (e->type) {
            case Type::Flag:
                value = flag(this->*e->as<bool>());
                break;
            case Type::TrackBar:
            case Type::ListIndex:
            case Type::Choice:
            case Type::SampleOffset:
                value = QByteArray::number(this->*e->as<int>());
                break;
            case Type::Level: {
                const int level = this->*e->as<int>();
                // No entry selected writes an empty value, which matches no entry.
                value = level >= 0 && level < e->count ? QByteArray::number(level) : QByteArray();
                break;
            }
            case Type::Name:
                value = entryText(e->names(), this->*e->as<int>());
                break;
            case Type::MpegVersion:
                // MPEG-1 when its button is checked, else MPEG-2: the saved
                // version always names one of the two lists.
                value = this->*e->as<MpegVersion>() == MpegVersion::Mpeg1 ? "1" : "2";
                break;
            case Type::Bitrate:
                value = bitrateText(mpegVersion, this->*e->as<int>());
                break;
            case Type::Text:
            case Type::Directory:
                value = (this->*e->as<QString>()).toUtf8();
                break;
            case Type::Language: {
                // Nobody chose a language yet: keep the stored one instead of
                // wiping the user's language with an empty name.
                const QString& language = this->*e->as<QString>();
                value = language.isEmpty() ? doc.value(section, key) : language.toUtf8();
                break;
            }
            }
            doc.setValue(section, key, value);
        }
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
