// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "akrip32.h"

#include <QList>
#include <QString>
#include <optional>

namespace trackmill {

// A table of contents as MusicBrainz counts it: frame addresses with the
// 2 s lead-in (block address + 150, 75 frames a second). Data tracks after
// the audio (an Enhanced CD) are left out and the lead-out is the end of
// the audio; a data track in front of the audio counts as track 1.
struct MusicBrainzToc
{
    int first = 1;
    int last = 0;
    int leadOut = 0;
    QList<int> offsets;  // the start of track first, first + 1, ... last

    // "first last leadout offset..." joined by blanks, as the web service's
    // toc parameter takes it (with "+" for the blanks).
    QString text(QChar separator = QLatin1Char(' ')) const;
};

// From the library's TOC read with block addresses (parameter 36 = 0),
// where the data track of an Enhanced CD stands 11250 sectors after the
// audio. Nothing for a TOC without audio tracks or with addresses that do
// not go forwards.
std::optional<MusicBrainzToc> musicBrainzToc(const TOC& lbaToc);

// The disc id (28 characters) libdiscid computes from the table of
// contents; nothing when it refuses it.
std::optional<QString> musicBrainzDiscId(const MusicBrainzToc& toc);

}
