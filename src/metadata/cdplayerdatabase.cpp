// SPDX-License-Identifier: GPL-2.0-or-later
#include "cdplayerdatabase.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>
#include <limits>

namespace trackmill {

namespace {

// Position of "Pop" in the sorted genre list, given for a stored 0.
constexpr int kPopPosition = 98;

QString decode(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder cp1252("windows-1252", QStringConverter::Flag::Stateless);
    if (!cp1252.isValid())
        return QString::fromLatin1(bytes);
    return cp1252.decode(bytes);
}

// The INI reader trims values and removes one pair of enclosing quotes:
// a value that would lose something is quoted once more.
QByteArray encode(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    if (bytes.isEmpty())
        return bytes;
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    if (blank(bytes.front()) || blank(bytes.back()) || bytes.front() == '"' || bytes.front() == '\'')
        return '"' + bytes + '"';
    return bytes;
}

QByteArray sectionName(const QString& discId)
{
    return discId.toUtf8();
}

QString text(const IniDocument& doc, const QByteArray& section, const char* key)
{
    return decode(doc.value(section, key));
}

// Track names beyond numtracks are left-overs of an earlier, longer entry
// (older versions kept them): they name no track of this disc.
QString trackName(const IniDocument& doc, const QByteArray& section, int index)
{
    if (index >= doc.intValue(section, "numtracks", std::numeric_limits<int>::max()))
        return {};
    return decode(doc.value(section, QByteArray::number(index)));
}

}

CdPlayerDatabase::CdPlayerDatabase(QString path)
    : m_file(std::move(path))
{
}

QString CdPlayerDatabase::defaultTrackName(int number)
{
    return number < 10 ? QStringLiteral("AudioTrack 0%1").arg(number) : QStringLiteral("AudioTrack %1").arg(number);
}

bool CdPlayerDatabase::isKnown(const QString& discId) const
{
    return !m_file.readString(sectionName(discId), "Artist").isEmpty();
}

std::optional<MainWindowNames> CdPlayerDatabase::namesForMainWindow(const QString& discId, int rowCount) const
{
    const IniDocument doc = m_file.load();
    const QByteArray section = sectionName(discId);
    if (doc.value(section, "Artist").isEmpty())
        return std::nullopt;

    MainWindowNames names;
    names.artist = text(doc, section, "Artist");
    names.album = text(doc, section, "Title");
    for (int row = 1; row < rowCount; ++row)
        names.rowNames.append(trackName(doc, section, row - 1));
    // The settings window leaves a final data track out of its list, so the
    // database has no name for it.
    if (!names.rowNames.isEmpty() && names.rowNames.back().isEmpty())
        names.rowNames.back() = QStringLiteral("DataTrack");
    return names;
}

TrackNameTabNames CdPlayerDatabase::namesForTrackNameTab(const QString& discId, int rowCount,
                                                         bool lastTrackIsData) const
{
    const IniDocument doc = m_file.load();
    const QByteArray section = sectionName(discId);
    TrackNameTabNames names;
    names.availableTracks = qMax(0, rowCount - 1 - (lastTrackIsData ? 1 : 0));

    if (!doc.value(section, "Artist").isEmpty()) {
        names.known = true;
        names.artist = text(doc, section, "Artist");
        names.album = text(doc, section, "Title");
        names.year = text(doc, section, "Year");
        names.genre = doc.intValue(section, "Genre", 0);
        for (int i = 0; i < names.availableTracks; ++i)
            names.tracks.append(trackName(doc, section, i));
        names.showCount = true;
    } else if (rowCount > 2) {
        for (int i = 1; i <= names.availableTracks; ++i)
            names.tracks.append(defaultTrackName(i));
        names.showCount = true;
    }
    return names;
}

int CdPlayerDatabase::genreForTagEditor(const QString& discId) const
{
    const int genre = m_file.readInteger(sectionName(discId), "genre", 0);
    return genre == 0 ? kPopPosition : genre;
}

bool CdPlayerDatabase::store(const QString& discId, const DiscEntry& names)
{
    // The configuration folder may not exist yet on a new account.
    QDir().mkpath(QFileInfo(m_file.path()).absolutePath());
    const QByteArray section = sectionName(discId);
    return m_file.update([&](IniDocument& doc) {
        doc.setValue(section, "EntryTypeInt", "1");
        doc.setValue(section, "artist", encode(names.artist));
        doc.setValue(section, "title", encode(names.album));
        doc.setValue(section, "year", encode(names.year));
        doc.setValue(section, "genre", QByteArray::number(names.genre));
        doc.setValue(section, "numtracks", QByteArray::number(names.tracks.size()));
        for (qsizetype i = 0; i < names.tracks.size(); ++i)
            doc.setValue(section, QByteArray::number(i), encode(names.tracks[i]));
        doc.removeNumberedKeys(section, names.tracks.size());
    });
}

}
