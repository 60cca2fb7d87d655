// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "lookupcandidate.h"

#include <QByteArray>
#include <QString>

namespace trackmill {

// Reads the web service's answer to a disc id lookup (with toc=): a disc
// document (releases with a medium carrying the disc id), a release list
// (releases whose medium matches the TOC's track lengths) or a CD stub.
// Every answer is hostile input: a document that is not JSON, is of
// another shape or lacks fields gives Failed or no candidate, never a
// half-filled name; a medium whose track list does not hold exactly
// audioTracks tracks is not this disc. Texts lose control characters and
// are cut to kMaxText characters. At most kMaxCandidates come back.
class MusicBrainzAnswer
{
public:
    static constexpr int kMaxCandidates = 25;
    static constexpr int kMaxText = 1000;

    static LookupAnswer parse(const QByteArray& json, const QString& discId, int audioTracks);
};

}
