// SPDX-License-Identifier: GPL-2.0-or-later
// The tag editor inside the whole program: opened by the ID3 button, its
// artist and album kept in step with the main and settings windows.
#include "app/mainwindow.h"
#include "app/trackmillapp.h"
#include "discimage.h"
#include "fakedesktopshell.h"
#include "programfolders.h"
#include "recordingmessageboxes.h"
#include "recordingsystemservices.h"
#include "settings/settingswindow.h"
#include "tags/tageditorwindow.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace trackmill;

namespace {

class TagWiringTest : public ::testing::Test
{
protected:
    TagWiringTest()
    {
        discimage::DiscSpec disc;
        disc.trackBytes = {3 * discimage::kBytesPerSecond, 4 * discimage::kBytesPerSecond};
        discimage::writeDisc((paths.discsDir() + QStringLiteral("/disc")).toStdString(), disc);
        // A closed local port: nothing here may reach a freedb server.
        app = std::make_unique<TrackmillApp>(
            TrackmillApp::Services{boxes, system, shell, paths, false, false, FreedbServer{"127.0.0.1", 9}});
    }

    template <typename W>
    QLineEdit* edit(W& window, const char* name)
    {
        auto* e = window.template findChild<QLineEdit*>(QString::fromLatin1(name));
        EXPECT_NE(e, nullptr) << name;
        return e;
    }

    test::ProgramFolders folders;
    AppPaths& paths = folders.paths;
    test::RecordingMessageBoxes boxes;
    test::RecordingSystemServices system;
    test::FakeDesktopShell shell;
    std::unique_ptr<TrackmillApp> app;
};

TEST_F(TagWiringTest, NamesTypedInAnyWindowReachTheOtherTwo)
{
    QTest::keyClicks(edit(app->form4(), "Artist"), QStringLiteral("Kraftwerk"));
    EXPECT_EQ(edit(app->form1(), "Artist")->text(), QStringLiteral("Kraftwerk"));
    EXPECT_EQ(edit(app->form2(), "Edt_Artist")->text(), QStringLiteral("Kraftwerk"));
    EXPECT_EQ(edit(app->form4(), "Artist2")->text(), QStringLiteral("Kraftwerk"));

    QTest::keyClicks(edit(app->form1(), "Album"), QStringLiteral("Radio-Activity"));
    EXPECT_EQ(edit(app->form4(), "Album")->text(), QStringLiteral("Radio-Activity"));
    EXPECT_EQ(edit(app->form4(), "Album2")->text(), QStringLiteral("Radio-Activity"));
    EXPECT_EQ(edit(app->form2(), "Edt_Album")->text(), QStringLiteral("Radio-Activity"));

    // Typing in the middle keeps the cursor where it is, although the text
    // comes back from the other windows.
    QLineEdit* artist = edit(app->form1(), "Artist");
    artist->setCursorPosition(5);
    QTest::keyClicks(artist, QStringLiteral("X"));
    EXPECT_EQ(artist->text(), QStringLiteral("KraftXwerk"));
    EXPECT_EQ(artist->cursorPosition(), 6);
    EXPECT_EQ(edit(app->form4(), "Artist")->text(), QStringLiteral("KraftXwerk"));
}

TEST_F(TagWiringTest, Id3ButtonOpensTheTagEditor)
{
    auto* id3 = app->form1().findChild<QToolButton*>(QStringLiteral("ID3"));
    ASSERT_NE(id3, nullptr);
    ASSERT_TRUE(id3->isEnabled());
    bool shown = false;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        shown = modal == &app->form4();
        if (modal)
            modal->close();
    });
    id3->click();
    EXPECT_TRUE(shown);
}

}
