// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/hiddenlog.h"
#include "app/mainwindow.h"
#include "app/mediawatcher.h"
#include "app/tracklist.h"
#include "cd/akriplibrary.h"
#include "cd/cddrives.h"
#include "cd/drivelist.h"
#include "platform/apppaths.h"
#include "platform/qtmessageboxes.h"

#include <QApplication>
#include <QScreen>

using namespace trackmill;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const AppPaths paths = AppPaths::forRunningProgram();

    HiddenLog log;
    DriveList driveList;
    AkripLibrary library;
    CdDrives drives(library, log, driveList, CdDrives::Options{paths.discsDir(), true});
    TrackList tracks(drives, log);
    QtMessageBoxes messageBoxes;
    MediaWatcher watcher(MediaWatcher::Options{paths.discsDir(), true, 250});

    TForm1 form1(TForm1::Collaborators{drives, driveList, tracks, log, messageBoxes, paths, &watcher});
    if (const QScreen* screen = form1.screen()) {
        QRect frame = form1.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        form1.move(frame.topLeft());
    }
    form1.show();
    return app.exec();
}
