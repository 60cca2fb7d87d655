// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace trackmill {

// One answer of a lookup the user may choose: a MusicBrainz release (the
// medium of it that is this disc) or a CDDB entry. What the choice list
// shows, and what is taken into the disc's names when it is chosen.
struct LookupCandidate
{
    enum class Source { Cddb, MusicBrainz };
    Source source = Source::MusicBrainz;

    QString artist;
    QString album;
    QString year;     // four digits or empty
    QString genre;    // the entry's own word (CDDB DGENRE); MusicBrainz gives none
    QString country;  // MusicBrainz: release country; CDDB: the category
    QString format;   // MusicBrainz: the medium's format ("CD")
    int trackCount = 0;
    // One name per audio track, first track first; a track by another
    // artist than the album's is "Artist / Title".
    QStringList trackNames;
    int discNumber = 0;  // 0: not known
    int discCount = 0;

    // MusicBrainz: the release, and whether the Cover Art Archive has its front.
    QString releaseId;
    bool frontCover = false;

    // CDDB: the match and its disc information text.
    QString category;
    QString cddbId;
    QString diskInfo;

    bool operator==(const LookupCandidate&) const = default;
};

// How a lookup ended.
struct LookupAnswer
{
    enum class Outcome {
        Found,     // candidates holds one or more
        NotFound,  // the service knows no such disc
        Failed,    // no usable answer (error says why)
        Cancelled,
    };
    Outcome outcome = Outcome::Failed;
    QList<LookupCandidate> candidates;
    QString error;
};

}
