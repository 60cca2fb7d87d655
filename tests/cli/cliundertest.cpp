// SPDX-License-Identifier: GPL-2.0-or-later
// The command-line ripper as the tests run it: the program's own run()
// in folders the test names, with the ripping library told to list no
// physical drive and to find its images in that program folder's Discs/,
// and the system's services recorded, never reached.
// Usage: cli-under-test <program folder> <configuration folder> <arguments...>
#include "cli/clisession.h"

#include "akrip32_testing.h"
#include "metadata/httpfetch.h"
#include "recordingsystemservices.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fputs("usage: cli-under-test <program folder> <configuration folder> <arguments...>\n", stderr);
        return 2;
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral("0.0-test"));
    trackmill::AppPaths paths;
    paths.programDir = QFile::decodeName(argv[1]);
    paths.configDir = QFile::decodeName(argv[2]);
    AkripTestUsePhysicalDrives(0);
    AkripTestCddbLoopbackOnly(1);
    trackmill::setHttpLoopbackOnly(true);
    AkripTestSetDiscsDir(QFile::encodeName(paths.discsDir()).constData());
    // A sector that never reads, for the read error of a verified run.
    if (qEnvironmentVariableIsSet("CLI_UNDER_TEST_FAIL_SECTOR"))
        AkripTestFailSector(DWORD(qEnvironmentVariableIntValue("CLI_UNDER_TEST_FAIL_SECTOR")), AKRIP_FAULT_ALWAYS);

    // No screen saver or power service is ever reached from a test.
    trackmill::test::RecordingSystemServices system;
    trackmill::cli::Environment environment{paths, system};
    environment.listPhysicalDrives = false;
    // The tests read a pipe, or ask for the terminal's line with this.
    environment.terminal = qEnvironmentVariableIsSet("CLI_UNDER_TEST_TERMINAL");
    return trackmill::cli::run(app.arguments().mid(3), environment);
}
