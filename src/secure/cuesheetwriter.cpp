// SPDX-License-Identifier: GPL-2.0-or-later
#include "cuesheetwriter.h"

#include "platform/savefile.h"

namespace trackmill {

namespace {

QString time(qint64 sectors)
{
    return QStringLiteral("%1:%2:%3")
        .arg(sectors / (60 * 75), 2, 10, QLatin1Char('0'))
        .arg(sectors / 75 % 60, 2, 10, QLatin1Char('0'))
        .arg(sectors % 75, 2, 10, QLatin1Char('0'));
}

}

QString CueSheetWriter::quoted(const QString& value)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : value) {
        // A line break would end the value and start a command.
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            out += QLatin1Char(' ');
        else if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\') + c;
        else
            out += c;
    }
    return out + QLatin1Char('"');
}

QString CueSheetWriter::text() const
{
    QString out;
    if (!genre.isEmpty())
        out += QStringLiteral("REM GENRE ") + quoted(genre) + QLatin1Char('\n');
    if (!date.isEmpty())
        out += QStringLiteral("REM DATE ") + date + QLatin1Char('\n');
    if (!discId.isEmpty())
        out += QStringLiteral("REM DISCID ") + discId + QLatin1Char('\n');
    out += QStringLiteral("REM COMMENT \"Trackmill\"\n");
    out += QStringLiteral("PERFORMER ") + quoted(performer) + QLatin1Char('\n');
    out += QStringLiteral("TITLE ") + quoted(title) + QLatin1Char('\n');
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        const Track& t = tracks[i];
        out += QStringLiteral("FILE ") + quoted(t.file) + QStringLiteral(" WAVE\n");
        out += QStringLiteral("  TRACK %1 AUDIO\n").arg(t.number, 2, 10, QLatin1Char('0'));
        out += QStringLiteral("    TITLE ") + quoted(t.title) + QLatin1Char('\n');
        out += QStringLiteral("    PERFORMER ") + quoted(t.performer.isEmpty() ? performer : t.performer)
            + QLatin1Char('\n');
        if (t.pregap > 0)
            out += QStringLiteral("    PREGAP ") + time(t.pregap) + QLatin1Char('\n');
        out += QStringLiteral("    INDEX 01 00:00:00\n");
    }
    return out;
}

bool CueSheetWriter::write(const QString& path, QString* error) const
{
    const QString failure = saveFile(path, text().toUtf8());
    if (!failure.isEmpty() && error)
        *error = failure;
    return failure.isEmpty();
}

}
