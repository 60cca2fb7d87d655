// SPDX-License-Identifier: GPL-2.0-or-later
// Every window on a small screen: at scale 1 on 800 by 600 pixels, and at
// scale 2 on 1400 by 900 pixels (700 by 450 to the windows). Each one lies
// inside the screen's free area and its buttons can be reached, in the
// languages with the longest texts.
#include "app/mainwindow.h"
#include "app/trackmillapp.h"
#include "platform/inifile.h"
#include "rip/progresswindow.h"

#include "fakedesktopshell.h"
#include "programfolders.h"
#include "recordingmessageboxes.h"
#include "recordingsystemservices.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>

using namespace trackmill;

namespace {

std::string describe(const QRect& r)
{
    return QStringLiteral("%1x%2+%3+%4").arg(r.width()).arg(r.height()).arg(r.x()).arg(r.y()).toStdString();
}

// The window inside the free area, and each of its visible push buttons
// wholly on the screen, scrolled to where it must be.
void expectOnScreen(QWidget* window)
{
    ASSERT_NE(window, nullptr);
    const QRect free = window->screen()->availableGeometry();
    const std::string name = window->objectName().toStdString();
    EXPECT_TRUE(free.contains(window->frameGeometry()))
        << name << " " << describe(window->frameGeometry()) << " on " << describe(free);
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        if (!button->isVisibleTo(window) || button->window() != window)
            continue;
        // Only buttons of the page in front count: a hidden tab's are not drawn.
        if (!button->isVisible())
            continue;
        // A button in a scrolling part is reached by scrolling to it.
        for (QWidget* up = button->parentWidget(); up && up != window; up = up->parentWidget()) {
            if (auto* area = qobject_cast<QScrollArea*>(up)) {
                area->ensureWidgetVisible(button, 0, 0);
                break;
            }
        }
        const QRect onScreen(button->mapToGlobal(QPoint(0, 0)), button->size());
        EXPECT_TRUE(free.contains(onScreen)) << name << "." << button->objectName().toStdString() << " "
                                             << describe(onScreen) << " on " << describe(free);
    }
}

class ScreenFitTest : public ::testing::TestWithParam<const char*>
{
protected:
    ScreenFitTest()
    {
        folders.copyLanguages(QStringLiteral(TRACKMILL_BIN_DIR "/Languages"));
        IniFile settings(paths.settingsFile());
        settings.writeString("MAIN", "LANGUAGE", GetParam());
        settings.writeString("MAIN", "AUTO_CONNECT_FREEDB", "0");
        folders.writeDisc("disc", {3, 4});
        app = std::make_unique<TrackmillApp>(
            TrackmillApp::Services{boxes, system, shell, paths, false, false, {"127.0.0.1", 9}});
    }

    // Clicks the toolbar button and checks the modal window it opens.
    void checkModal(const char* button)
    {
        SCOPED_TRACE(button);
        bool opened = false;
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            opened = modal != nullptr;
            expectOnScreen(modal);
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
        });
        app->form1().findChild<QToolButton*>(button)->click();
        EXPECT_TRUE(opened);
    }

    test::ProgramFolders folders;
    AppPaths& paths = folders.paths;
    test::RecordingMessageBoxes boxes;
    test::RecordingSystemServices system;
    test::FakeDesktopShell shell;
    std::unique_ptr<TrackmillApp> app;
};

TEST_P(ScreenFitTest, EveryWindowLiesInsideTheScreen)
{
    app->show();
    QApplication::processEvents();
    expectOnScreen(&app->form1());
    for (const char* button : {"Settings", "ID3", "FreeDB", "About"})
        checkModal(button);
    // The progress window as a run shows it.
    app->form3().show();
    QApplication::processEvents();
    expectOnScreen(&app->form3());
    app->form3().hide();
}

INSTANTIATE_TEST_SUITE_P(TRACKMILL_SCALE, ScreenFitTest,
                         ::testing::Values("English", "German", "Russian", "Hungarian", "Japanese"));

}
