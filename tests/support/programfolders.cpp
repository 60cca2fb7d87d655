// SPDX-License-Identifier: GPL-2.0-or-later
#include "programfolders.h"

#include "akrip32_testing.h"

#include <QDir>
#include <QFile>

namespace trackmill::test {

ProgramFolders::ProgramFolders()
{
    paths.programDir = root.filePath(QStringLiteral("program"));
    paths.configDir = root.filePath(QStringLiteral("config"));
    output = root.filePath(QStringLiteral("out"));
    QDir().mkpath(paths.discsDir());
    QDir().mkpath(paths.configDir);
    QDir().mkpath(output);
    AkripTestReset();
    AkripTestUsePhysicalDrives(0);
    AkripTestSetDiscsDir(QFile::encodeName(paths.discsDir()).constData());
}

ProgramFolders::~ProgramFolders()
{
    AkripTestReset();
}

}
