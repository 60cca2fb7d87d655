// SPDX-License-Identifier: GPL-2.0-or-later
#include "musicbrainzanswer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QRegularExpression>

#include <optional>

namespace trackmill {

namespace {

// Control characters and line breaks become blanks: a name is one line.
QString scrub(QString text)
{
    for (QChar& c : text)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    return text;
}

QString cut(QString text)
{
    if (text.size() > MusicBrainzAnswer::kMaxText) {
        qsizetype at = MusicBrainzAnswer::kMaxText;
        if (text.at(at - 1).isHighSurrogate())
            --at;
        text.truncate(at);
    }
    return text;
}

QString clean(const QJsonValue& value)
{
    if (!value.isString())
        return {};
    return cut(scrub(value.toString()).trimmed());
}

// name + joinphrase of every credit, as the release shows its artist.
QString creditedArtist(const QJsonValue& credits)
{
    QString artist;
    for (const QJsonValue& credit : credits.toArray()) {
        const QJsonObject c = credit.toObject();
        QString name = clean(c.value(QLatin1String("name")));
        if (name.isEmpty())
            name = clean(c.value(QLatin1String("artist")).toObject().value(QLatin1String("name")));
        // The join phrase keeps its blanks (" & ", " feat. ").
        artist += name + cut(scrub(c.value(QLatin1String("joinphrase")).toString()));
        if (artist.size() > MusicBrainzAnswer::kMaxText)
            break;
    }
    return cut(artist.trimmed());
}

// "1999", "1999-03" or "1999-03-21": the year; anything else gives none.
QString yearOf(const QString& date)
{
    if (date.size() < 4)
        return {};
    for (int i = 0; i < 4; ++i)
        if (!date.at(i).isDigit() || date.at(i).unicode() > 127)
            return {};
    if (date.size() > 4 && date.at(4) != QLatin1Char('-'))
        return {};
    return date.left(4);
}

QString trackName(const QJsonObject& track, const QString& albumArtist)
{
    QString title = clean(track.value(QLatin1String("title")));
    if (title.isEmpty())
        title = clean(track.value(QLatin1String("recording")).toObject().value(QLatin1String("title")));
    QJsonValue credits = track.value(QLatin1String("artist-credit"));
    if (!credits.isArray())
        credits = track.value(QLatin1String("recording")).toObject().value(QLatin1String("artist-credit"));
    const QString artist = creditedArtist(credits);
    if (!artist.isEmpty() && artist != albumArtist && !title.isEmpty())
        return artist + QStringLiteral(" / ") + title;
    return title;
}

bool mediumHasDisc(const QJsonObject& medium, const QString& discId)
{
    for (const QJsonValue& disc : medium.value(QLatin1String("discs")).toArray())
        if (disc.toObject().value(QLatin1String("id")).toString() == discId)
            return true;
    return false;
}

// The medium of a release that is this disc: the one carrying the disc
// id, else (a match on track lengths lists no disc ids) the first with as
// many tracks as the disc.
int mediumIndex(const QJsonArray& media, const QString& discId, int audioTracks, bool byDiscId)
{
    for (qsizetype i = 0; i < media.size(); ++i)
        if (mediumHasDisc(media.at(i).toObject(), discId))
            return int(i);
    if (byDiscId)
        return -1;
    for (qsizetype i = 0; i < media.size(); ++i) {
        const QJsonArray tracks = media.at(i).toObject().value(QLatin1String("tracks")).toArray();
        if (tracks.size() == audioTracks)
            return int(i);
    }
    return -1;
}

std::optional<LookupCandidate> candidateOf(const QJsonObject& release, const QString& discId, int audioTracks,
                                           bool byDiscId)
{
    const QJsonArray media = release.value(QLatin1String("media")).toArray();
    const int index = mediumIndex(media, discId, audioTracks, byDiscId);
    if (index < 0)
        return std::nullopt;
    const QJsonObject medium = media.at(index).toObject();
    const QJsonArray tracks = medium.value(QLatin1String("tracks")).toArray();
    if (tracks.size() != audioTracks)
        return std::nullopt;

    LookupCandidate c;
    c.source = LookupCandidate::Source::MusicBrainz;
    c.artist = creditedArtist(release.value(QLatin1String("artist-credit")));
    c.album = clean(release.value(QLatin1String("title")));
    c.year = yearOf(release.value(QLatin1String("date")).toString());
    if (c.year.isEmpty())
        c.year = yearOf(release.value(QLatin1String("release-group")).toObject()
                            .value(QLatin1String("first-release-date")).toString());
    c.country = clean(release.value(QLatin1String("country"))).left(8);
    c.format = clean(medium.value(QLatin1String("format"))).left(40);
    c.trackCount = audioTracks;
    for (const QJsonValue& track : tracks)
        c.trackNames.append(trackName(track.toObject(), c.artist));
    const int position = medium.value(QLatin1String("position")).toInt(0);
    if (position >= 1 && position <= media.size()) {
        c.discNumber = position;
        c.discCount = int(media.size());
    }
    const QString id = release.value(QLatin1String("id")).toString();
    // A release id is a UUID; anything else never goes into an address.
    static const QRegularExpression uuid(QStringLiteral("^[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}$"));
    if (uuid.match(id).hasMatch()) {
        c.releaseId = id;
        c.frontCover = release.value(QLatin1String("cover-art-archive")).toObject()
                           .value(QLatin1String("front")).toBool(false);
    }
    if (c.album.isEmpty() && c.artist.isEmpty())
        return std::nullopt;
    return c;
}

// A CD stub: artist, title and track titles typed in by a user.
std::optional<LookupCandidate> stubCandidate(const QJsonObject& stub, int audioTracks)
{
    const QJsonArray tracks = stub.value(QLatin1String("tracks")).toArray();
    if (tracks.size() != audioTracks)
        return std::nullopt;
    LookupCandidate c;
    c.artist = clean(stub.value(QLatin1String("artist")));
    c.album = clean(stub.value(QLatin1String("title")));
    if (c.album.isEmpty() && c.artist.isEmpty())
        return std::nullopt;
    c.trackCount = audioTracks;
    for (const QJsonValue& track : tracks) {
        const QJsonObject t = track.toObject();
        const QString title = clean(t.value(QLatin1String("title")));
        const QString artist = clean(t.value(QLatin1String("artist")));
        c.trackNames.append(!artist.isEmpty() && artist != c.artist && !title.isEmpty()
                                ? artist + QStringLiteral(" / ") + title
                                : title);
    }
    return c;
}

}

LookupAnswer MusicBrainzAnswer::parse(const QByteArray& json, const QString& discId, int audioTracks)
{
    LookupAnswer answer;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        answer.error = QStringLiteral("not a JSON document: ") + error.errorString();
        return answer;
    }
    if (audioTracks < 1 || audioTracks > 99) {
        answer.error = QStringLiteral("no audio tracks to match");
        return answer;
    }
    const QJsonObject root = document.object();
    if (root.contains(QLatin1String("error"))) {
        answer.error = QStringLiteral("the service says: ") + clean(root.value(QLatin1String("error")));
        return answer;
    }
    const QJsonValue releases = root.value(QLatin1String("releases"));
    if (releases.isArray()) {
        // A disc document names its disc id; a release list matched the TOC.
        const bool byDiscId = root.contains(QLatin1String("offsets")) || root.contains(QLatin1String("sectors"));
        for (const QJsonValue& release : releases.toArray()) {
            if (answer.candidates.size() >= kMaxCandidates)
                break;
            if (const auto c = candidateOf(release.toObject(), discId, audioTracks, byDiscId))
                answer.candidates.append(*c);
        }
    } else if (root.value(QLatin1String("tracks")).isArray()) {
        if (const auto c = stubCandidate(root, audioTracks))
            answer.candidates.append(*c);
    } else {
        answer.error = QStringLiteral("an answer of an unknown shape");
        return answer;
    }
    answer.outcome = answer.candidates.isEmpty() ? LookupAnswer::Outcome::NotFound : LookupAnswer::Outcome::Found;
    return answer;
}

}
