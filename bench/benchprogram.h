// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The whole program as the benchmarks run it: over disc images in the
// program folder's Discs/ only, with recording boxes, system services and
// shell, and no lookup of the disc at start (the freedb window would wait
// for a click that never comes).

#include "app/trackmillapp.h"
#include "platform/apppaths.h"
#include "platform/inifile.h"

#include "akrip32_testing.h"
#include "discimage.h"
#include "fakedesktopshell.h"
#include "recordingmessageboxes.h"
#include "recordingsystemservices.h"

#include <QDir>
#include <QFile>

#include <memory>

namespace trackmill::bench {

// "bench.cue" in discsDir: `tracks` music tracks of equal length in whole
// sectors filling `minutes`. Returns the sectors (2352 bytes) of each.
inline quint64 writeEvenDisc(const QString& discsDir, double minutes, int tracks)
{
    discimage::DiscSpec discSpec;
    discSpec.content = discimage::Content::Music;
    const quint64 sectors = quint64(minutes * 60 * 75 / tracks);
    for (int i = 0; i < tracks; ++i)
        discSpec.trackBytes.push_back(sectors * discimage::kSectorBytes);
    discimage::writeDisc(QDir(discsDir).filePath(QStringLiteral("bench")).toStdString(), discSpec);
    return sectors;
}

struct BenchProgram
{
    // The disc images must be in paths.discsDir() by now.
    explicit BenchProgram(const AppPaths& paths)
    {
        IniFile(paths.settingsFile()).writeString("MAIN", "AUTO_CONNECT_FREEDB", "0");
        AkripTestReset();
        AkripTestUsePhysicalDrives(0);
        AkripTestSetDiscsDir(QFile::encodeName(paths.discsDir()).constData());
        app = std::make_unique<TrackmillApp>(
            TrackmillApp::Services{boxes, system, shell, paths, false, false, FreedbServer{"127.0.0.1", 9}});
    }
    ~BenchProgram()
    {
        app.reset();
        AkripTestReset();
    }

    test::RecordingMessageBoxes boxes;
    test::RecordingSystemServices system;
    test::FakeDesktopShell shell;
    std::unique_ptr<TrackmillApp> app;
};

}
