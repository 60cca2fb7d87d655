// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/trackmillapp.h"
#include "platform/apppaths.h"
#include "platform/dbussystemservices.h"
#include "platform/qtdesktopshell.h"
#include "platform/qtmessageboxes.h"
#include "platform/singleinstanceguard.h"

#include <QApplication>
#include <QStandardPaths>

using namespace trackmill;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The web services are told which version asks.
    QApplication::setApplicationVersion(QStringLiteral(TRACKMILL_VERSION));

    // A second copy beeps once and ends without a window; the running copy
    // is not told.
    SingleInstanceGuard guard(QStringLiteral("Trackmill Freeware 2001"),
                              QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation));
    if (!guard.tryAcquire()) {
        QApplication::beep();
        return 0;
    }

    QtMessageBoxes messageBoxes;
    DBusSystemServices system;
    QtDesktopShell shell;
    TrackmillApp trackmill(TrackmillApp::Services{messageBoxes, system, shell, AppPaths::forRunningProgram()});
    trackmill.show();
    return app.exec();
}
