// SPDX-License-Identifier: GPL-2.0-or-later
// Benchmark: every track of a generated 12-track disc image (45 minutes
// unless asked otherwise) ripped to WAV through the real WAV command with
// verified reads and with fast reads, against `cd-paranoia -d <image>.cue
// -B` (libcdio-paranoia's own ripper, full paranoia) and `cp` of the BIN,
// all in one run on the same image. Not a test: run it from a Release
// build and read the figures.
//
//   secure_bench [minutes [folder]]   (default: 45 minutes in the system's
//                                      temporary folder; the test suite
//                                      runs it at 0.5 minutes as a smoke test)
#include "app/mainwindow.h"
#include "app/trackmillapp.h"
#include "cd/tracklist.h"
#include "recordingrunview.h"
#include "rip/riprun.h"
#include "settings/settings.h"

#include "benchprogram.h"
#include "discimage.h"
#include "recordingmessageboxes.h"
#include "testenvironment.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QToolButton>

#include <algorithm>
#include <cstdio>

using namespace trackmill;

namespace {

constexpr int kTracks = 12;

// Wall time of a command in `dir`, -1 when it failed.
double runMs(const QString& program, const QStringList& arguments, const QString& dir)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    p.start(program, arguments);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed\n", qPrintable(program));
        return -1;
    }
    return double(t.nsecsElapsed()) / 1e6;
}

void clearFolder(const QString& dir)
{
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
}

}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    test::isolateEnvironment();
    QApplication qapp(argc, argv);

    bool minutesOk = true;
    const double minutes = argc > 1 ? QString::fromLocal8Bit(argv[1]).toDouble(&minutesOk) : 45.0;
    if (!minutesOk || minutes < 0.2 || minutes > 79) {
        std::fprintf(stderr, "usage: secure_bench [minutes (0.2 to 79) [folder]]\n");
        return 2;
    }
    const QString base = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QDir::tempPath();
    QTemporaryDir root(base + QStringLiteral("/secure-bench-XXXXXX"));
    if (!root.isValid()) {
        std::fprintf(stderr, "cannot make a folder in %s\n", qPrintable(base));
        return 1;
    }
    AppPaths paths{root.filePath(QStringLiteral("program")), root.filePath(QStringLiteral("config"))};
    const QString output = root.filePath(QStringLiteral("out"));
    const QString paranoiaDir = root.filePath(QStringLiteral("paranoia"));
    QDir().mkpath(paths.discsDir());
    QDir().mkpath(paths.configDir);

    // Twelve tracks of music of unequal length (paranoia guesses the byte
    // order from the audio: music is what it expects).
    discimage::DiscSpec discSpec;
    discSpec.content = discimage::Content::Music;
    const double weights[kTracks] = {1.0, 1.3, 0.8, 1.1, 0.9, 1.2, 1.0, 0.7, 1.4, 1.0, 0.9, 0.7};
    double weightSum = 0;
    for (double w : weights)
        weightSum += w;
    for (double w : weights)
        discSpec.trackBytes.push_back(discimage::bytesForSeconds(minutes * 60 * w / weightSum));
    const discimage::DiscLayout layout =
        discimage::writeDisc(QDir(paths.discsDir()).filePath(QStringLiteral("bench")).toStdString(), discSpec);
    const QString bin = QString::fromStdString(layout.binPath);
    const QString cue = QString::fromStdString(layout.cuePath);

    bench::BenchProgram program(paths);
    TrackmillApp& app = *program.app;
    test::RecordingMessageBoxes& boxes = program.boxes;
    if (!app.tracks().CD() || app.tracks().RowCount() != kTracks + 1) {
        std::fprintf(stderr, "the image was not read as a %d-track disc\n", kTracks);
        return 1;
    }
    Settings& s = app.settings();
    s.directoryMp3 = output + QLatin1Char('/');
    s.artistAsDirectory = s.albumAsDirectory = s.artistAndAlbumAsDirectory = s.artistAlbumYearAsDirectory = false;
    s.ejectCdAudio = false;
    s.afterExecute = 0;
    // No database here: the lookup fails at once.
    s.accurateRipServer = QStringLiteral("127.0.0.1:9");
    test::RecordingRunView view(app.ripRun().view());
    app.ripRun().setView(view);
    app.show();
    auto* wav = app.form1().findChild<QToolButton*>(QStringLiteral("WAV"));

    // One WAV run in the given read mode; its wall time, -1 when it did not
    // finish with twelve files.
    const auto ripMs = [&](int mode) {
        clearFolder(output);
        s.readMode = mode;
        for (int n = 1; n <= kTracks; ++n)
            app.tracks().setSelection(n, true);
        boxes.messages.clear();
        QElapsedTimer t;
        t.start();
        wav->click();
        const double ms = double(t.nsecsElapsed()) / 1e6;
        const int files = int(QDir(output).entryList({QStringLiteral("*.wav")}, QDir::Files).size());
        const bool finished = boxes.messages.size() == 1
            && boxes.messages[0].kind == test::RecordingMessageBoxes::Kind::Information && files == kTracks;
        return finished ? ms : -1.0;
    };

    // cp warms the page cache for all; best of three each.
    double cp = 1e18, secure = 1e18, fast = 1e18, paranoia = 1e18;
    QDir().mkpath(output);
    for (int i = 0; i < 3; ++i) {
        cp = std::min(cp, runMs(QStringLiteral("cp"), {bin, output + QStringLiteral("/copy.bin")}, output));
        QFile::remove(output + QStringLiteral("/copy.bin"));
    }
    const QString cdParanoia = QStandardPaths::findExecutable(QStringLiteral("cd-paranoia"));
    const int rounds = minutes >= 5 ? 3 : 1;
    bool ok = cp > 0;
    for (int i = 0; i < rounds && ok; ++i) {
        secure = std::min(secure, ripMs(0));
        fast = std::min(fast, ripMs(1));
        ok = secure > 0 && fast > 0;
        if (!cdParanoia.isEmpty()) {
            clearFolder(paranoiaDir);
            paranoia = std::min(paranoia, runMs(cdParanoia, {QStringLiteral("-d"), cue, QStringLiteral("-B")}, paranoiaDir));
            ok = ok && paranoia > 0;
        }
    }

    std::printf("image:              %d tracks, %.1f min, BIN %.1f MiB\n", kTracks, minutes,
                double(QFileInfo(bin).size()) / 1048576.0);
    std::printf("cp of the BIN:      %9.1f ms\n", cp);
    std::printf("fast WAV run:       %9.1f ms\n", fast);
    std::printf("secure WAV run:     %9.1f ms\n", secure);
    if (cdParanoia.isEmpty())
        std::printf("cd-paranoia -B:     not installed\n");
    else
        std::printf("cd-paranoia -B:     %9.1f ms\n", paranoia);
    std::printf("ratio secure / cd-paranoia: %.2f\n", cdParanoia.isEmpty() ? 0.0 : secure / paranoia);
    std::printf("ratio fast / cp:            %.2f\n", fast / cp);
    std::printf("ratio secure / fast:        %.2f\n", secure / fast);
    if (!ok)
        std::printf("(A RUN DID NOT FINISH AS EXPECTED)\n");
    return ok ? 0 : 1;
}
