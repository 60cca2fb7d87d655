// SPDX-License-Identifier: GPL-2.0-or-later
// The whole program over the recording fakes, in temporary folders with a
// generated disc, set up as a user would have it for a WAV, MP3 or FLAC run.
#pragma once

#include "app/mainwindow.h"
#include "app/trackmillapp.h"
#include "cd/tracklist.h"
#include "lang/languagetexts.h"
#include "metadata/discnames.h"
#include "rip/progresswindow.h"
#include "rip/riprun.h"
#include "settings/settings.h"

#include "discimage.h"
#include "fakedesktopshell.h"
#include "programfolders.h"
#include "recordingmessageboxes.h"
#include "recordingrunview.h"
#include "recordingsystemservices.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QToolButton>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace trackmill::test {

// Also notes which of `watched` lay on disk when the machine was asked to go down.
class PowerWatchingServices : public RecordingSystemServices
{
public:
    void requestPowerAction(PowerAction action) override
    {
        for (const QString& file : watched)
            calls << (QFileInfo::exists(file) ? "exists:" : "missing:") + QFileInfo(file).fileName();
        RecordingSystemServices::requestPowerAction(action);
    }
    QStringList watched;
};

class ProgramRunTest : public ::testing::Test
{
protected:
    void insertDisc(std::vector<uint64_t> trackBytes)
    {
        discSpec.trackBytes = std::move(trackBytes);
        layout = discimage::writeDisc(QDir(paths.discsDir()).filePath("disc").toStdString(), discSpec);
    }

    // The program with tracks named "Song n", those in `selected` ticked,
    // files going to <output>/The Band/<album>/ as "nn - <title>". Every
    // box, blink, eject and power call goes into system.calls in order.
    void start(const QString& album, const QList<int>& selected)
    {
        // A closed local port: no freedb server is reached.
        tray.calls = &system.calls;
        app = std::make_unique<TrackmillApp>(
            TrackmillApp::Services{boxes, system, shell, paths, false, false, FreedbServer{"127.0.0.1", 9}, &tray});
        Settings& s = app->settings();
        s.directoryMp3 = output + "/";
        s.preventScreensaver = true;
        s.afterExecute = 0;
        s.ejectCdAudio = false;
        // One job at a time, the designed run; runs with several jobs have
        // tests of their own.
        s.multiCpu = false;
        s.fileName = 1;  // <number> - <title>
        s.split = s.replaceSpaces = false;
        s.artistAsDirectory = s.albumAsDirectory = true;
        s.artistAndAlbumAsDirectory = s.artistAlbumYearAsDirectory = false;
        app->form1().setArtist("The Band");
        app->form1().setAlbum(album);
        for (int n = 1; n < app->tracks().RowCount(); ++n) {
            app->tracks().setCell(1, n, QString("Song %1").arg(n));
            app->tracks().setSelection(n, selected.contains(n));
        }
        app->languageTexts() = texts();
        view = std::make_unique<RecordingRunView>(app->ripRun().view());
        view->calls = &system.calls;
        view->watched = &progressActive;
        view->onTitle = [this](const QString& title) {
            if (onTitle)
                onTitle(title);
        };
        app->ripRun().setView(*view);
        boxes.onMessage = [this](const RecordingMessageBoxes::Message& m) { system.calls << "box:" + m.text; };
    }

    static LanguageTexts texts()
    {
        LanguageTexts t;
        t.noDisc = "No audio CD";
        t.grabbingTrack = "Grabbing track";
        t.file = "File";
        t.of = "of";
        t.finishGrabbing = "Grabbing finished";
        t.abortGrabbing = "Grabbing aborted";
        t.finishGrabbingAndEncoding = "Grabbing and encoding finished";
        t.abortEncoding = "Encoding aborted";
        t.finishEncoding = "Encoding finished";
        t.aspiError = "ASPI error";
        t.noTrackSelected = "No track selected";
        t.errorPathFilename = "Error in the path or file name";
        t.flacLossless = "Lossless, level %1";
        return t;
    }

    void press(const char* name)
    {
        auto* button = app->form1().findChild<QToolButton*>(name);
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isEnabled());
        button->click();
    }

    // The program is back in the user's hands.
    void expectIdle()
    {
        EXPECT_TRUE(app->form1().isEnabled());
        EXPECT_FALSE(app->form3().isVisible());
        EXPECT_FALSE(app->ripRun().running());
        EXPECT_EQ(app->settings().directoryMp3, output + "/");
        EXPECT_EQ(view->titles.value(view->titles.size() - 1), "Trackmill");
    }

    ProgramFolders folders;
    AppPaths& paths = folders.paths;
    const QString& output = folders.output;
    discimage::DiscSpec discSpec;
    discimage::DiscLayout layout;
    RecordingMessageBoxes boxes;
    PowerWatchingServices system;
    FakeDesktopShell shell;
    RecordingTray tray;
    std::unique_ptr<TrackmillApp> app;  // goes before the folders
    std::unique_ptr<RecordingRunView> view;  // goes before the program's own view
    bool progressActive = true;
    std::function<void(const QString&)> onTitle;
    QStringList& states() { return view->states; }
    QStringList& titles() { return view->titles; }
};

}
