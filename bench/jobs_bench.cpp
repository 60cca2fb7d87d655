// SPDX-License-Identifier: GPL-2.0-or-later
// Benchmark: several encoders at once. Over a generated disc image (45
// minutes in 12 tracks by default), measured side by side in one run:
//   the MP3 command, rip then encode and on the fly, with "Use Multi
//   Processors" ticked and not; the WAV files batch of the same 12 files,
//   ticked and not; the lame command line on those files one after another
//   and with xargs -P <processors>.
// Prints wall times and the ratios that matter:
//   ticked / parallel lame       (aim: at most 1.05)
//   not ticked / ticked          (aim: at least 1.8 on two processors)
//
//   jobs_bench [minutes] [tracks] [work folder]
//
// Build it without sanitizers for meaningful figures.
#include "app/mainwindow.h"
#include "app/trackmillapp.h"
#include "cd/tracklist.h"
#include "encoder/trackencoder.h"
#include "platform/usablecores.h"
#include "rip/riprun.h"
#include "settings/settings.h"

#include "benchprogram.h"
#include "mp3framereader.h"
#include "recordingmessageboxes.h"
#include "recordingrunview.h"
#include "testenvironment.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QToolButton>
#include <cstdio>

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

// The lame command line with the settings of the runs: 128 kbps CBR, joint
// stereo, psycho-acoustics on (LAME quality 3).
const QStringList kLameOptions = {"--quiet", "--noreplaygain", "-b", "128", "-m", "j", "-q", "3"};

// The files through xargs: `parallel` lame processes at a time (1: one
// after another). Returns the wall time in seconds, negative on failure.
double runLame(const QStringList& wavs, const QString& outDir, int parallel)
{
    QProcess xargs;
    // Each file name once; the MP3 goes into outDir under the WAV's name.
    QStringList args = {"-0", "-P", QString::number(parallel), "-I", "{}", "sh", "-c",
                        "exec lame " + kLameOptions.join(' ') + " \"$1\" \"$2/$(basename \"$1\" .wav).mp3\"", "lame",
                        "{}", outDir};
    QElapsedTimer t;
    t.start();
    xargs.start(QStringLiteral("xargs"), args);
    if (!xargs.waitForStarted())
        return -1;
    for (const QString& wav : wavs)
        xargs.write(QFile::encodeName(wav) + '\0');
    xargs.closeWriteChannel();
    xargs.waitForFinished(-1);
    const double wall = t.nsecsElapsed() / 1e9;
    if (xargs.exitStatus() != QProcess::NormalExit || xargs.exitCode() != 0) {
        std::fprintf(stderr, "lame failed: %s\n", xargs.readAllStandardError().constData());
        return -1;
    }
    return wall;
}

