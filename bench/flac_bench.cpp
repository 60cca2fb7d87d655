// SPDX-License-Identifier: GPL-2.0-or-later
// Benchmark: the FLAC encoder of a run against the `flac` command line on
// the same audio, both at level 5 with verify on, best of three rounds,
// measured side by side in one run. The encoder is driven as a run drives
// it: 26-sector blocks fed from the window thread (a refused block offered
// again after 1 ms), and a WAV file from disk. The files must decode to the
// same samples; the ratio is printed.
//
//   flac_bench [seconds [rounds [folder]]]   (default: 2700 s, 3 rounds)
#include "encoder/flactrackencoder.h"

#include "wavfixture.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <FLAC/metadata.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

using namespace trackmill;

namespace {

double now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double runFlacCommand(const QString& wav, const QString& out)
{
    const double start = now();
    const pid_t pid = fork();
    if (pid == 0) {
        const QByteArray in = QFile::encodeName(wav), o = QFile::encodeName(out);
        execlp("flac", "flac", "--silent", "--force", "-5", "--verify", "-o", o.constData(), in.constData(),
               static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "flac failed (status %d); is it installed?\n", status);
        return -1;
    }
    return now() - start;
}

double runEncoder(FlacTrackEncoder& encoder, const TrackEncoder::Job& job, const QByteArray* pcm)
{
    QEventLoop loop;
    bool failed = false;
    auto connection = QObject::connect(&encoder, &TrackEncoder::finished, [&](bool aborted) {
        failed = aborted;
        loop.quit();
    });
    const double start = now();
    QString error;
    if (!encoder.start(job, &error)) {
        std::fprintf(stderr, "refused: %s\n", qPrintable(error));
        return -1;
    }
    if (pcm) {
        const qsizetype block = 26 * 2352;
        for (qsizetype at = 0; at < pcm->size();) {
            const qsizetype n = std::min(block, pcm->size() - at);
            if (encoder.feed(pcm->constData() + at, n)) {
                at += n;
            } else {
                QCoreApplication::processEvents();
                QThread::msleep(1);
            }
        }
        encoder.endFeed();
    }
    if (encoder.isEncoding())
        loop.exec();
    const double wall = now() - start;
    QObject::disconnect(connection);
    if (failed) {
        std::fprintf(stderr, "job failed: %s\n", qPrintable(encoder.failure()));
        return -1;
    }
    return wall;
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
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 2700;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    QTemporaryDir tmp;
    const QString dir = argc > 3 ? QString::fromLocal8Bit(argv[3]) : tmp.path();
    if (seconds < 1) {
        std::fprintf(stderr, "usage: flac_bench [seconds (at least 1) [rounds [folder]]]\n");
        return 2;
    }
    const long frames = long(seconds * 44100);
    std::printf("Generating %.0f s of 16-bit stereo 44.1 kHz audio...\n", seconds);
    const QByteArray pcm = test::makePcm16(frames, 2, 44100, 7);
    const QString wav = dir + QStringLiteral("/bench.wav");
    if (!test::writeBytes(wav, test::makeWavBytes(pcm, 2, 44100))) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(wav));
        return 1;
    }
    const QByteArray expectedMd5 = QCryptographicHash::hash(pcm, QCryptographicHash::Md5);

    FlacSettings settings;  // level 5, verify on
    FlacTrackEncoder encoder(settings);
    runFlacCommand(wav, dir + QStringLiteral("/warm.flac"));  // the page cache is warm for all

    double command = 1e18, fed = 1e18, file = 1e18;
    for (int round = 0; round < rounds; ++round) {
        command = std::min(command, runFlacCommand(wav, dir + QStringLiteral("/command.flac")));
        fed = std::min(fed, runEncoder(encoder, {TrackEncoder::Input::Feed, {}, dir + "/fed.flac", frames}, &pcm));
        file = std::min(file, runEncoder(encoder, {TrackEncoder::Input::File, wav, dir + "/file.flac", 0}, nullptr));
    }
    const bool sameAudio = md5Of(dir + "/command.flac") == expectedMd5 && md5Of(dir + "/fed.flac") == expectedMd5
        && md5Of(dir + "/file.flac") == expectedMd5;
    if (command <= 0 || fed <= 0 || file <= 0) {
        std::fprintf(stderr, "a run failed\n");
        return 1;
    }
    std::printf("flac -5 --verify          %8.2f s\n", command);
    std::printf("encoder fed in blocks     %8.2f s   ratio %.3f (aim <= 1.10)\n", fed, fed / command);
    std::printf("encoder from a WAV file   %8.2f s   ratio %.3f\n", file, file / command);
    std::printf("MD5 of the audio in all three files %s\n", sameAudio ? "matches the input" : "DIFFERS");
    return sameAudio ? 0 : 1;
}
