// SPDX-License-Identifier: LGPL-2.1-or-later
#include "cddbhttp.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <curl/curl.h>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>

namespace akrip::cddb {

namespace {

struct Sink
{
    std::string* body;
    std::size_t max;
    bool overflow = false;
};

size_t onData(char* data, size_t size, size_t count, void* user)
{
    auto* sink = static_cast<Sink*>(user);
    const size_t bytes = size * count;
    if (sink->body->size() + bytes > sink->max) {
        sink->overflow = true;
        return 0; // makes curl stop with CURLE_WRITE_ERROR
    }
    sink->body->append(data, bytes);
    return bytes;
}

// curl asks about once a second even while a server stalls.
int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto* cancel = static_cast<const std::atomic<bool>*>(user);
    return cancel->load() ? 1 : 0;
}

std::atomic<bool> g_loopbackOnly{false};

bool isLoopback(const curl_sockaddr& address)
{
    if (address.family == AF_INET) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(&address.addr);
        return (ntohl(in->sin_addr.s_addr) >> 24) == 127;
    }
    if (address.family == AF_INET6) {
        const auto* in6 = reinterpret_cast<const sockaddr_in6*>(&address.addr);
        return IN6_IS_ADDR_LOOPBACK(&in6->sin6_addr);
    }
    return false;
}

curl_socket_t openLoopbackOnly(void*, curlsocktype, curl_sockaddr* address)
{
    if (!isLoopback(*address))
        return CURL_SOCKET_BAD;
    return socket(address->family, address->socktype, address->protocol);
}

}

void setLoopbackOnly(bool on)
{
    g_loopbackOnly = on;
}

bool loopbackOnly()
{
    return g_loopbackOnly;
}

HttpResult httpGet(const CddbRequest& request, const HttpLimits& limits, const std::string& userAgent)
{
    static std::once_flag initOnce;
    std::call_once(initOnce, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    HttpResult result;
    if (limits.cancel && limits.cancel->load()) {
        result.error = "cancelled";
        return result;
    }
    // Each exchange gets what is left of the lookup's time, at most its own limit.
    long totalMs = limits.totalMs;
    if (limits.deadline != std::chrono::steady_clock::time_point::max()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              limits.deadline - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) {
            result.error = "the lookup's time limit is over";
            return result;
        }
        totalMs = std::min<long>(totalMs, static_cast<long>(left));
    }
    CURL* curl = curl_easy_init();
    if (!curl) {
        result.error = "libcurl could not start";
        return result;
    }
    Sink sink{&result.body, limits.maxBody};
    char errorText[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    // An empty proxy also keeps curl from taking one from http_proxy.
    curl_easy_setopt(curl, CURLOPT_PROXY, request.proxy.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, std::min(limits.connectMs, totalMs));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, totalMs);
    if (limits.cancel) {
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, onProgress);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool>*>(limits.cancel));
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    }
    curl_easy_setopt(curl, CURLOPT_USERAGENT, userAgent.c_str());
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "identity");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, onData);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    if (g_loopbackOnly)
        curl_easy_setopt(curl, CURLOPT_OPENSOCKETFUNCTION, openLoopbackOnly);

    const CURLcode code = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    result.status = status;

    if (sink.overflow) {
        result.error = "answer too long";
    } else if (code == CURLE_ABORTED_BY_CALLBACK) {
        result.error = "cancelled";
    } else if (code != CURLE_OK) {
        result.error = errorText[0] ? errorText : curl_easy_strerror(code);
    } else if (status != 200) {
        result.error = "HTTP status " + std::to_string(status);
    } else {
        result.ok = true;
    }
    if (!result.ok)
        result.body.clear();
    return result;
}

}
