// SPDX-License-Identifier: GPL-2.0-or-later
#include "librarydate.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace trackmill {

QString GetDateLibrary(const QString& fileName, const QLocale& locale)
{
    // Opening first, as the date of a file nobody may read is not shown.
    // Only plain files: opening a pipe would wait for a writer.
    QFile file(fileName);
    if (!QFileInfo(fileName).isFile() || !file.open(QIODevice::ReadOnly))
        return QString();
    const QDateTime modified = file.fileTime(QFileDevice::FileModificationTime);
    file.close();
    if (!modified.isValid())
        return QString();
    return locale.toString(modified.toLocalTime().date(), QStringLiteral("d MMMM yyyy"));
}

}