void clearFolder(const QString& dir)
{
    for (const QString& f : QDir(dir).entryList(QDir::Files | QDir::Hidden))
        QFile::remove(dir + "/" + f);
}

}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    isolateEnvironment();
    QApplication qapp(argc, argv);
    const double minutes = argc > 1 ? std::atof(argv[1]) : 45.0;
    const int trackCount = argc > 2 ? std::atoi(argv[2]) : 12;
    QTemporaryDir tmp(argc > 3 ? QString::fromLocal8Bit(argv[3]) + "/jobs_bench-XXXXXX" : QString());
    if (!tmp.isValid() || minutes <= 0 || trackCount < 1 || trackCount > 99) {
        std::fprintf(stderr, "usage: jobs_bench [minutes] [tracks] [work folder]\n");
        return 2;
    }
    const int cores = usableCores();

    AppPaths paths{tmp.filePath("program"), tmp.filePath("config")};
    const QString wavDir = tmp.filePath("wav");
    const QString out = tmp.filePath("out");
    for (const QString& d : {paths.discsDir(), paths.configDir, wavDir, out})
        QDir().mkpath(d);

    const quint64 sectors = bench::writeEvenDisc(paths.discsDir(), minutes, trackCount);
    bench::BenchProgram program(paths);
    TrackmillApp* app = program.app.get();
    RecordingMessageBoxes& boxes = program.boxes;
    if (!app->tracks().CD() || !app->encoder()) {
        std::fprintf(stderr, "no disc or no encoder library\n");
        return 1;
    }
    Settings& s = app->settings();
    s.mpegVersion = Settings::MpegVersion::Mpeg1;
    s.bitrate = 8;  // 128 kbps CBR
    s.vbrRatio = false;
    s.quality = 2;  // joint stereo
    s.priority = 3;
    s.usePsy = true;
    s.extendedFilterCbr = false;
    s.extendedFilterMsStereo = false;
    s.preventScreensaver = false;
    // The fast read loop: the figures are the encoders', not paranoia's.
    s.readMode = 1;
    s.afterExecute = 0;
    s.ejectCdAudio = false;
    s.fileName = 0;
    s.artistAsDirectory = s.albumAsDirectory = false;
    s.artistAndAlbumAsDirectory = s.artistAlbumYearAsDirectory = false;
    app->tracks().CheckOrNotAllTracks(app->tracks().RowCount(), QLatin1Char('1'));
    RecordingRunView view(app->ripRun().view());
    app->ripRun().setView(view);
    auto* wavButton = app->form1().findChild<QToolButton*>("WAV");
    auto* mp3Button = app->form1().findChild<QToolButton*>("MP3");

    const auto run = [&](QToolButton* button) {
        QElapsedTimer t;
        t.start();
        button->click();
        waitUntil([&] { return !app->ripRun().running(); });
        return t.nsecsElapsed() / 1e9;
    };
    const auto mp3Count = [&] { return int(QDir(out).entryList({"*.mp3"}, QDir::Files).size()); };
    bool allThere = true;
    const auto check = [&](const char* what) {
        if (mp3Count() != trackCount) {
            std::fprintf(stderr, "%s: %d of %d MP3 files\n", what, mp3Count(), trackCount);
            allThere = false;
        }
    };

    std::printf("disc: %.1f minutes in %d tracks; %d usable processors\n", minutes, trackCount, cores);

    // The WAV files of the disc, for lame and for the batch.
    s.directoryMp3 = wavDir + "/";
    s.encodeWavToMp3 = false;
    run(wavButton);
    QStringList wavs;
    for (const QString& f : QDir(wavDir).entryList({"*.wav"}, QDir::Files, QDir::Name))
        wavs << wavDir + "/" + f;
    s.directoryMp3 = out + "/";

    const double lameOne = runLame(wavs, out, 1);
    check("lame");
    const Mp3Facts first = inspectMp3(out + "/" + QDir(out).entryList({"*.mp3"}, QDir::Files, QDir::Name).value(0));
    clearFolder(out);
    const double lameAll = runLame(wavs, out, cores);
    check("lame -P");
    clearFolder(out);

    s.deleteWav = true;
    double ripThenEncode[2], onTheFly[2], batch[2];
    for (const bool multi : {false, true}) {
        s.multiCpu = multi;
        s.encodeWavToMp3 = false;
        s.onTheFly = false;
        ripThenEncode[multi] = run(mp3Button);
        check("rip then encode");
        clearFolder(out);
        s.onTheFly = true;
        onTheFly[multi] = run(mp3Button);
        check("on the fly");
        clearFolder(out);
        // The batch must not delete the sources: they serve the next run.
        s.encodeWavToMp3 = true;
        s.deleteWav = false;
        program.shell.fileAnswers = {wavs};
        batch[multi] = run(mp3Button);
        check("WAV files");
        clearFolder(out);
        s.deleteWav = true;
    }

    std::printf("lame, one file after another     %8.2f s\n", lameOne);
    std::printf("lame, xargs -P %-2d                %8.2f s\n", cores, lameAll);
    const struct { const char* name; double* t; } rows[] = {
        {"MP3, rip then encode", ripThenEncode}, {"MP3, on the fly", onTheFly}, {"WAV files batch", batch}};
    for (const auto& r : rows) {
        std::printf("%-22s box off %8.2f s   box on %8.2f s\n", r.name, r.t[0], r.t[1]);
    }
    std::printf("\nratios (%d processors)              box on / lame -P   box off / box on\n", cores);
    for (const auto& r : rows)
        std::printf("%-36s %8.3f           %8.3f\n", r.name, r.t[1] / lameAll, r.t[0] / r.t[1]);
    std::printf("aims: box on / lame -P at most 1.05; box off / box on at least 1.8 (two processors)\n");
    std::printf("lame one after another / lame -P    %8.3f\n", lameOne / lameAll);
    const long long expected = (long long)(sectors * 588);
    std::printf("first MP3 decodes to %lld samples (track: %lld)\n", first.samples, expected);
    for (const RecordingMessageBoxes::Message& m : boxes.messages)
        std::printf("box: %s\n", qPrintable(QString(m.text).replace(QLatin1Char('\n'), QLatin1Char('|'))));
    return allThere && lameOne > 0 && lameAll > 0 ? 0 : 1;
}
