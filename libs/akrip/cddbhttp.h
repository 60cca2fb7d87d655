// SPDX-License-Identifier: LGPL-2.1-or-later
// One HTTP GET through libcurl, bounded in time and size.
#pragma once

#include "cddbrequest.h"

#include <atomic>
#include <chrono>
#include <string>

namespace akrip::cddb {

struct HttpLimits
{
    long connectMs = 10000;            // connecting (proxy or server)
    long totalMs = 30000;              // the whole exchange, a stalled server included
    std::size_t maxBody = 2u << 20;    // bytes; a real answer is a few KiB
    // The end of the whole lookup this request belongs to; max: none.
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
    // Set from another thread: the exchange stops at curl's next progress call.
    const std::atomic<bool>* cancel = nullptr;
};

struct HttpResult
{
    bool ok = false;      // HTTP 200 and the whole body received
    long status = 0;      // the HTTP status, 0 when none came
    std::string body;
    std::string error;    // why not, for diagnostics
};

HttpResult httpGet(const CddbRequest& request, const HttpLimits& limits, const std::string& userAgent);

// Test processes: connections anywhere but the loopback are refused, so a
// test that forgets to name its local server cannot reach the internet.
void setLoopbackOnly(bool on);
bool loopbackOnly();

}
