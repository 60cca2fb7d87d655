// SPDX-License-Identifier: GPL-2.0-or-later
#include "mp3framereader.h"

#include <QFile>
#include <memory>
#include <mpg123.h>

namespace trackmill::test {

namespace {

// One pass over the file; `gapless` trims encoder delay and padding (for
// the sample count), without it every frame is decoded (for the headers).
Mp3Facts decode(const QString& path, bool gapless)
{
    Mp3Facts facts;
    int err = MPG123_OK;
    const std::unique_ptr<mpg123_handle, void (*)(mpg123_handle*)> handle(mpg123_new(nullptr, &err), mpg123_delete);
    mpg123_handle* mh = handle.get();
    if (!mh) {
        facts.error = QStringLiteral("mpg123_new failed");
        return facts;
    }
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    mpg123_param(mh, gapless ? MPG123_ADD_FLAGS : MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0);
    if (mpg123_open(mh, QFile::encodeName(path).constData()) != MPG123_OK) {
        facts.error = QString::fromUtf8(mpg123_strerror(mh));
        return facts;
    }
    int encoding = 0;
    int channels = 0;
    long rate = 0;
    int r = MPG123_NEW_FORMAT;
    for (;; r = MPG123_OK) {
        if (r == MPG123_NEW_FORMAT) {
            mpg123_getformat(mh, &rate, &channels, &encoding);
            facts.channels = channels;
            facts.rate = rate;
        }
        off_t num = 0;
        unsigned char* audio = nullptr;
        size_t bytes = 0;
        r = mpg123_decode_frame(mh, &num, &audio, &bytes);
        if (r == MPG123_NEW_FORMAT)
            continue;
        if (r != MPG123_OK)
            break;
        mpg123_frameinfo2 info{};
        mpg123_info2(mh, &info);
        ++facts.frames;
        facts.version = info.version;
        facts.modes.insert(info.mode);
        if (info.mode == MPG123_M_JOINT && !(info.mode_ext & 2))
            facts.allMidSide = false;
        facts.bitrates.insert(info.bitrate);
        facts.emphases.insert(info.emphasis);
        facts.vbr = facts.vbr || info.vbr == MPG123_VBR;
        const int sampleBytes = mpg123_encsize(encoding);
        if (channels > 0 && sampleBytes > 0)
            facts.samples += static_cast<long long>(bytes) / (channels * sampleBytes);
    }
    facts.ok = r == MPG123_DONE;
    if (!facts.ok)
        facts.error = QString::fromUtf8(mpg123_strerror(mh));
    mpg123_close(mh);
    return facts;
}
}

Mp3Facts inspectMp3(const QString& path)
{
    Mp3Facts facts = decode(path, false);
    if (facts.ok) {
        const Mp3Facts trimmed = decode(path, true);
        facts.ok = trimmed.ok;
        facts.error = trimmed.error;
        facts.samples = trimmed.samples;
    }
    return facts;
}

}
