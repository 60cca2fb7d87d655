// SPDX-License-Identifier: GPL-2.0-or-later
#include "testenvironment.h"
#include "programfolders.h"

#include "akrip32_testing.h"

#include <QDir>
#include <QFile>
#include <cstdlib>
#include <memory>

namespace trackmill::test {

namespace {
// Removed with everything in it when the test process ends.
std::unique_ptr<QTemporaryDir> g_root;
}

void isolateEnvironment()
{
    g_root = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/trackmill-test-XXXXXX");
    const QByteArray root = g_root->path().toLocal8Bit();
    setenv("HOME", root.constData(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/config").constData(), 1);
    setenv("XDG_RUNTIME_DIR", (root + "/runtime").constData(), 1);
    QDir().mkpath(g_root->path() + "/config");
    QDir().mkpath(g_root->path() + "/runtime");
    // Qt insists on a private runtime folder.
    QFile::setPermissions(g_root->path() + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // No real screen saver or power services, nor any CDDB server but the local one.
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
    setenv("DBUS_SYSTEM_BUS_ADDRESS", "disabled:", 1);
    AkripTestCddbLoopbackOnly(1);
}

QString isolatedRoot()
{
    return g_root ? g_root->path() : QString();
}

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
