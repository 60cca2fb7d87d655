// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace trackmill {

// One match of a CDDB query, texts decoded.
struct CddbMatchRecord
{
    QString category;
    QString discId;
    QString artist;
    QString title;

    bool operator==(const CddbMatchRecord&) const = default;
};

// The CDDB client of the CD ripping library, as the freedb lookup uses it.
// The option ids are the library's (CDDBSetOption).
class CddbService
{
public:
    enum Option {
        Server = 0,
        ProxyHost = 1,
        UseProxy = 2,
        Agent = 3,
        Email = 4,
        ProxyPort = 5,
        CgiPath = 6,
        HttpPort = 7,
        StoreInCdPlayerIni = 8,
        // Milliseconds the whole lookup may take from now on (0: no limit
        // beyond each request's own); setting it also ends a cancellation.
        TimeLimit = 9,
    };

    virtual ~CddbService() = default;
    virtual void setOption(Option option, const QByteArray& text, int value) = 0;
    // The matches for the disc in the drive, at most `capacity`.
    virtual QList<CddbMatchRecord> query(int capacity) = 0;
    // The disc information text (KEY=value lines) of one match, or nothing
    // when it could not be fetched.
    virtual std::optional<QString> diskInfo(const CddbMatchRecord& match) = 0;
    // From any thread: the request in progress ends soon (about a second)
    // with nothing, and so does every later one until TimeLimit is set again.
    virtual void cancel() = 0;
};

}
