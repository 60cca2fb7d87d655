// SPDX-License-Identifier: GPL-2.0-or-later
#include "httpfetch.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>
#include <mutex>

namespace trackmill {

namespace {

std::atomic<bool> g_loopbackOnly{false};

struct Transfer
{
    QByteArray* body;
    qint64 max;
    bool overflow = false;
    const std::atomic<bool>* cancel;
    int retryAfter = -1;
    QByteArray contentType;
};

size_t onData(char* data, size_t size, size_t count, void* user)
{
    auto* t = static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    if (t->body->size() + qint64(bytes) > t->max) {
        t->overflow = true;
        return 0;  // curl stops with CURLE_WRITE_ERROR
    }
    t->body->append(data, qsizetype(bytes));
    return bytes;
}

size_t onHeader(char* data, size_t size, size_t count, void* user)
{
    auto* t = static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    const QByteArray line = QByteArray(data, qsizetype(bytes)).trimmed();
    const qsizetype colon = line.indexOf(':');
    if (colon > 0) {
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "retry-after") {
            bool ok = false;
            const int seconds = value.toInt(&ok);
            t->retryAfter = ok && seconds >= 0 ? seconds : -1;
        } else if (name == "content-type") {
            t->contentType = value;
        }
    } else if (line.startsWith("HTTP/")) {
        // A new answer after a redirect: its own headers only.
        t->retryAfter = -1;
        t->contentType.clear();
    }
    return bytes;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto* t = static_cast<Transfer*>(user);
    return t->cancel && t->cancel->load() ? 1 : 0;  // nonzero aborts the transfer
}

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

void setHttpLoopbackOnly(bool on)
{
    g_loopbackOnly = on;
}

HttpResponse httpGet(const HttpRequest& request)
{
    static std::once_flag initOnce;
    std::call_once(initOnce, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    HttpResponse response;
    if (request.cancel && request.cancel->load()) {
        response.outcome = HttpResponse::Outcome::Cancelled;
        return response;
    }
    CURL* curl = curl_easy_init();
    if (!curl) {
        response.error = QStringLiteral("libcurl could not start");
        return response;
    }
    Transfer transfer{&response.body, request.maxBytes, false, request.cancel, -1, {}};
    char errorText[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_URL, request.url.constData());
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, request.maxRedirects > 0 ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, long(request.maxRedirects));
    curl_easy_setopt(curl, CURLOPT_PROXY, request.proxy.constData());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, request.connectMs);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, request.totalMs);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, request.userAgent.constData());
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "identity");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, onData);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, onHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    if (g_loopbackOnly)
        curl_easy_setopt(curl, CURLOPT_OPENSOCKETFUNCTION, openLoopbackOnly);

    const CURLcode code = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);

    response.status = status;
    response.retryAfterSeconds = transfer.retryAfter;
    response.contentType = transfer.contentType;
    using Outcome = HttpResponse::Outcome;
    if (code == CURLE_ABORTED_BY_CALLBACK) {
        response.outcome = Outcome::Cancelled;
        response.error = QStringLiteral("cancelled");
    } else if (transfer.overflow) {
        response.outcome = Outcome::TooLarge;
        response.error = QStringLiteral("answer larger than %1 bytes").arg(request.maxBytes);
    } else if (code != CURLE_OK) {
        response.outcome = Outcome::Failed;
        response.error = QString::fromUtf8(errorText[0] ? errorText : curl_easy_strerror(code));
    } else if (status < 200 || status > 299) {
        response.outcome = Outcome::HttpError;
        response.error = QStringLiteral("HTTP status %1").arg(status);
    } else {
        response.outcome = Outcome::Ok;
    }
    if (response.outcome != Outcome::Ok && response.outcome != Outcome::HttpError)
        response.body.clear();
    return response;
}

}
