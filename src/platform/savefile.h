// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace trackmill {

// Writes a whole file through a temporary one renamed over it when complete,
// so a full disk or a crash never leaves half a file. An empty text when
// done, else the path and the system's reason.
QString saveFile(const QString& path, const QByteArray& bytes);

}
