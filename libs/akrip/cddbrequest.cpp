// SPDX-License-Identifier: LGPL-2.1-or-later
#include "cddbrequest.h"

namespace akrip::cddb {

namespace {

bool isAlnum(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// A DNS name, an IPv4 address or a bracketed IPv6 address.
bool validHost(std::string_view host)
{
    if (host.empty() || host.size() > 253)
        return false;
    if (host.front() == '[') {
        if (host.size() < 3 || host.back() != ']')
            return false;
        for (const char c : host.substr(1, host.size() - 2))
            if (!(isAlnum(c) || c == ':' || c == '.'))
                return false;
        return true;
    }
    for (const char c : host)
        if (!(isAlnum(c) || c == '.' || c == '-' || c == '_'))
            return false;
    return host.front() != '-' && host.front() != '.';
}

bool validPath(std::string_view path)
{
    if (path.empty() || path.front() != '/' || path.size() > 200)
        return false;
    for (const char c : path) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u >= 0x7F || c == '?' || c == '#' || c == '%' || c == '\\')
            return false;
    }
    return true;
}

bool validPort(int port)
{
    return port >= 1 && port <= 65535;
}

// hello fields are separated by spaces: a field must not hold one.
std::string helloField(std::string_view text, std::string_view fallback)
{
    std::string out;
    for (const char c : text)
        out += (static_cast<unsigned char>(c) <= 0x20) ? '_' : c;
    return out.empty() ? std::string(fallback) : out;
}

}

std::string formEncode(std::string_view text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        if (isAlnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += c;
        } else if (c == ' ') {
            out += '+';
        } else {
            const auto u = static_cast<unsigned char>(c);
            out += '%';
            out += hex[u >> 4];
            out += hex[u & 15];
        }
    }
    return out;
}

std::string helloArgument(const CddbOptions& options)
{
    // "user@host": the host is what follows the last '@'.
    const std::string_view email = options.email;
    const std::size_t at = email.rfind('@');
    const std::string user = helloField(email.substr(0, at), "user");
    const std::string host =
        helloField(at == std::string_view::npos ? std::string_view() : email.substr(at + 1), "localhost");

    // "Name Version": the version is the last word.
    std::string_view agent = options.agent;
    while (!agent.empty() && agent.back() == ' ')
        agent.remove_suffix(1);
    const std::size_t space = agent.rfind(' ');
    const std::string client =
        helloField(space == std::string_view::npos ? agent : agent.substr(0, space), "Trackmill");
    const std::string version =
        helloField(space == std::string_view::npos ? std::string_view() : agent.substr(space + 1), "0");

    return formEncode(user) + '+' + formEncode(host) + '+' + formEncode(client) + '+' + formEncode(version);
}

bool buildGetRequest(const CddbOptions& options, std::string_view server, std::string_view path,
                     CddbRequest& request, std::string& error)
{
    // "host" or "host:port"; a bracketed IPv6 address keeps its colons.
    std::string_view host = server;
    int port = 80;
    const std::size_t colon = server.rfind(':');
    if (colon != std::string_view::npos && server.find(']', colon) == std::string_view::npos) {
        host = server.substr(0, colon);
        const std::string_view digits = server.substr(colon + 1);
        port = 0;
        for (const char c : digits) {
            if (c < '0' || c > '9' || port > 65535) {
                port = 0;
                break;
            }
            port = port * 10 + (c - '0');
        }
        if (digits.empty())
            port = 0;
    }
    if (!validHost(host)) {
        error = "invalid server host";
        return false;
    }
    if (!validPort(port)) {
        error = "invalid server port";
        return false;
    }
    if (!validPath(path)) {
        error = "invalid path";
        return false;
    }
    request.proxy.clear();
    if (options.useProxy) {
        if (!validHost(options.proxy) || !validPort(options.proxyPort)) {
            error = "invalid proxy";
            return false;
        }
        request.proxy = options.proxy + ':' + std::to_string(options.proxyPort);
    }
    request.url = "http://" + std::string(host) + ':' + std::to_string(port) + std::string(path);
    return true;
}

bool buildRequest(const CddbOptions& options, std::string_view command, CddbRequest& request,
                  std::string& error)
{
    if (!validHost(options.server)) {
        error = "invalid server host";
        return false;
    }
    if (!validPort(options.httpPort)) {
        error = "invalid server port";
        return false;
    }
    if (!validPath(options.cgi)) {
        error = "invalid CGI path";
        return false;
    }
    request.proxy.clear();
    if (options.useProxy) {
        if (!validHost(options.proxy)) {
            error = "invalid proxy host";
            return false;
        }
        if (!validPort(options.proxyPort)) {
            error = "invalid proxy port";
            return false;
        }
        request.proxy = options.proxy + ':' + std::to_string(options.proxyPort);
    }
    request.url = "http://" + options.server + ':' + std::to_string(options.httpPort) + options.cgi
                  + "?cmd=" + formEncode(command) + "&hello=" + helloArgument(options) + "&proto=6";
    return true;
}

}
