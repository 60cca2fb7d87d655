// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <set>

namespace trackmill::test {

// What an independent decoder (libmpg123, gapless on) makes of an MP3 file.
struct Mp3Facts
{
    bool ok = false;
    QString error;
    long long samples = 0;  // per channel, after gapless trimming
    int frames = 0;         // MPEG audio frames decoded
    int channels = 0;
    long rate = 0;
    int version = -1;       // 0 MPEG-1, 1 MPEG-2, 2 MPEG-2.5
    std::set<int> modes;    // 0 stereo, 1 joint, 2 dual, 3 mono (as mpg123 reports)
    bool allMidSide = true; // every joint-stereo frame uses M/S
    std::set<int> bitrates; // kbps of the frames
    std::set<int> emphases;
    bool vbr = false;       // the stream says VBR (Xing/LAME tag)
};

Mp3Facts inspectMp3(const QString& path);

}
