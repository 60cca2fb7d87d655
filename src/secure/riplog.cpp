// SPDX-License-Identifier: GPL-2.0-or-later
#include "riplog.h"

#include "platform/savefile.h"

namespace trackmill {

namespace {

QString hex(quint32 v)
{
    return QStringLiteral("%1").arg(v, 8, 16, QLatin1Char('0')).toUpper();
}

// Minutes, seconds and sectors (75 a second): "03:45.12".
QString msf(qint64 sectors)
{
    return QStringLiteral("%1:%2.%3")
        .arg(sectors / (60 * 75), 2, 10, QLatin1Char('0'))
        .arg(sectors / 75 % 60, 2, 10, QLatin1Char('0'))
        .arg(sectors % 75, 2, 10, QLatin1Char('0'));
}

QString line(const char* name, const QString& value)
{
    return QStringLiteral("%1: %2\n").arg(QString::fromLatin1(name), -20).arg(value);
}

QString joinTracks(const std::vector<int>& tracks)
{
    QStringList list;
    for (int t : tracks)
        list << QString::number(t);
    return list.join(QStringLiteral(", "));
}

}

QString RipLog::result(const SecureTrack& t)
{
    if (t.readError)
        return t.errorSector >= 0 ? QStringLiteral("Read error at sector %1").arg(t.errorSector)
                                  : QStringLiteral("Read error");
    if (!t.complete)
        return t.aborted ? QStringLiteral("Aborted") : QStringLiteral("Not ripped");
    if (t.encodingStopped)
        return QStringLiteral("Read, but encoding stopped (no file)");
    switch (t.verdict.kind) {
    case AccurateRipVerdict::Kind::Accurate:
        return QStringLiteral("Accurately ripped (confidence %1 of %2, %3)")
            .arg(t.verdict.confidence)
            .arg(t.verdict.total)
            .arg(t.verdict.v2 ? QStringLiteral("v2") : QStringLiteral("v1"));
    case AccurateRipVerdict::Kind::NotAccurate:
        return QStringLiteral("Not accurate (%1 submissions disagree)").arg(t.verdict.disagreeing);
    case AccurateRipVerdict::Kind::NotInDatabase:
        break;
    }
    return QStringLiteral("Not in database");
}

QString RipLog::summary() const
{
    // A track the database does not know is not verified, which is not
    // the same as one the database contradicts.
    std::vector<int> errors, inaccurate, unverified;
    for (const SecureTrack& t : tracks) {
        if (t.readError || !t.complete || t.encodingStopped)
            errors.push_back(t.track);
        else if (t.verdict.kind == AccurateRipVerdict::Kind::NotAccurate)
            inaccurate.push_back(t.track);
        else if (t.verdict.kind == AccurateRipVerdict::Kind::NotInDatabase)
            unverified.push_back(t.track);
    }
    if (tracks.empty())
        return QStringLiteral("No track ripped");
    if (errors.empty() && inaccurate.empty() && unverified.empty())
        return QStringLiteral("All tracks accurately ripped");
    QString text;
    if (!errors.empty())
        text += QStringLiteral("Not ripped completely: track %1\n").arg(joinTracks(errors));
    if (!inaccurate.empty())
        text += QStringLiteral("Not accurately ripped: track %1\n").arg(joinTracks(inaccurate));
    if (!unverified.empty())
        text += QStringLiteral("Not verified (not in the AccurateRip database): track %1\n").arg(joinTracks(unverified));
    return text.trimmed();
}

QString RipLog::text() const
{
    QString out = program + QStringLiteral(" rip log, ") + date + QStringLiteral("\n\n");
    out += line("Artist", artist);
    out += line("Album", album);
    out += line("Drive", drive);
    out += line("Read mode", secure ? QStringLiteral("Secure (paranoia full mode, %1 retries)").arg(retries)
                                    : QStringLiteral("Fast (26 sectors a read, no verification)"));
    out += line("Read offset", QStringLiteral("%1%2 samples").arg(offset > 0 ? QStringLiteral("+") : QString()).arg(offset));
    for (const QString& s : settings) {
        const qsizetype colon = s.indexOf(QLatin1Char(':'));
        out += QStringLiteral("%1: %2\n").arg(s.left(colon), -20).arg(s.mid(colon + 1).trimmed());
    }
    out += line("AccurateRip disc", accurateRipDisc.isEmpty() ? QStringLiteral("-") : accurateRipDisc);
    out += line("AccurateRip lookup", accurateRipStatus);

    out += QStringLiteral("\nTOC\n\n     Track |   Start  |  Length  | Start sector | End sector\n"
                          "    -------+----------+----------+--------------+-----------\n");
    for (const TocEntry& e : toc) {
        out += QStringLiteral("    %1 | %2 | %3 | %4 | %5%6\n")
                   .arg(e.track, 6)
                   .arg(msf(e.start))
                   .arg(msf(e.length))
                   .arg(e.start, 12)
                   .arg(e.start + e.length - 1, 10)
                   .arg(e.data ? QStringLiteral("  data") : QString());
    }

    for (const SecureTrack& t : tracks) {
        out += QStringLiteral("\nTrack %1\n\n").arg(t.track, 2, 10, QLatin1Char('0'));
        const auto field = [&out](const char* name, const QString& value) {
            out += QStringLiteral("    %1: %2\n").arg(QString::fromLatin1(name), -16).arg(value);
        };
        field("File", t.file);
        field("Peak level", QStringLiteral("%1 %").arg(t.peak * 100.0 / 32768.0, 0, 'f', 1));
        field("Re-reads", QString::number(t.rereads));
        field("Repairs", QString::number(t.repairs));
        field("Skips", QString::number(t.skips));
        if (t.readError)
            field("Read error at", t.errorSector >= 0 ? QStringLiteral("sector %1").arg(t.errorSector) : QStringLiteral("-"));
        field("Copy CRC32", hex(t.crc32));
        field("AccurateRip v1", hex(t.accurateRipV1));
        field("AccurateRip v2", hex(t.accurateRipV2));
        field("Result", result(t));
    }
    out += QStringLiteral("\n") + summary() + QStringLiteral("\n");
    return out;
}

bool RipLog::write(const QString& path, QString* error) const
{
    const QString failure = saveFile(path, text().toUtf8());
    if (!failure.isEmpty() && error)
        *error = failure;
    return failure.isEmpty();
}

}
