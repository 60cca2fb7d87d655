// SPDX-License-Identifier: GPL-2.0-or-later
#include "testenvironment.h"
#include "programfolders.h"

#include "akrip32_testing.h"
#include "metadata/httpfetch.h"

#include <QDir>
#include <QFile>
#include <cstdlib>
#include <memory>

namespace trackmill::test {

// Removed with everything in it when the test process ends.
static std::unique_ptr<QTemporaryDir> g_root;

void isolateEnvironment()
{
    g_root = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/trackmill-test-XXXXXX");
    const QString root = g_root->path();
    setenv("HOME", QFile::encodeName(root).constData(), 1);
    for (const char* name : {"config", "runtime"})
        QDir(root).mkdir(name);
    setenv("XDG_CONFIG_HOME", QFile::encodeName(root + "/config").constData(), 1);
    setenv("XDG_RUNTIME_DIR", QFile::encodeName(root + "/runtime").constData(), 1);
    // Qt insists on a private runtime folder.
    QFile::setPermissions(root + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // No real screen saver or power services, nor any CDDB server but the local one.
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
    setenv("DBUS_SYSTEM_BUS_ADDRESS", "disabled:", 1);
    AkripTestCddbLoopbackOnly(1);
    setHttpLoopbackOnly(true);
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

void ProgramFolders::copyLanguages(const QString& shippedDir) const
{
    const QDir shipped(shippedDir);
    QDir().mkpath(paths.languagesDir());
    for (const QString& name : shipped.entryList({QStringLiteral("*.LNG")}, QDir::Files))
        QFile::copy(shipped.filePath(name), paths.languagesDir() + '/' + name);
}

ProgramFolders::~ProgramFolders()
{
    AkripTestReset();
}

discimage::DiscSpec ProgramFolders::writeDisc(const QString& name, const std::vector<int>& seconds,
                                              bool dataTrack) const
{
    discimage::DiscSpec disc;
    for (int s : seconds)
        disc.trackBytes.push_back(uint64_t(s) * discimage::kBytesPerSecond);
    disc.dataTrack = dataTrack;
    discimage::writeDisc((paths.discsDir() + QLatin1Char('/') + name).toStdString(), disc);
    return disc;
}

}
