// SPDX-License-Identifier: GPL-2.0-or-later
// Draws every window of the program offscreen over a freshly written demo
// disc and saves what each shows: screenshot <folder> [language]
// The program runs as a user would start it (a new user's settings, the
// shipped language files), in a temporary program folder of its own.
#include "akrip32_testing.h"
#include "app/mainwindow.h"
#include "cd/tracklist.h"
#include "app/trackmillapp.h"
#include "discimage.h"
#include "platform/apppaths.h"
#include "platform/inifile.h"
#include "platform/messageboxes.h"
#include "platform/systemservices.h"
#include "rip/progresswindow.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <functional>
#include <memory>

using namespace trackmill;

namespace {

// Nothing of the machine is touched: boxes go to the output, the screen
// saver and the power state are left alone, no dialog or browser opens.
class QuietServices : public MessageBoxes, public SystemServices, public DesktopShell
{
public:
    void warning(const QString& text) override { note(text); }
    void error(const QString& text) override { note(text); }
    void information(const QString& text) override { note(text); }
    void setScreenSaverActive(bool) override {}
    void requestPowerAction(PowerAction) override {}
    QString selectDirectory(const QString&, const QString&) override { return {}; }
    QStringList selectFiles(const QString&, const QString&, const QString&) override { return {}; }
    void openUrl(const QString&) override {}

private:
    static void note(const QString& text) { std::fprintf(stderr, "box: %s\n", qPrintable(text.trimmed())); }
};

class Shooter
{
public:
    Shooter(TrackmillApp& app, const QString& folder) : m_app(app), m_folder(folder) {}

    bool save(QWidget* window, const char* name)
    {
        const QString path = m_folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png");
        const bool saved = window && window->grab().save(path, "PNG");
        std::fprintf(stderr, "%s %s\n", saved ? "saved" : "could not save", qPrintable(path));
        m_ok = m_ok && saved;
        m_shots += saved;
        return saved;
    }

    // Presses a toolbar button; once its modal window is drawn, saves and closes it.
    void modal(const char* button, const char* name)
    {
        QTimer::singleShot(300, [this, name] {
            QWidget* window = QApplication::activeModalWidget();
            save(window, name);
            if (auto* dialog = qobject_cast<QDialog*>(window))
                dialog->reject();
        });
        m_app.form1().findChild<QToolButton*>(QString::fromLatin1(button))->click();
    }

    // Rips the disc into the temporary folder; the first time the progress
    // window shows a third of a track read, saves it and aborts. (Reading
    // an image is fast: the gauge is watched, not the clock.)
    void progress()
    {
        QProgressBar* track = m_app.form3().ProgressBar1;
        auto watch = std::make_shared<QMetaObject::Connection>();
        *watch = QObject::connect(track, &QProgressBar::valueChanged, [this, track, watch](int value) {
            if (!m_app.form3().isVisible() || value * 3 < track->maximum())
                return;
            QObject::disconnect(*watch);
            save(&m_app.form3(), "progress-window");
            m_app.form3().Abort->click();
        });
        m_app.form1().findChild<QToolButton*>(QStringLiteral("WAV"))->click();
        QObject::disconnect(*watch);
        if (m_shots < 6)
            save(nullptr, "progress-window");
    }

    bool ok() const { return m_ok; }

private:
    TrackmillApp& m_app;
    QString m_folder;
    bool m_ok = true;
    int m_shots = 0;
};

}

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: screenshot <folder> [language]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QByteArray language = argc == 3 ? QByteArray(argv[2]) : QByteArrayLiteral("English");
    QDir().mkpath(folder);

    // A program folder of its own: the demo disc in Discs, a new user's
    // settings and the language files of the build beside this tool.
    QTemporaryDir root;
    AppPaths paths;
    paths.programDir = root.filePath(QStringLiteral("program"));
    paths.configDir = root.filePath(QStringLiteral("config"));
    const QString output = root.filePath(QStringLiteral("out"));
    for (const QString& dir : {paths.discsDir(), paths.languagesDir(), paths.configDir, output})
        QDir().mkpath(dir);
    const QDir built(QCoreApplication::applicationDirPath());
    const QDir languages(built.filePath(QStringLiteral("Languages")));
    for (const QString& name : languages.entryList({QStringLiteral("*.LNG")}, QDir::Files))
        QFile::copy(languages.filePath(name), paths.languagesDir() + QLatin1Char('/') + name);
    QFile::copy(built.filePath(QStringLiteral("Trackmill.INI")), paths.settingsFile());
    QFile(paths.settingsFile()).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    IniFile settings(paths.settingsFile());
    settings.writeString("MAIN", "LANGUAGE", language);
    settings.writeString("MAIN", "AUTO_CONNECT_FREEDB", "0");
    settings.writeString("MAIN", "DIRECTORYMP3", QFile::encodeName(output + QLatin1Char('/')));
    discimage::writeDisc((paths.discsDir() + QStringLiteral("/Demo Disc")).toStdString(), discimage::demoDisc());
    // Only the demo disc: no real drive is asked.
    AkripTestUsePhysicalDrives(0);
    AkripTestSetDiscsDir(QFile::encodeName(paths.discsDir()).constData());

    QuietServices quiet;
    int rc = 1;
    {
        // The loopback's port 9, where no server answers: nothing is looked up.
        TrackmillApp app(TrackmillApp::Services{quiet, quiet, quiet, paths, false, false, {"127.0.0.1", 9}});
        app.show();
        app.form1().setArtist(QStringLiteral("Trackmill"));
        app.form1().setAlbum(QStringLiteral("Demo Disc"));
        // A selection that shows both check pictures, the focused name cell.
        app.tracks().setSelection(4, false);
        app.tracks().setSelection(8, false);
        auto* grid = app.form1().findChild<QTableView*>(QStringLiteral("TracksGrid"));
        grid->setFocus();
        grid->setCurrentIndex(app.tracks().index(1, 1));

        Shooter shoot(app, folder);
        QTimer::singleShot(300, [&] {
            shoot.save(&app.form1(), "main-window");
            shoot.modal("Settings", "settings-window");
            shoot.modal("ID3", "tag-editor");
            shoot.modal("FreeDB", "freedb-window");
            shoot.modal("About", "about-window");
            shoot.progress();
            rc = shoot.ok() ? 0 : 1;
            application.quit();
        });
        application.exec();
    }
    AkripTestReset();
    return rc;
}
