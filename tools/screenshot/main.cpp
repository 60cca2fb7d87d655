// SPDX-License-Identifier: GPL-2.0-or-later
// Draws the main window offscreen over a freshly written demo disc and saves
// what it shows: screenshot <output.png>
#include "akrip32_testing.h"
#include "app/hiddenlog.h"
#include "app/mainwindow.h"
#include "app/tracklist.h"
#include "cd/akriplibrary.h"
#include "cd/cddrives.h"
#include "cd/drivelist.h"
#include "discimage.h"
#include "platform/apppaths.h"
#include "platform/qtmessageboxes.h"

#include <QApplication>
#include <QDir>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

using namespace trackmill;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: screenshot <output.png>\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // A program folder of its own: the demo disc in Discs, default settings.
    QTemporaryDir root;
    AppPaths paths;
    paths.programDir = root.path();
    paths.configDir = root.path() + QStringLiteral("/config");
    QDir().mkpath(paths.discsDir());
    discimage::writeDisc((paths.discsDir() + QStringLiteral("/Demo Disc")).toStdString(),
                         discimage::demoDisc());
    // Only the demo disc: no real drive is asked.
    AkripTestUsePhysicalDrives(0);
    AkripTestSetDiscsDir(QFile::encodeName(paths.discsDir()).constData());

    HiddenLog log;
    DriveList driveList;
    AkripLibrary library;
    CdDrives drives(library, log, driveList, CdDrives::Options{paths.discsDir(), false});
    TrackList tracks(drives, log);
    QtMessageBoxes boxes;
    TForm1 form(TForm1::Collaborators{drives, driveList, tracks, log, boxes, paths, nullptr});
    form.show();

    // A selection that shows both check pictures, the focused name cell.
    tracks.setSelection(4, false);
    tracks.setSelection(8, false);
    auto* grid = form.findChild<QTableView*>(QStringLiteral("TracksGrid"));
    grid->setFocus();
    grid->setCurrentIndex(tracks.index(1, 1));

    int rc = 1;
    QTimer::singleShot(200, &app, [&] {
        rc = form.grab().save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
        app.quit();
    });
    app.exec();
    AkripTestReset();
    return rc;
}
