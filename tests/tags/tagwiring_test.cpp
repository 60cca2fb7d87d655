// SPDX-License-Identifier: GPL-2.0-or-later
// The tag editor inside the whole program: its artist and album kept in
// step with the main and settings windows.
#include "app/mainwindow.h"
#include "app/trackmillapp.h"
#include "discimage.h"
#include "fakedesktopshell.h"
#include "programfolders.h"
#include "recordingmessageboxes.h"
#include "recordingsystemservices.h"
#include "settings/settingswindow.h"
#include "tags/tageditorwindow.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

using namespace trackmill;

namespace {

QLineEdit* edit(QWidget& window, const char* name)
{
    auto* e = window.findChild<QLineEdit*>(QString::fromLatin1(name));
    EXPECT_NE(e, nullptr) << name;
    return e;
}

TEST(TagWiring, NamesTypedInAnyWindowReachTheOtherTwo)
{
    test::ProgramFolders folders;
    test::RecordingMessageBoxes boxes;
    test::RecordingSystemServices system;
    test::FakeDesktopShell shell;
    discimage::DiscSpec disc;
    disc.trackBytes = {3 * discimage::kBytesPerSecond, 4 * discimage::kBytesPerSecond};
    discimage::writeDisc((folders.paths.discsDir() + QStringLiteral("/disc")).toStdString(), disc);
    // A closed local port: nothing here may reach a freedb server.
    TrackmillApp app(TrackmillApp::Services{boxes, system, shell, folders.paths, false, false,
                                            FreedbServer{"127.0.0.1", 9}});

    QTest::keyClicks(edit(app.form4(), "Artist"), QStringLiteral("Kraftwerk"));
    EXPECT_EQ(edit(app.form1(), "Artist")->text(), QStringLiteral("Kraftwerk"));
    EXPECT_EQ(edit(app.form2(), "Edt_Artist")->text(), QStringLiteral("Kraftwerk"));
    EXPECT_EQ(edit(app.form4(), "Artist2")->text(), QStringLiteral("Kraftwerk"));

    QTest::keyClicks(edit(app.form1(), "Album"), QStringLiteral("Radio-Activity"));
    EXPECT_EQ(edit(app.form4(), "Album")->text(), QStringLiteral("Radio-Activity"));
    EXPECT_EQ(edit(app.form4(), "Album2")->text(), QStringLiteral("Radio-Activity"));
    EXPECT_EQ(edit(app.form2(), "Edt_Album")->text(), QStringLiteral("Radio-Activity"));

    // Typing in the middle keeps the cursor where it is, although the text
    // comes back from the other windows.
    QWidget* main = &app.form1();
    QWidget* tags = &app.form4();
    for (auto [typedIn, other] : {std::pair{main, tags}, std::pair{tags, main}}) {
        QLineEdit* artist = edit(*typedIn, "Artist");
        artist->setText(QStringLiteral("Kraftwerk"));
        artist->setCursorPosition(5);
        QTest::keyClicks(artist, QStringLiteral("X"));
        EXPECT_EQ(artist->text(), QStringLiteral("KraftXwerk"));
        EXPECT_EQ(artist->cursorPosition(), 6);
        EXPECT_EQ(edit(*other, "Artist")->text(), QStringLiteral("KraftXwerk"));
    }
}

}
