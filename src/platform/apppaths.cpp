// SPDX-License-Identifier: GPL-2.0-or-later
#include "apppaths.h"

#include <QCoreApplication>
#include <QStandardPaths>

namespace trackmill {

AppPaths AppPaths::forRunningProgram()
{
    AppPaths paths;
    paths.programDir = QCoreApplication::applicationDirPath();
    paths.configDir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                      + QStringLiteral("/Trackmill");
    return paths;
}

}
