// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>

namespace trackmill {

// One GET over HTTPS (or plain HTTP) through libcurl, bounded in time and
// size, for the web services the names come from. Blocking: callers run it
// off the window thread.
struct HttpRequest
{
    QByteArray url;
    QByteArray userAgent;
    QByteArray proxy;        // "host:port", empty for none (the environment's is never taken)
    long connectMs = 10000;  // connecting (proxy or server)
    long totalMs = 30000;    // the whole exchange, a stalled server included
    qint64 maxBytes = 4 << 20;
    int maxRedirects = 0;    // > 0: follows that many redirects, to http or https only
    // Set from another thread to stop the exchange within a second.
    const std::atomic<bool>* cancel = nullptr;
};

struct HttpResponse
{
    enum class Outcome {
        Ok,         // the whole body of a 2xx answer
        HttpError,  // an answer with another status (status says which)
        TooLarge,   // the body grew beyond maxBytes
        Failed,     // no answer: no connection, a timeout, a broken answer
        Cancelled,
    };
    Outcome outcome = Outcome::Failed;
    long status = 0;
    QByteArray body;         // only for Ok and HttpError (JSON error documents)
    QByteArray contentType;
    int retryAfterSeconds = -1;  // the Retry-After header, -1 without one
    QString error;           // why not Ok, for the hidden log
};

HttpResponse httpGet(const HttpRequest& request);

// Test processes: connections anywhere but the loopback are refused, so a
// test that forgets to name its local server cannot reach the internet.
void setHttpLoopbackOnly(bool on);

}
