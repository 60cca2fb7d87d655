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
    if (!mh)
        return facts;
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    mpg123_param(mh, gapless ? MPG123_ADD_FLAGS : MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0);
    int r = mpg123_open(mh, QFile::encodeName(path).constData());
    int encoding = 0, channels = 0;
    long rate = 0;
    while (r == MPG123_OK || r == MPG123_NEW_FORMAT) {
        off_t num = 0;
        unsigned char* audio = nullptr;
        size_t bytes = 0;
        r = mpg123_decode_frame(mh, &num, &audio, &bytes);
        if (r == MPG123_NEW_FORMAT) {
            mpg123_getformat(mh, &rate, &channels, &encoding);
            facts.channels = channels;
            facts.rate = rate;
        }
        if (r != MPG123_OK)
            continue;
        mpg123_frameinfo2 info{};
        mpg123_info2(mh, &info);
        ++facts.frames;
        facts.version = info.version;
        facts.modes.insert(info.mode);
        facts.allMidSide = facts.allMidSide && (info.mode != MPG123_M_JOINT || (info.mode_ext & 2));
        facts.bitrates.insert(info.bitrate);
        facts.emphases.insert(info.emphasis);
        facts.vbr = facts.vbr || info.vbr == MPG123_VBR;
        if (channels > 0 && mpg123_encsize(encoding) > 0)
            facts.samples += static_cast<long long>(bytes) / (channels * mpg123_encsize(encoding));
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
