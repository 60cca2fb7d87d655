// SPDX-License-Identifier: GPL-2.0-or-later
#include "wavfixture.h"

#include <QDataStream>
#include <QFile>
#include <QtEndian>
#include <cmath>
#include <sndfile.h>
#include <vector>

namespace trackmill::test {

namespace {

std::vector<double> makeSignal(long frames, int channels, int sampleRate, unsigned seed)
{
    std::vector<double> out(static_cast<size_t>(frames) * channels);
    unsigned state = seed * 2654435761u + 1;
    double phase[8] = {};
    for (long i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / sampleRate;
        for (int c = 0; c < channels; ++c) {
            // 200 Hz rising by 2 kHz per second (wrapping), per channel apart.
            const double f = 200.0 + std::fmod(2000.0 * t, 8000.0) + 300.0 * (c % 8);
            phase[c % 8] += 2 * M_PI * f / sampleRate;
            state = state * 1664525u + 1013904223u;
            const double noise = (static_cast<int>(state >> 16) - 32768) / 32768.0;
            out[static_cast<size_t>(i) * channels + c] = 0.5 * std::sin(phase[c % 8]) + 0.05 * noise;
        }
    }
    return out;
}

}

QByteArray makePcm16(long frames, int channels, int sampleRate, unsigned seed)
{
    const std::vector<double> signal = makeSignal(frames, channels, sampleRate, seed);
    QByteArray pcm(static_cast<qsizetype>(signal.size() * 2), Qt::Uninitialized);
    for (size_t i = 0; i < signal.size(); ++i)
        qToLittleEndian(static_cast<qint16>(std::lround(signal[i] * 32767)), pcm.data() + 2 * i);
    return pcm;
}

bool writeSoundFile(const QString& path, int format, int channels, int sampleRate, long frames)
{
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = sampleRate;
    info.format = format;
    SNDFILE* f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!f)
        return false;
    const std::vector<double> signal = makeSignal(frames, channels, sampleRate, 1);
    const sf_count_t written = sf_writef_double(f, signal.data(), frames);
    return sf_close(f) == 0 && written == frames;
}

QByteArray makeWavBytes(const QByteArray& pcm, int channels, int sampleRate, long long dataSize,
                        long long riffSize)
{
    QByteArray b;
    QDataStream out(&b, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(riffSize >= 0 ? riffSize : 36 + pcm.size());
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(channels) << quint32(sampleRate)  // PCM
        << quint32(sampleRate * channels * 2) << quint16(channels * 2) << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(dataSize >= 0 ? dataSize : pcm.size());
    out.writeRawData(pcm.constData(), int(pcm.size()));
    return b;
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

}
