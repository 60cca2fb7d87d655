// SPDX-License-Identifier: GPL-2.0-or-later
// trackmill-cli: the ripper for scripts and machines without a display.
#include "clisession.h"

#include "platform/dbussystemservices.h"

#include <QCoreApplication>

#include <unistd.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Trackmill"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TRACKMILL_VERSION));
    trackmill::DBusSystemServices system;
    trackmill::cli::Environment environment{trackmill::AppPaths::forRunningProgram(), system};
    environment.terminal = ::isatty(STDOUT_FILENO) == 1;
    return trackmill::cli::run(app.arguments().mid(1), environment);
}
