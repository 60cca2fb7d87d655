// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "cddbservice.h"

#include <QString>
#include <QStringList>

#include <atomic>

namespace trackmill {

class HiddenLog;

// The settings window's values a lookup uses, read at the moment of use.
struct FreedbSettings
{
    bool useProxy = false;   // Use_Proxy
    QString proxyHost;       // Edt_Server_Proxy
    QString proxyPort;       // Edt_Port_Proxy, as typed
    bool autoStore = false;  // Cmb_AutoStore
};

struct FreedbResult
{
    enum class Status {
        Found,            // disc information arrived for at least one match
        NotFound,         // no match, or no disc information arrived
        InvalidProxyPort, // nothing was sent
        Cancelled,        // the user stopped it; no names
    };
    Status status = Status::NotFound;

    // Names for the three sets of name fields, all from one match: the
    // first whose disc information arrived. Only set when status is Found.
    QString artist;
    QString album;
    // The TTITLE0, TTITLE1, ... values in track order, at most one per
    // track row; rows beyond the entry's titles keep their names. Empty
    // when the entry has no TTITLE0 (names are left as they were).
    QStringList trackNames;
};

// The server a lookup asks: host and HTTP port, and how long a whole
// lookup (the query and the entry) may take.
struct FreedbServer
{
    QByteArray host = "gnudb.gnudb.org";
    int port = 80;
    // The library's limit of one exchange, for all of them together: a
    // server that stalls on every entry cannot keep the user waiting longer.
    int timeLimitMs = 30000;
};

// The freedb lookup of TForm1.Connect, from setting the library's options
// to taking the names out of the disc information: sets the options, runs
// the query, fetches the disc information of the matches in order until
// one arrives (the one that names the disc) and logs each match line and
// the text into the hidden log. The window does the rest (cursor, status
// label, filling its fields from the result).
class FreedbLookup
{
public:
    static constexpr int kMatchCapacity = 5;
    static constexpr const char* kDefaultEmail = "trackmill@localhost";
    static constexpr const char* kCgiPath = "/~cddb/cddb.cgi";
    static constexpr const char* kClient = "Trackmill 2.0";

    // server: the program always uses the default freedb server.
    FreedbLookup(CddbService& service, HiddenLog& log, FreedbServer server = {});

    // rowCount is the grid's RowCount (row 0 is the header).
    FreedbResult run(const FreedbSettings& settings, int rowCount);
    // While run() waits for the server (from the events it lets through):
    // the request ends within about a second and run() returns Cancelled.
    void cancel();

    // The TTITLEn values of a disc information text, n from 0 up, as long
    // as they follow on without a gap, at most maxNames.
    static QStringList trackTitles(const QString& diskInfo, int maxNames);

private:
    CddbService& m_service;
    HiddenLog& m_log;
    FreedbServer m_server;
    std::atomic<bool> m_cancelled{false};
};

}
