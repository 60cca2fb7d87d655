// SPDX-License-Identifier: GPL-2.0-or-later
#include "libraryversionlines.h"

#include "akrip32.h"
#include "encoderversionsource.h"
#include "librarydate.h"
#include "platform/apppaths.h"
#include "verinfores.h"

#include <QFileInfo>

namespace trackmill {

namespace {

QString dateOrUnknown(const QString& fileName, const QLocale& locale)
{
    const QString date = GetDateLibrary(fileName, locale);
    return date.isEmpty() ? unknownDateText() : date;
}

}

QString unknownDateText()
{
    return QStringLiteral("unknown");
}

QString ripLibraryVersionText(quint32 versionCode)
{
    return QString::asprintf(" AKRIP32.DLL, version %d.%d ", int((versionCode >> 8) & 0xFF),
                             int(versionCode & 0xFF));
}

QString ripLibraryLine(const QString& versionText, const QString& libraryFile,
                       const QLocale& locale)
{
    return QStringLiteral("Used Library: ") + versionText + QStringLiteral(", ")
           + QStringLiteral("Last modified: ") + dateOrUnknown(libraryFile, locale);
}

QString ripLibraryLine(quint32 versionCode, const QString& libraryFile, const QLocale& locale)
{
    return ripLibraryLine(ripLibraryVersionText(versionCode), libraryFile, locale);
}

QString ripLibraryPath(const AppPaths& paths)
{
    return paths.programDir + QLatin1Char('/') + QLatin1String(kRipLibraryFile);
}

QString ripLibraryLine(const AppPaths& paths, const QLocale& locale)
{
    return ripLibraryLine(GetAKRipDllVersion(), ripLibraryPath(paths), locale);
}

RipLibraryLines ripLibraryLines(const QString& versionText, const QString& libraryFile,
                                const QLocale& locale)
{
    RipLibraryLines lines;
    lines.library = ripLibraryLine(versionText, libraryFile, locale);
    try {
        const TVerInfoRes info(libraryFile);
        const QString company = info.value(TVerInfoRes::CompanyName);
        const QString description = info.value(TVerInfoRes::FileDescription);
        const QString copyright = info.value(TVerInfoRes::LegalCopyRight);
        if (!company.isEmpty())
            lines.company = QStringLiteral("Company: ") + company
                            + (description.isEmpty() ? QString() : QStringLiteral(", ") + description);
        if (!copyright.isEmpty())
            lines.copyright = QStringLiteral("Copyright: ") + copyright;
    } catch (const ENoVerInfoError&) {
        // A library without a note: the window's fixed lines stay.
    } catch (const EverInfoError&) {
        // A damaged file tells nothing reliable either.
    }
    return lines;
}

LibraryIdentity LibraryIdentity::encoderLibrary()
{
    return {
        QStringLiteral("Trackmill developers"),
        QStringLiteral("MP3 encoder on LAME and libsndfile"),
        QStringLiteral("Free software under the GNU LGPL 2.1 or later; "
                       "LAME and libsndfile are free software under the GNU LGPL"),
    };
}

QString encoderVersionText(qint32 versionCode, const QString& versionText)
{
    // Characters 6 to 10 of "GOGO v3.50, ..." are "v3.50".
    const QString shown = versionText.mid(5, 5).trimmed();
    if (!shown.isEmpty())
        return shown;
    return QString::asprintf("v%d.%02d", int((versionCode >> 8) & 0xFF), int(versionCode & 0xFF));
}

EncoderLibraryLines encoderLibraryLines(EncoderVersionSource& source,
                                        const LibraryIdentity& identity, const QLocale& locale)
{
    EncoderLibraryLines lines;
    const auto version = source.encoderVersion();
    if (!version) {
        lines.company = QStringLiteral("Company: ") + identity.companyName + QStringLiteral(",  ")
                        + identity.comments;
        lines.library = QStringLiteral("Used Library: ") + QLatin1String(kEncoderLibraryFile)
                        + QStringLiteral(" (not found)");
        lines.copyright = identity.legalCopyright;
        return lines;
    }

    QString company = identity.companyName;
    QString comments = identity.comments;
    QString originalName;
    QString copyright = identity.legalCopyright;
    try {
        const TVerInfoRes info(version->fileName);
        // A library with version information speaks for itself, empty strings included.
        company = info.value(TVerInfoRes::CompanyName);
        comments = info.value(TVerInfoRes::Comments);
        originalName = info.value(TVerInfoRes::OriginalFileName);
        copyright = info.value(TVerInfoRes::LegalCopyRight);
    } catch (const ENoVerInfoError&) {
        // Neither a version resource nor a version note: keep what we know of it.
    } catch (const EverInfoError&) {
        // A damaged block tells nothing reliable either.
    }
    // The line says which file is used, so it always names one.
    if (originalName.isEmpty())
        originalName = QFileInfo(version->fileName).fileName();

    lines.company = QStringLiteral("Company: ") + company + QStringLiteral(",  ") + comments;
    lines.library = QStringLiteral("Used Library: ") + originalName + QStringLiteral(", version ")
                    + encoderVersionText(version->code, version->text)
                    + QStringLiteral(", Last modified: ") + dateOrUnknown(version->fileName, locale);
    lines.copyright = copyright;
    return lines;
}

}
