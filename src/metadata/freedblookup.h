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
    QString cgi = QString::fromLatin1(kDefaultCgiPath);  // the query program on the server
    QString email = QString::fromLatin1(kDefaultEmailAddress);  // sent in "hello"

    static constexpr const char* kDefaultCgiPath = "/~cddb/cddb.cgi";
    static constexpr const char* kDefaultEmailAddress = "trackmill@localhost";
};

struct FreedbResult
{
    enum class Status {
        Found,            // disc information arrived for at least one match
        NotFound,         // no match, or no disc information arrived
        InvalidProxyPort, // nothing was sent
        Cancelled,        // the user stopped it; no names
        Several,          // more than one match: matches lists them, none was fetched
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
    // The entry's DYEAR (four digits, else empty) and DGENRE.
    QString year;
    QString genre;
    // Every match of the query, in the server's order.
    QList<CddbMatchRecord> matches;
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
// the query, logs each match line, fetches the disc information of a
// single match and logs its text into the hidden log. Several matches are
// the user's to choose from; the chosen one is read with read(). The
// window does the rest (cursor, status label, filling its fields from the
// result).
class FreedbLookup
{
public:
    static constexpr int kMatchCapacity = 5;
    static constexpr const char* kDefaultEmail = FreedbSettings::kDefaultEmailAddress;
    static constexpr const char* kCgiPath = FreedbSettings::kDefaultCgiPath;
    static constexpr const char* kClient = "Trackmill 2.0";

    // server: the program always uses the default freedb server.
    FreedbLookup(CddbService& service, HiddenLog& log, FreedbServer server = {});

    // rowCount is the grid's RowCount (row 0 is the header).
    FreedbResult run(const FreedbSettings& settings, int rowCount);
    // The entry of one match of an earlier run(), chosen by the user.
    FreedbResult read(const FreedbSettings& settings, const CddbMatchRecord& match, int rowCount);
    // While run() waits for the server (from the events it lets through):
    // the request ends within about a second and run() returns Cancelled.
    void cancel();

    // The TTITLEn values of a disc information text, n from 0 up, as long
    // as they follow on without a gap, at most maxNames.
    static QStringList trackTitles(const QString& diskInfo, int maxNames);
    // The first value of a key of a disc information text; empty without one.
    static QString entryValue(const QString& diskInfo, QStringView key);

private:
    // Hands the library its options; false (logged) when the proxy port is
    // no number, and then nothing is set.
    bool setOptions(const FreedbSettings& settings);
    // Fetches the match's entry into result (Found) and logs it; false when
    // it did not arrive.
    bool fetch(const CddbMatchRecord& match, int rowCount, FreedbResult& result);

    CddbService& m_service;
    HiddenLog& m_log;
    FreedbServer m_server;
    std::atomic<bool> m_cancelled{false};
};

}
