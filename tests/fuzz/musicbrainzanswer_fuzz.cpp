// SPDX-License-Identifier: GPL-2.0-or-later
// Any bytes as the MusicBrainz web service's answer: at most 25 candidates,
// each with exactly the disc's tracks, texts without control characters
// and within their length, a year of four digits or none, a release id
// that is a UUID or none (it goes into the cover's address).
#include "metadata/musicbrainzanswer.h"

#include <QRegularExpression>

#include <cstdio>
#include <cstdlib>

using namespace trackmill;

#define check(c) ((c) ? void() : (std::fprintf(stderr, "broken: %s (line %d)\n", #c, __LINE__), std::abort()))

static bool cleanText(const QString& text, qsizetype max)
{
    if (text.size() > max)
        return false;
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control)
            return false;
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QRegularExpression uuid(QStringLiteral("^[0-9a-f]{8}(-[0-9a-f]{4}){3}-[0-9a-f]{12}$"));
    static const QRegularExpression year(QStringLiteral("^([0-9]{4})?$"));
    const QByteArray json(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const int tracks : {1, 6, 99}) {
        const LookupAnswer answer = MusicBrainzAnswer::parse(json, QStringLiteral("49HHV7Eb8UKF3aQiNmu1GR8vKTY-"), tracks);
        check(answer.candidates.size() <= MusicBrainzAnswer::kMaxCandidates);
        check((answer.outcome == LookupAnswer::Outcome::Found) == !answer.candidates.isEmpty());
        for (const LookupCandidate& c : answer.candidates) {
            check(c.trackNames.size() == tracks);
            check(c.trackCount == tracks);
            check(!c.artist.isEmpty() || !c.album.isEmpty());
            check(cleanText(c.artist, MusicBrainzAnswer::kMaxText));
            check(cleanText(c.album, MusicBrainzAnswer::kMaxText));
            for (const QString& name : c.trackNames)
                check(cleanText(name, 2 * MusicBrainzAnswer::kMaxText + 3));
            check(year.match(c.year).hasMatch());
            check(c.releaseId.isEmpty() || uuid.match(c.releaseId).hasMatch());
            check(!c.frontCover || !c.releaseId.isEmpty());
            check(c.discNumber == 0 || (c.discNumber >= 1 && c.discNumber <= c.discCount));
        }
    }
    return 0;
}
