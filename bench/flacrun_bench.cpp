// SPDX-License-Identifier: GPL-2.0-or-later
// Benchmark: the FLAC command through the whole program, offscreen, over a
// generated disc image (45 minutes in 12 tracks by default), on the fly,
// against the `flac` command line on the same PCM (the WAV files of a
// rip-only run), both at level 5 with verify on, measured side by side in
// one run, best of the rounds. Prints wall times and the ratio that
// matters:
//   FLAC run on the fly / flac -5 --verify     (aim: at most 1.10)
// and checks that both give every track the same audio (the MD5 of
// STREAMINFO).
//
//   flacrun_bench [minutes [tracks [rounds [work folder]]]]
//
// Build it without sanitizers for meaningful figures.
#include "app/mainwindow.h"
#include "app/trackmillapp.h"
#include "cd/tracklist.h"
#include "encoder/trackencoder.h"
#include "rip/riprun.h"
#include "settings/settings.h"

#include "benchprogram.h"
#include "recordingmessageboxes.h"
#include "recordingrunview.h"
#include "testenvironment.h"

#include <FLAC/metadata.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace trackmill;
using namespace trackmill::test;

namespace {

void waitUntil(const std::function<bool()>& done)
{
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
}

// One `flac` process over all the WAV files, as a user would call it on a
// folder; its outputs go to `out`. Wall seconds, or -1 when it failed.
double runFlacCommand(const QString& dir, const QStringList& wavs, const QString& out)
{
    std::vector<QByteArray> args{"flac", "--silent", "--force", "-5", "--verify",
                                 "--output-prefix=" + QFile::encodeName(out + "/")};
    for (const QString& wav : wavs)
        args.push_back(QFile::encodeName(dir + "/" + wav));
    std::vector<char*> argv;
    for (QByteArray& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    QElapsedTimer t;
    t.start();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp("flac", argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "flac failed (status %d); is it installed?\n", status);
        return -1;
    }
    return t.nsecsElapsed() / 1e9;
}

QByteArray md5Of(const QString& flac)
{
    FLAC__StreamMetadata info;
    if (!FLAC__metadata_get_streaminfo(QFile::encodeName(flac).constData(), &info))
        return {};
    return QByteArray(reinterpret_cast<const char*>(info.data.stream_info.md5sum), 16);
}

}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    isolateEnvironment();
    QApplication qapp(argc, argv);
    const double minutes = argc > 1 ? std::atof(argv[1]) : 45.0;
    const int trackCount = argc > 2 ? std::atoi(argv[2]) : 12;
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 3;
    QTemporaryDir tmp(argc > 4 ? QString::fromLocal8Bit(argv[4]) + "/flacrun_bench-XXXXXX" : QString());
    if (!tmp.isValid() || minutes <= 0 || trackCount < 1 || trackCount > 99 || rounds < 1) {
        std::fprintf(stderr, "usage: flacrun_bench [minutes [tracks [rounds [work folder]]]]\n");
        return 2;
    }

    AppPaths paths{tmp.filePath("program"), tmp.filePath("config")};
    const QString wavDir = tmp.filePath("wav");
    const QString out = tmp.filePath("out");
    const QString command = tmp.filePath("command");
    for (const QString& d : {paths.discsDir(), paths.configDir, wavDir, out, command})
        QDir().mkpath(d);

    const quint64 sectors = bench::writeEvenDisc(paths.discsDir(), minutes, trackCount);
    bench::BenchProgram program(paths);
    TrackmillApp* app = program.app.get();
    RecordingMessageBoxes& boxes = program.boxes;
    if (!app->tracks().CD()) {
        std::fprintf(stderr, "no disc\n");
        return 1;
    }
    Settings& s = app->settings();
    s.flacCompression = 5;
    s.flacVerify = true;
    s.onTheFly = true;
    s.encodeWavToMp3 = false;
    s.preventScreensaver = false;
    s.afterExecute = 0;
    s.ejectCdAudio = false;
    s.fileName = 0;
    s.artistAsDirectory = s.albumAsDirectory = false;
    s.artistAndAlbumAsDirectory = s.artistAlbumYearAsDirectory = false;
    app->tracks().CheckOrNotAllTracks(app->tracks().RowCount(), QLatin1Char('1'));
    test::RecordingRunView view(app->ripRun().view());
    app->ripRun().setView(view);
    auto* wavButton = app->form1().findChild<QToolButton*>("WAV");
    auto* flacButton = app->form1().findChild<QToolButton*>("FLAC");
    const auto idle = [&] { return !app->ripRun().running() && !app->flacEncoder().isEncoding(); };
    const auto run = [&](QToolButton* button) {
        QElapsedTimer t;
        t.start();
        button->click();
        waitUntil(idle);
        return t.nsecsElapsed() / 1e9;
    };

    std::printf("disc: %.1f minutes in %d tracks (%llu sectors each), %d rounds\n", minutes, trackCount,
                (unsigned long long)sectors, rounds);

    // Rip only: the same PCM for the command line, and the image in the page cache.
    s.directoryMp3 = wavDir + "/";
    run(wavButton);
    const QStringList wavs = QDir(wavDir).entryList({"*.wav"}, QDir::Files, QDir::Name);
    s.directoryMp3 = out + "/";

    double best = 1e18, bestCommand = 1e18;
    for (int round = 0; round < rounds; ++round) {
        for (const QString& f : QDir(out).entryList(QDir::Files))
            QFile::remove(out + "/" + f);
        const double flacRun = run(flacButton);
        const double flacCommand = runFlacCommand(wavDir, wavs, command);
        if (flacCommand < 0)
            return 1;
        std::printf("round %d: FLAC run on the fly %8.2f s, flac -5 --verify %8.2f s\n", round + 1, flacRun, flacCommand);
        best = std::min(best, flacRun);
        bestCommand = std::min(bestCommand, flacCommand);
    }

    const QStringList flacs = QDir(out).entryList({"*.flac"}, QDir::Files, QDir::Name);
    int sameAudio = 0;
    for (const QString& f : flacs) {
        const QByteArray md5 = md5Of(out + "/" + f);
        if (!md5.isEmpty() && md5 == md5Of(command + "/" + f))
            ++sameAudio;
    }
    std::printf("flac -5 --verify (all %lld WAV files)   %8.2f s\n", (long long)wavs.size(), bestCommand);
    std::printf("FLAC run on the fly                %8.2f s  (%lld files)\n", best, (long long)flacs.size());
    std::printf("FLAC run / flac command line              %.3f  (aim <= 1.10)\n", best / bestCommand);
    std::printf("tracks with the same audio MD5 in both: %d of %d\n", sameAudio, trackCount);
    for (const RecordingMessageBoxes::Message& m : boxes.messages)
        if (m.kind != RecordingMessageBoxes::Kind::Information)
            std::printf("box: %s\n", qPrintable(QString(m.text).replace(QLatin1Char('\n'), QLatin1Char('|'))));
    return flacs.size() == trackCount && sameAudio == trackCount ? 0 : 1;
}
