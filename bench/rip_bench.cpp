// SPDX-License-Identifier: GPL-2.0-or-later
// Benchmark: every track of a generated 12-track disc image (45 minutes
// unless asked otherwise)
// ripped to WAV through the real WAV command (main window, progress window,
// batch driver, offscreen), timed against `cp` of the image's BIN file in
// the same run. Also the longest time the user interface went without
// handling its events while ripping. Not a test: run it from a Release
// build and read the figures.
//
//   rip_bench [minutes [folder]]   (default: 45 minutes in the system's
//                                   temporary folder; the test suite runs
//                                   it at 1 minute as a smoke test)
#include "app/mainwindow.h"
#include "cd/tracklist.h"
#include "app/trackmillapp.h"
#include "rip/progresswindow.h"
#include "rip/riprun.h"
#include "recordingrunview.h"
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
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QEvent>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

using namespace trackmill;

namespace {

constexpr int kTracks = 12;
// Nothing here may reach a freedb server: a closed local port.

// CPU time of this process so far (user + system), milliseconds.
double cpuMs(int who = RUSAGE_SELF)
{
    rusage u {};
    getrusage(who, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// Context switches of the user-interface thread so far: waits (voluntary)
// and preemptions by other processes (involuntary).
std::pair<long, long> switches()
{
    rusage u {};
    getrusage(RUSAGE_THREAD, &u);
    return {u.ru_nvcsw, u.ru_nivcsw};
}

double copyMs(const QString& from, const QString& to)
{
    QElapsedTimer t;
    t.start();
    const int rc = QProcess::execute(QStringLiteral("cp"), {from, to});
    const double ms = double(t.nsecsElapsed()) / 1e6;
    QFile::remove(to);
    if (rc != 0) {
        std::fprintf(stderr, "cp failed (%d)\n", rc);
        return -1;
    }
    return ms;
}

// Counts the paint events of a window and its children.
class PaintCounter : public QObject
{
public:
    qint64 paints = 0;
    void watch(QWidget* w)
    {
        w->installEventFilter(this);
        for (QWidget* child : w->findChildren<QWidget*>())
            child->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    test::isolateEnvironment();
    QApplication qapp(argc, argv);

    bool minutesOk = true;
    const double minutes = argc > 1 ? QString::fromLocal8Bit(argv[1]).toDouble(&minutesOk) : 45.0;
    // Under a second a track, the image writer's tracks would be empty.
    if (!minutesOk || minutes < 0.2 || minutes > 79) {
        std::fprintf(stderr, "usage: rip_bench [minutes (0.2 to 79) [folder]]\n");
        return 2;
    }
    const double discSeconds = minutes * 60;
    const QString base = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QDir::tempPath();
    QTemporaryDir root(base + QStringLiteral("/rip-bench-XXXXXX"));
    if (!root.isValid()) {
        std::fprintf(stderr, "cannot make a folder in %s\n", qPrintable(base));
        return 1;
    }
    AppPaths paths{root.filePath(QStringLiteral("program")), root.filePath(QStringLiteral("config"))};
    const QString output = root.filePath(QStringLiteral("out"));
    QDir().mkpath(paths.discsDir());
    QDir().mkpath(paths.configDir);
    QDir().mkpath(output);

    // Twelve tracks of unequal length, the asked minutes in all.
    discimage::DiscSpec discSpec;
    const double weights[kTracks] = {1.0, 1.3, 0.8, 1.1, 0.9, 1.2, 1.0, 0.7, 1.4, 1.0, 0.9, 0.7};
    double weightSum = 0;
    for (double w : weights)
        weightSum += w;
    for (double w : weights)
        discSpec.trackBytes.push_back(discimage::bytesForSeconds(discSeconds * w / weightSum));
    const discimage::DiscLayout layout =
        discimage::writeDisc(QDir(paths.discsDir()).filePath(QStringLiteral("bench")).toStdString(), discSpec);
    const QString bin = QString::fromStdString(layout.binPath);
    const qint64 binBytes = QFileInfo(bin).size();


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
    // The designed read loop: verified reads have a benchmark of their own.
    s.readMode = 1;
    for (int n = 1; n <= kTracks; ++n)
        app.tracks().setSelection(n, true);
    // The finish box comes from the fake; the user is watching.
    test::RecordingRunView view(app.ripRun().view());
    app.ripRun().setView(view);
    app.show();

    // cp warms the page cache for both; its best of three is the yardstick.
    double cp = 1e18;
    const double childCpuBefore = cpuMs(RUSAGE_CHILDREN);
    for (int i = 0; i < 3; ++i)
        cp = std::min(cp, copyMs(bin, output + QStringLiteral("/copy.bin")));
    const double cpCpuMs = (cpuMs(RUSAGE_CHILDREN) - childCpuBefore) / 3;

    // A zero-interval timer runs on every turn of the event loop: the
    // largest gap between two of its runs is the longest the windows went
    // without handling events.
    QElapsedTimer clock;
    qint64 last = -1;
    qint64 longestGapNs = 0;
    qint64 turns = 0;
    QTimer turn;
    turn.setInterval(0);
    QObject::connect(&turn, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (last >= 0)
            longestGapNs = std::max(longestGapNs, now - last);
        last = now;
        ++turns;
    });

    PaintCounter paints;
    paints.watch(&app.form3());
    auto* wav = app.form1().findChild<QToolButton*>(QStringLiteral("WAV"));
    const double cpuBefore = cpuMs();
    const auto switchesBefore = switches();
    clock.start();
    turn.start();
    wav->click();
    const double ripMs = double(clock.nsecsElapsed()) / 1e6;
    const double ripCpuMs = cpuMs() - cpuBefore;
    const auto switchesAfter = switches();
    turn.stop();

    qint64 written = 0;
    const QFileInfoList files = QDir(output).entryInfoList({QStringLiteral("*.wav")}, QDir::Files);
    for (const QFileInfo& f : files)
        written += f.size();
    const bool finished = boxes.messages.size() == 1
        && boxes.messages[0].kind == test::RecordingMessageBoxes::Kind::Information && files.size() == kTracks;

    std::printf("image:            %d tracks, %.1f min, BIN %.1f MiB\n", kTracks, minutes,
                double(binBytes) / 1048576.0);
    std::printf("cp of the BIN:    %.1f ms (best of 3), CPU %.1f ms (mean)\n", cp, cpCpuMs);
    std::printf("WAV run:          %.1f ms, %d files, %.1f MiB written%s\n", ripMs, int(files.size()),
                double(written) / 1048576.0, finished ? "" : "  (RUN DID NOT FINISH AS EXPECTED)");
    std::printf("  of which CPU:   %.1f ms; window thread waited %ld, was preempted %ld times\n", ripCpuMs,
                switchesAfter.first - switchesBefore.first, switchesAfter.second - switchesBefore.second);
    std::printf("ratio rip / cp:   %.2f (CPU time: %.2f)\n", cp > 0 ? ripMs / cp : 0.0,
                cpCpuMs > 0 ? ripCpuMs / cpCpuMs : 0.0);
    std::printf("event-loop turns: %lld, longest gap %.1f ms\n", turns, double(longestGapNs) / 1e6);
    std::printf("progress window:  %lld paint events\n", paints.paints);
    return finished ? 0 : 1;
}
