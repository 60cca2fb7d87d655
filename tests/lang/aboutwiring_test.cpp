// SPDX-License-Identifier: GPL-2.0-or-later
// The About button of the whole program opens the About window in the
// current language; the settings window shows the libraries in use.
#include "app/mainwindow.h"
#include "app/trackmillapp.h"
#include "fakedesktopshell.h"
#include "lang/aboutwindow.h"
#include "recordingmessageboxes.h"
#include "recordingsystemservices.h"
#include "settings/settings.h"
#include "settings/settingswindow.h"
#include "ui/libraryversionlines.h"
#include "akrip32.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace trackmill;

namespace {

TEST(AboutWiringTest, AboutButtonOpensTheWindowInTheCurrentLanguage)
{
    // A program folder of its own with two of the shipped language files.
    QTemporaryDir program;
    ASSERT_TRUE(QDir().mkpath(program.filePath("Languages")));
    for (const char* name : {"English.LNG", "Russian.LNG"})
        ASSERT_TRUE(QFile::copy(QStringLiteral(TRACKMILL_BIN_DIR "/Languages/") + QLatin1String(name),
                                program.filePath(QStringLiteral("Languages/") + QLatin1String(name))));
    test::RecordingMessageBoxes boxes;
    test::RecordingSystemServices system;
    test::FakeDesktopShell shell;
    AppPaths paths{program.path(), program.filePath("config")};
    TrackmillApp app(TrackmillApp::Services{boxes, system, shell, paths, false, false});

    auto* about = app.form1().findChild<QToolButton*>(QStringLiteral("About"));
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isEnabled());

    // Answers the modal window: notes its title and presses Ok.
    QString shownTitle;
    auto openAndClose = [&] {
        shownTitle.clear();
        QTimer::singleShot(0, [&] {
            auto* form5 = qobject_cast<TForm5*>(QApplication::activeModalWidget());
            ASSERT_NE(form5, nullptr);
            shownTitle = form5->windowTitle();
            form5->findChild<QPushButton*>(QStringLiteral("Ok"))->click();
        });
        about->click();
    };

    openAndClose();  // no language file applied yet: English
    EXPECT_EQ(shownTitle, QStringLiteral("About"));
    app.form2().selectLanguage(QStringLiteral("Russian"));
    openAndClose();
    EXPECT_EQ(shownTitle, QStringLiteral("О программе"));
    EXPECT_EQ(app.form1().findChildren<TForm5*>().size(), 1);  // made once, shown again
    EXPECT_TRUE(boxes.messages.isEmpty());
}

TEST(AboutWiringTest, SettingsWindowShowsTheLibrariesInUse)
{
    QTemporaryDir program;
    test::RecordingMessageBoxes boxes;
    test::RecordingSystemServices system;
    test::FakeDesktopShell shell;
    AppPaths paths{program.path(), program.filePath("config")};
    TrackmillApp app(TrackmillApp::Services{boxes, system, shell, paths, false, false});
    auto text = [&app](const char* name) {
        auto* label = app.form2().findChild<QLabel*>(QLatin1String(name));
        return label ? label->text() : QStringLiteral("<no label>");
    };

    // No ripping library file beside this program folder: its date is unknown.
    const QString rip = QStringLiteral("Used Library: ") + ripLibraryVersionText(GetAKRipDllVersion())
                        + QStringLiteral(", Last modified: unknown");
    EXPECT_EQ(text("LibraryRipCDROM"), rip);
    EXPECT_EQ(text("LibraryRipCDDB"), rip);

    // The encoder library is found by name on the test's run path.
    app.form2().hooks().refreshEncoderVersionLines();
    const QRegularExpression library(QStringLiteral(
        "^Used Library: libgogo\\.so, version v\\d+\\.\\d\\d, Last modified: \\d{1,2} \\S+ \\d{4}$"));
    EXPECT_TRUE(library.match(text("MyLibrary")).hasMatch()) << text("MyLibrary").toStdString();
    EXPECT_TRUE(text("MyCompany").startsWith(QStringLiteral("Company: ")));
    EXPECT_FALSE(text("MyCopyright").isEmpty());
}

}
