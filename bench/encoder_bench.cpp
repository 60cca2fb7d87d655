// SPDX-License-Identifier: GPL-2.0-or-later
// Benchmark: encodes a generated WAV (10 minutes by default) through the
// encoder component in file mode and in memory mode (fed in 26-sector
// blocks, as the ripper does), and with the lame command-line encoder at
// the same settings (128 kbps CBR, joint stereo, psycho-acoustics on =
// LAME quality 3; lame's front end computes ReplayGain by default, the
// library does not, so lame runs with --noreplaygain), and prints wall and
// CPU time against lame's. At equal settings the files are byte-identical.
//
//   encoder_bench [seconds] [rounds] [work folder]
//
// With several rounds each figure is the best (lowest) of its rounds, which
// keeps other load on the machine out of the comparison as far as possible.
// Build it without sanitizers for meaningful figures.
#include "encoder/gogotea.h"
#include "mp3framereader.h"
#include "wavfixture.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sndfile.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace trackmill;

namespace {

struct Timing
{
    double wall = 0;  // seconds
    double cpu = 0;   // user + system seconds
};

double seconds(const timeval& t)
{
    return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
}

double cpuOf(const rusage& r)
{
    return seconds(r.ru_utime) + seconds(r.ru_stime);
}

double selfCpu()
{
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return cpuOf(r);
}

double now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

Timing runLame(const QString& wav, const QString& mp3)
{
    Timing t;
    const double start = now();
    const pid_t pid = fork();
    if (pid == 0) {
        const QByteArray in = QFile::encodeName(wav), out = QFile::encodeName(mp3);
        execlp("lame", "lame", "--quiet", "--noreplaygain", "-b", "128", "-m", "j", "-q", "3", in.constData(),
               out.constData(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    t.wall = now() - start;
    t.cpu = cpuOf(usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        std::fprintf(stderr, "lame failed (status %d); is it installed?\n", status);
    return t;
}

void configure(TGogoTea& tea)
{
    tea.setBitRate(128);
    tea.setEncodeType(_JOINT);
    tea.setUsePsyAnalize(true);
    tea.setPriority(tpNormal);
}

Timing runComponent(TGogoTea& tea, const QString& wav, const QString& mp3, const QByteArray* pcm)
{
    bool done = false;
    bool aborted = false;
    QEventLoop loop;
    auto connection = QObject::connect(&tea, &TGogoTea::OnFinish, [&](bool a) {
        done = true;
        aborted = a;
        loop.quit();
    });
    configure(tea);
    tea.setDestinationFile(mp3);
    const double cpuStart = selfCpu();
    const double start = now();
    if (!pcm) {
        tea.setEncodeMode(_FILE);
        tea.setSourceFile(wav);
        tea.Start();
    } else {
        tea.setEncodeMode(_MEMORY);
        tea.Configure();
        tea.Start();
        const int block = 26 * 2352;
        for (qsizetype pos = 0; pos < pcm->size();) {
            const int n = static_cast<int>(std::min<qsizetype>(block, pcm->size() - pos));
            if (tea.WriteData(pcm->constData() + pos, n)) {
                pos += n;
                QCoreApplication::processEvents();
            } else {
                // The ripper's back-off when the ring is full.
                QCoreApplication::processEvents();
                QThread::msleep(10);
            }
        }
        tea.WriteData(nullptr, 0);
    }
    // Sleeps in the event loop, as the program's window thread does.
    if (!done)
        loop.exec();
    Timing t;
    t.wall = now() - start;
    t.cpu = selfCpu() - cpuStart;
    QObject::disconnect(connection);
    if (aborted)
        std::fprintf(stderr, "job ended with an error (%d)\n", tea.EncodeResult());
    return t;
}

void report(const char* name, const Timing& t, const Timing& lame, const QString& mp3)
{
    const test::Mp3Facts facts = test::inspectMp3(mp3);
    QString rates;
    for (int r : facts.bitrates)
        rates += QString::number(r) + QLatin1Char(' ');
    std::printf("%-14s wall %7.2f s  cpu %7.2f s  wall/lame %5.3f  cpu/lame %5.3f  "
                "kbps %s frames %d  samples %lld\n",
                name, t.wall, t.cpu, t.wall / lame.wall, t.cpu / lame.cpu,
                rates.trimmed().toUtf8().constData(), facts.frames, facts.samples);
}

}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const double length = argc > 1 ? std::atof(argv[1]) : 600.0;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
    QTemporaryDir tmp;
    const QString dir = argc > 3 ? QString::fromLocal8Bit(argv[3]) : tmp.path();
    const QString wav = dir + QStringLiteral("/bench.wav");
    const long frames = static_cast<long>(length * 44100);

    std::printf("Generating %.0f s of 16-bit stereo 44.1 kHz audio...\n", length);
    const QByteArray pcm = test::makePcm16(frames, 2, 44100, 7);
    if (!test::writeBytes(wav, test::makeWavBytes(pcm, 2, 44100))) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(wav));
        return 1;
    }

    GogoLibrarySource source;
    TGogoTea tea(source);
    std::printf("Library: %s\nSettings: 128 kbps CBR, joint stereo, psycho-acoustics on (LAME -q 3)\n",
                qPrintable(tea.VersionString()));

    // Warm the page cache so the first runner is not penalised.
    runLame(wav, dir + QStringLiteral("/warm.mp3"));

    Timing lame{1e9, 1e9}, file{1e9, 1e9}, memory{1e9, 1e9};
    auto best = [](Timing& b, const Timing& t) {
        b.wall = std::min(b.wall, t.wall);
        b.cpu = std::min(b.cpu, t.cpu);
    };
    for (int round = 0; round < rounds; ++round) {
        best(lame, runLame(wav, dir + QStringLiteral("/lame.mp3")));
        best(file, runComponent(tea, wav, dir + QStringLiteral("/file.mp3"), nullptr));
        best(memory, runComponent(tea, wav, dir + QStringLiteral("/memory.mp3"), &pcm));
    }

    std::printf("input: %ld samples per channel\n", frames);
    report("lame", lame, lame, dir + QStringLiteral("/lame.mp3"));
    report("file mode", file, lame, dir + QStringLiteral("/file.mp3"));
    report("memory mode", memory, lame, dir + QStringLiteral("/memory.mp3"));
    auto bytes = [&](const char* name) {
        QFile f(dir + QLatin1Char('/') + QLatin1String(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray reference = bytes("lame.mp3");
    const bool fileSame = !reference.isEmpty() && bytes("file.mp3") == reference;
    const bool memorySame = !reference.isEmpty() && bytes("memory.mp3") == reference;
    std::printf("file mode output %s lame's, memory mode output %s lame's\n",
                fileSame ? "is byte-identical to" : "differs from",
                memorySame ? "is byte-identical to" : "differs from");
    // Both sides run the same libmp3lame with the same settings: a
    // difference is a fault of the component, not noise.
    return fileSame && memorySame ? 0 : 1;
}
