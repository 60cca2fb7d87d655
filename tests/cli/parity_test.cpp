// SPDX-License-Identifier: GPL-2.0-or-later
// The window's MP3 and FLAC runs and trackmill-cli's, over one disc, one
// settings file and one CD Player database, write the same files byte for
// byte: names, folders, tags and audio.
#include "clirun.h"

#include "app/trackmillapp.h"
#include "app/mainwindow.h"
#include "encoder/trackencoder.h"
#include "metadata/cdplayerdatabase.h"
#include "metadata/discid.h"
#include "rip/riprun.h"

#include "fakedesktopshell.h"
#include "recordingmessageboxes.h"
#include "recordingsystemservices.h"

#include <QRegularExpression>
#include <QTest>
#include <QToolButton>

using namespace trackmill;
using namespace trackmill::test;

namespace {

class ParityTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folders.writeDisc("disc", {2, 3, 2});
        const CliResult toc = cli.run({"toc"});
        const QRegularExpressionMatch m = QRegularExpression("CDPLAYER.INI section: ([0-9A-F]+)").match(toc.out);
        ASSERT_TRUE(m.hasMatch()) << toc.out.toStdString() << toc.errors.toStdString();
        // A genre other than the start one, a year, and a track name that
        // needs its characters replaced.
        DiscEntry names{"The Band", "The Album", "1999", 17, {"One", "Two: the second", "Three"}};
        ASSERT_TRUE(CdPlayerDatabase(folders.paths.cdPlayerIni()).store(m.captured(1), names));
    }

    // The MP3 or FLAC button of the window program over the same folders.
    void windowRun(const QString& button)
    {
        TrackmillApp app(TrackmillApp::Services{boxes, system, shell, folders.paths, false, false,
                                                FreedbServer{"127.0.0.1", 9}});
        auto* command = app.form1().findChild<QToolButton*>(button);
        ASSERT_TRUE(command && command->isEnabled());
        command->click();
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return !app.ripRun().running() && !app.encoder()->isEncoding() && !app.flacEncoder().isEncoding();
        }, 90000));
        for (const RipRun::TrackReport& report : app.ripRun().reports())
            EXPECT_EQ(report.result, RipRun::TrackReport::Result::Done) << report.message.toStdString();
    }

    ProgramFolders folders;
    CliProgram cli{folders};
    RecordingMessageBoxes boxes;
    RecordingSystemServices system;
    FakeDesktopShell shell;
};

}

TEST_F(ParityTest, SameSettingsFileSameFiles)
{
    struct Case
    {
        const char* name;
        const char* onTheFly;  // ON_THE_FLY_ENCODING of the file
        QStringList extra;     // the command line's
        QString button = "MP3";
    };
    const Case cases[] = {
        {"rip then encode", "0", {}},
        {"on the fly", "1", {}},
        {"on the fly asked for", "0", {"--on-the-fly"}},
        {"FLAC, rip then encode", "0", {}, "FLAC"},
        {"FLAC on the fly asked for", "0", {"--on-the-fly"}, "FLAC"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString window = folders.output;
        QDir(window).removeRecursively();
        QDir().mkpath(window);
        // The window runs with on the fly ticked where the command line asks
        // for it; the command line gets the file as the case has it.
        IniFile(folders.paths.settingsFile())
            .writeString("MAIN", "ON_THE_FLY_ENCODING", c.extra.contains("--on-the-fly") ? "1" : c.onTheFly);
        windowRun(c.button);
        IniFile(folders.paths.settingsFile()).writeString("MAIN", "ON_THE_FLY_ENCODING", c.onTheFly);

        const QString line = folders.root.filePath("line");
        QDir(line).removeRecursively();
        const CliResult r =
            cli.run(QStringList{"rip", "--" + c.button.toLower(), "--settings", folders.paths.settingsFile(), "--out", line}
                        + c.extra,
                    90000);
        ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();

        const QStringList files = filesBelow(window);
        ASSERT_FALSE(files.isEmpty());
        EXPECT_TRUE(files.contains("The Band/The Album/02 - Two_ the second." + c.button.toLower()))
            << files.join(", ").toStdString();
        EXPECT_EQ(filesBelow(line), files);
        for (const QString& file : files) {
            SCOPED_TRACE(file.toStdString());
            QByteArray a = contents(window + '/' + file);
            ASSERT_FALSE(a.isEmpty());
            QByteArray b = contents(line + '/' + file);
            if (file.endsWith(".log")) {
                // The same log but for the hour of the run (its first line).
                a = a.mid(a.indexOf('\n'));
                b = b.mid(b.indexOf('\n'));
            }
            EXPECT_TRUE(a == b) << a.constData() << "\n--\n" << b.constData();
            if (file.endsWith(".mp3")) {
                // Both tags are there, with the stored names.
                EXPECT_TRUE(a.startsWith("ID3\x03"));
                EXPECT_EQ(a.right(128).left(3), "TAG");
                EXPECT_TRUE(a.contains("The Band") && a.contains("1999"));
            } else if (file.endsWith(".flac")) {
                // Vorbis comments in the metadata before the audio.
                EXPECT_TRUE(a.startsWith("fLaC"));
                EXPECT_TRUE(a.left(16384).contains("ARTIST=The Band") && a.left(16384).contains("DATE=1999"));
            }
        }
    }
}
