// SPDX-License-Identifier: GPL-2.0-or-later
#include "savefile.h"

#include "writeall.h"

#include <QSaveFile>

namespace trackmill {

QString saveFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !writeAll(file, bytes.constData(), bytes.size()) || !file.commit())
        return path + QStringLiteral(": ") + file.errorString();
    return {};
}

}
