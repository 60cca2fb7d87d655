// SPDX-License-Identifier: LGPL-2.1-or-later
// The options of the CDDB client and the HTTP request they make.
#pragma once

#include <string>
#include <string_view>

namespace akrip::cddb {

struct CddbOptions
{
    std::string server = "gnudb.gnudb.org"; // option 0
    std::string proxy;                      // option 1
    bool useProxy = false;                  // option 2
    std::string agent = "Trackmill 2.0";    // option 3: client name and version
    std::string email = "user@localhost";   // option 4: user@host for "hello"
    int proxyPort = 0;                      // option 5
    std::string cgi = "/~cddb/cddb.cgi";    // option 6
    int httpPort = 80;                      // option 7
    bool storeInCdPlayerIni = false;        // option 8
};

// One GET request: the URL (server, port, path and query string) and the
// proxy to use ("" for none).
struct CddbRequest
{
    std::string url;
    std::string proxy; // "host:port" or ""
};

// Builds the request for one CDDB command ("cddb query ...", "cddb read
// ...") at protocol level 6. Fails with a reason in `error`, sending
// nothing, when a host name, port or path could not be meant seriously
// (empty, out of range, characters that would change the URL).
bool buildRequest(const CddbOptions& options, std::string_view command, CddbRequest& request,
                  std::string& error);

// A plain GET of path on server ("host" or "host:port", port 80 when
// none) through the options' proxy, for other clients of the library.
bool buildGetRequest(const CddbOptions& options, std::string_view server, std::string_view path,
                     CddbRequest& request, std::string& error);

// "hello" field: user, host, client name, client version, '+'-separated
// and percent-encoded.
std::string helloArgument(const CddbOptions& options);

// Percent-encoding of a query string component, spaces as '+'.
std::string formEncode(std::string_view text);

}
