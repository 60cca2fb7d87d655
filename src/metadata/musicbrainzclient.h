// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "coverart.h"
#include "lookupcandidate.h"
#include "musicbrainzdiscid.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <optional>

namespace trackmill {

class RequestPacer;

// The MusicBrainz web service (ws/2, JSON) and the Cover Art Archive, over
// HTTPS. Blocking calls for a worker thread: every request waits for its
// turn at the service's pacer, a busy service (503) is asked once more after
// the wait it names (at least a second), and answers are bounded in time
// and size.
class MusicBrainzClient
{
public:
    struct Options
    {
        QString server = QString::fromLatin1(kDefaultServer);
        QString coverServer = QString::fromLatin1(kDefaultCoverServer);
        QByteArray userAgent;     // see userAgent()
        QByteArray proxy;         // "host:port" or empty
        long connectMs = 10000;
        long totalMs = 30000;
        qint64 maxAnswerBytes = 8 << 20;  // 25 releases of 99 tracks stay far below
        qint64 maxCoverBytes = 8 << 20;   // a 500-pixel front is some 100 KiB
        // A 503 without Retry-After waits this long; Retry-After counts up
        // to kMaxBusyWaitMs.
        qint64 busyWaitMs = 1000;
        RequestPacer* pacer = nullptr;       // null: the process's MusicBrainz pacer
        RequestPacer* coverPacer = nullptr;  // null: the process's Cover Art Archive pacer
    };

    static constexpr const char* kDefaultServer = "https://musicbrainz.org";
    static constexpr const char* kDefaultCoverServer = "https://coverartarchive.org";
    static constexpr qint64 kMaxBusyWaitMs = 10000;

    explicit MusicBrainzClient(Options options);

    // The releases with a medium of this disc: by its disc id, else by the
    // track lengths of its table of contents (one request does both).
    LookupAnswer lookUp(const QString& discId, const MusicBrainzToc& toc, const std::atomic<bool>* cancel) const;

    // The 500-pixel front cover of a release (redirects followed); nothing
    // when it has none or what came is no picture, with the reason.
    std::optional<CoverArt> frontCover(const QString& releaseId, const std::atomic<bool>* cancel,
                                       QString* why = nullptr) const;

    // "Trackmill/<version> ( <contact> )": the service wants to know who asks.
    static QByteArray userAgent(const QString& version, const QString& contact);
    // A server address as typed: "https://" in front when it names no
    // scheme, no "/" at the end.
    static QString baseUrl(const QString& typed);

private:
    struct Fetched;
    Fetched fetch(const QByteArray& url, qint64 maxBytes, int redirects, RequestPacer& pacer,
                  const std::atomic<bool>* cancel) const;

    Options m_options;
};

}
