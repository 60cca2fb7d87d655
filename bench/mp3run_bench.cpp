// SPDX-License-Identifier: GPL-2.0-or-later
// Benchmark: the MP3 command through the whole program, offscreen, over a
// generated disc image (45 minutes in 12 tracks by default), three ways in
// one run: rip then encode, on the fly, and the encoder component alone on
// the same PCM (the WAV files of a rip-only run). Prints wall times and
// the ratios that matter:
//   on the fly / encoder alone        (aim: at most 1.10)
//   rip then encode / (rip + encode)  (aim: at most 1.10)
//
//   mp3run_bench [minutes] [tracks] [work folder]
//
// Build it without sanitizers for meaningful figures.
#include "app/mainwindow.h"
#include "cd/tracklist.h"
#include "app/trackmillapp.h"
#include "encoder/trackencoder.h"
#include "encoder/encodersettings.h"
#include "encoder/gogotea.h"
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

}

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    isolateEnvironment();
    QApplication qapp(argc, argv);
    const double minutes = argc > 1 ? std::atof(argv[1]) : 45.0;
    const int trackCount = argc > 2 ? std::atoi(argv[2]) : 12;
    QTemporaryDir tmp(argc > 3 ? QString::fromLocal8Bit(argv[3]) + "/mp3run_bench-XXXXXX" : QString());
    if (!tmp.isValid() || minutes <= 0 || trackCount < 1 || trackCount > 99) {
        std::fprintf(stderr, "usage: mp3run_bench [minutes] [tracks] [work folder]\n");
        return 2;
    }

    AppPaths paths{tmp.filePath("program"), tmp.filePath("config")};
    const QString out = tmp.filePath("out");
    const QString alone = tmp.filePath("alone");
    for (const QString& d : {paths.discsDir(), paths.configDir, out, alone})
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
    s.directoryMp3 = out + "/";
    s.mpegVersion = Settings::MpegVersion::Mpeg1;
    s.bitrate = 8;  // 128 kbps CBR
    s.vbrRatio = false;
    s.quality = 2;  // joint stereo
    s.priority = 3;
    s.usePsy = true;
    s.extendedFilterCbr = false;
    s.extendedFilterMsStereo = false;
    s.encodeWavToMp3 = false;
    s.preventScreensaver = false;
    s.afterExecute = 0;
    s.ejectCdAudio = false;
    s.fileName = 0;
    s.artistAsDirectory = s.albumAsDirectory = false;
    s.artistAndAlbumAsDirectory = s.artistAlbumYearAsDirectory = false;
    app->tracks().CheckOrNotAllTracks(app->tracks().RowCount(), QLatin1Char('1'));
    // The user is watching; the title is not the benchmark's business.
    test::RecordingRunView view(app->ripRun().view());
    app->ripRun().setView(view);
    auto* wavButton = app->form1().findChild<QToolButton*>("WAV");
    auto* mp3Button = app->form1().findChild<QToolButton*>("MP3");
    TrackEncoder& encoder = *app->encoder();
    // A component of its own for the encoder-alone figure: the program's
    // one answers every job's end as part of a batch.
    TGogoTea standalone(GogoLibrarySource::forProgram(paths));

    const auto idle = [&] {
        return !app->ripRun().running() && !encoder.isEncoding();
    };
    const auto run = [&](QToolButton* button) {
        QElapsedTimer t;
        t.start();
        button->click();
        waitUntil(idle);
        return t.nsecsElapsed() / 1e9;
    };
    const auto countFiles = [](const QString& dir, const char* pattern) {
        return QDir(dir).entryList({QString::fromLatin1(pattern)}, QDir::Files).size();
    };

    std::printf("disc: %.1f minutes in %d tracks (%llu sectors each)\n", minutes, trackCount,
                (unsigned long long)sectors);

    // Rip only: the WAV files the encoder alone works on.
    s.deleteWav = false;
    const double rip = run(wavButton);
    const QStringList wavs = QDir(out).entryList({"*.wav"}, QDir::Files, QDir::Name);

    // The encoder alone on the same PCM, one file job after the other.
    QElapsedTimer t;
    t.start();
    EncoderSettings::SetPrimaryAndSecondarySettings(s, standalone);
    standalone.setEncodeMode(_FILE);
    for (const QString& wav : wavs) {
        standalone.setSourceFile(out + "/" + wav);
        standalone.setDestinationFile(alone + "/" + QString(wav).replace(".wav", ".mp3"));
        standalone.Start();
        waitUntil([&] { return !standalone.IsEncoding(); });
    }
    const double encode = t.nsecsElapsed() / 1e9;
    for (const QString& wav : wavs)
        QFile::remove(out + "/" + wav);

    s.deleteWav = true;
    s.onTheFly = false;
    const double ripThenEncode = run(mp3Button);
    const qsizetype mp3AfterRip = countFiles(out, "*.mp3");
    for (const QString& f : QDir(out).entryList(QDir::Files))
        QFile::remove(out + "/" + f);

    s.onTheFly = true;
    const double onTheFly = run(mp3Button);
    const qsizetype mp3OnTheFly = countFiles(out, "*.mp3");

    const Mp3Facts check = inspectMp3(out + "/" + QDir(out).entryList({"*.mp3"}, QDir::Files, QDir::Name).value(0));
    const long long expected = (long long)(sectors * 588);
    std::printf("rip only (WAV command)        %8.2f s  (%zu files)\n", rip, size_t(wavs.size()));
    std::printf("encoder alone on the PCM      %8.2f s\n", encode);
    std::printf("rip then encode (MP3)         %8.2f s  (%lld files)\n", ripThenEncode, (long long)mp3AfterRip);
    std::printf("on the fly (MP3)              %8.2f s  (%lld files)\n", onTheFly, (long long)mp3OnTheFly);
    std::printf("on the fly / encoder alone           %.3f  (aim <= 1.10)\n", onTheFly / encode);
    std::printf("rip then encode / (rip + encode)     %.3f  (aim <= 1.10)\n", ripThenEncode / (rip + encode));
    std::printf("first MP3 decodes to %lld samples (track: %lld)\n", check.samples, expected);
    for (const RecordingMessageBoxes::Message& m : boxes.messages)
        std::printf("box: %s\n", qPrintable(QString(m.text).replace(QLatin1Char('\n'), QLatin1Char('|'))));
    const bool ok = mp3AfterRip == trackCount && mp3OnTheFly == trackCount && check.samples == expected;
    return ok ? 0 : 1;
}
