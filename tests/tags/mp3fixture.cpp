// SPDX-License-Identifier: GPL-2.0-or-later
#include "mp3fixture.h"

#include <QFile>
#include <cmath>
#include <lame/lame.h>
#include <vector>

namespace trackmill::test {

QByteArray sineMp3(int milliseconds)
{
    lame_global_flags* lame = lame_init();
    lame_set_in_samplerate(lame, 44100);
    lame_set_num_channels(lame, 2);
    lame_set_brate(lame, 128);
    lame_set_bWriteVbrTag(lame, 0);  // plain audio frames only
    lame_init_params(lame);
    const int frames = 44100 * milliseconds / 1000;
    std::vector<short> pcm(size_t(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        const auto v = short(8000 * std::sin(2 * M_PI * 440 * i / 44100.0));
        pcm[size_t(i) * 2] = v;
        pcm[size_t(i) * 2 + 1] = v;
    }
    // LAME's worst case: 1.25 * samples + 7200 bytes.
    std::vector<unsigned char> out(size_t(frames) * 5 / 4 + 7200);
    int n = lame_encode_buffer_interleaved(lame, pcm.data(), frames, out.data(), int(out.size()));
    QByteArray mp3(reinterpret_cast<const char*>(out.data()), n > 0 ? n : 0);
    n = lame_encode_flush(lame, out.data(), int(out.size()));
    if (n > 0)
        mp3.append(reinterpret_cast<const char*>(out.data()), n);
    lame_close(lame);
    return mp3;
}

QByteArray readWholeFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeWholeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

}
