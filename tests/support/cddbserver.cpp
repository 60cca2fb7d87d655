// SPDX-License-Identifier: GPL-2.0-or-later
#include "cddbserver.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace trackmill::test {

namespace {

constexpr std::size_t kMaxRequestHead = 64 * 1024;

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string formDecode(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0
                   && hexValue(text[i + 2]) >= 0) {
            out += char(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string lower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return s;
}

CddbServer::Request parseHead(const std::string& head)
{
    CddbServer::Request request;
    const std::size_t lineEnd = head.find("\r\n");
    const std::string first = head.substr(0, lineEnd);
    const std::size_t sp1 = first.find(' ');
    const std::size_t sp2 = first.find(' ', sp1 + 1);
    if (sp1 != std::string::npos)
        request.target = first.substr(sp1 + 1, sp2 == std::string::npos ? std::string::npos : sp2 - sp1 - 1);

    for (std::size_t pos = lineEnd; pos != std::string::npos && pos + 2 < head.size();) {
        const std::size_t next = head.find("\r\n", pos + 2);
        const std::string line = head.substr(pos + 2, next == std::string::npos ? std::string::npos : next - pos - 2);
        const std::size_t colon = line.find(':');
        if (colon != std::string::npos && lower(line.substr(0, colon)) == "host") {
            std::size_t v = colon + 1;
            while (v < line.size() && line[v] == ' ')
                ++v;
            request.host = line.substr(v);
        }
        pos = next;
    }

    const std::size_t q = request.target.find('?');
    if (q != std::string::npos) {
        std::string query = request.target.substr(q + 1);
        std::size_t start = 0;
        while (start <= query.size()) {
            std::size_t amp = query.find('&', start);
            if (amp == std::string::npos)
                amp = query.size();
            const std::string pair = query.substr(start, amp - start);
            const std::size_t eq = pair.find('=');
            const std::string name = pair.substr(0, eq);
            const std::string value = eq == std::string::npos ? std::string() : formDecode(pair.substr(eq + 1));
            if (name == "cmd")
                request.cmd = value;
            else if (name == "hello")
                request.hello = value;
            else if (name == "proto")
                request.proto = value;
            start = amp + 1;
        }
    }
    return request;
}

}

CddbServer::CddbServer()
    : m_queryAnswer("202 No match found.\r\n")
{
    if (pipe2(m_wakePipe, O_CLOEXEC) != 0)
        return;
    m_listenFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0)
        return;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (bind(m_listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0
        || listen(m_listenFd, 8) != 0
        || getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        close(m_listenFd);
        m_listenFd = -1;
        return;
    }
    m_port = ntohs(addr.sin_port);
    m_thread = std::thread([this] { run(); });
}

CddbServer::~CddbServer()
{
    m_stopping = true;
    if (m_wakePipe[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = write(m_wakePipe[1], &byte, 1);
    }
    if (m_thread.joinable())
        m_thread.join();
    for (const int fd : {m_listenFd, m_wakePipe[0], m_wakePipe[1]})
        if (fd >= 0)
            close(fd);
}

void CddbServer::setQueryAnswer(std::string body)
{
    std::lock_guard lock(m_mutex);
    m_queryAnswer = std::move(body);
}

void CddbServer::setReadAnswer(const std::string& category, const std::string& discId, std::string body)
{
    std::lock_guard lock(m_mutex);
    m_readAnswers[category + ' ' + discId] = std::move(body);
}

void CddbServer::setBehaviour(Behaviour behaviour, int delayMs)
{
    std::lock_guard lock(m_mutex);
    m_behaviour = behaviour;
    m_delayMs = delayMs;
}

void CddbServer::setRawResponse(std::string bytes)
{
    std::lock_guard lock(m_mutex);
    m_raw = std::move(bytes);
}

int CddbServer::requestCount() const
{
    std::lock_guard lock(m_mutex);
    return int(m_requests.size());
}

std::vector<CddbServer::Request> CddbServer::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

std::string CddbServer::exactMatch(const std::string& category, const std::string& discId,
                                   const std::string& dtitle)
{
    return "200 " + category + ' ' + discId + ' ' + dtitle + "\r\n";
}

std::string CddbServer::matchList(int code, const std::vector<std::string>& lines)
{
    std::string body = std::to_string(code)
                       + (code == 211 ? " Found inexact matches, list follows (until terminating `.')\r\n"
                                      : " Found exact matches, list follows (until terminating `.')\r\n");
    for (const std::string& line : lines)
        body += line + "\r\n";
    return body + ".\r\n";
}

std::string CddbServer::entry(const std::string& category, const std::string& discId,
                              const std::vector<std::string>& lines)
{
    std::string body = "210 " + category + ' ' + discId + " CD database entry follows (until terminating `.')\r\n";
    for (const std::string& line : lines)
        body += line + "\r\n";
    return body + ".\r\n";
}

bool CddbServer::waitForStop(int ms)
{
    pollfd p{m_wakePipe[0], POLLIN, 0};
    return m_stopping || poll(&p, 1, ms) > 0 || m_stopping;
}

void CddbServer::run()
{
    while (!m_stopping) {
        pollfd fds[2] = {{m_listenFd, POLLIN, 0}, {m_wakePipe[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (m_stopping || (fds[1].revents & POLLIN))
            return;
        if (fds[0].revents & POLLIN) {
            const int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) {
                serve(fd);
                close(fd);
            }
        }
    }
}

bool CddbServer::readRequest(int fd, std::string& head)
{
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
        if (head.size() > kMaxRequestHead)
            return false;
        pollfd fds[2] = {{fd, POLLIN, 0}, {m_wakePipe[0], POLLIN, 0}};
        if (poll(fds, 2, 5000) <= 0 || (fds[1].revents & POLLIN))
            return false;
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return false;
        head.append(buffer, std::size_t(n));
    }
    return true;
}

bool CddbServer::sendAll(int fd, const std::string& bytes, int delayMs)
{
    const std::size_t step = delayMs > 0 ? 1 : bytes.size();
    for (std::size_t done = 0; done < bytes.size();) {
        if (delayMs > 0 && waitForStop(delayMs))
            return false;
        const ssize_t n = send(fd, bytes.data() + done, std::min(step, bytes.size() - done), MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}

std::string CddbServer::bodyFor(const Request& request)
{
    const std::string cmd = lower(request.cmd);
    if (cmd.rfind("cddb query ", 0) == 0)
        return m_queryAnswer;
    if (cmd.rfind("cddb read ", 0) == 0) {
        const std::string key = request.cmd.substr(10);
        const auto it = m_readAnswers.find(key);
        if (it != m_readAnswers.end())
            return it->second;
        return "401 " + key + " No such CD entry in database.\r\n";
    }
    return "500 Unrecognized command.\r\n";
}

void CddbServer::serve(int fd)
{
    std::string head;
    if (!readRequest(fd, head))
        return;
    const Request request = parseHead(head);
    Behaviour behaviour;
    int delayMs;
    std::string body, raw;
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(request);
        behaviour = m_behaviour;
        delayMs = m_delayMs;
        body = bodyFor(request);
        raw = m_raw;
    }

    const std::string status = behaviour == Behaviour::HttpError ? "500 Internal Server Error" : "200 OK";
    const std::string headers = "HTTP/1.0 " + status + "\r\nContent-Type: text/plain; charset=UTF-8\r\n"
                                "Connection: close\r\n\r\n";
    switch (behaviour) {
    case Behaviour::Normal:
    case Behaviour::HttpError:
        sendAll(fd, headers + body, 0);
        break;
    case Behaviour::Slow:
        sendAll(fd, headers + body, delayMs);
        break;
    case Behaviour::Silent: {
        // Until the client gives up (or the server stops).
        char byte;
        pollfd fds[2] = {{fd, POLLIN, 0}, {m_wakePipe[0], POLLIN, 0}};
        while (poll(fds, 2, -1) > 0 && !(fds[1].revents & POLLIN) && recv(fd, &byte, 1, 0) > 0) {
        }
        break;
    }
    case Behaviour::CloseMidAnswer:
        sendAll(fd, headers + body.substr(0, body.size() / 2), 0);
        break;
    case Behaviour::Raw:
        sendAll(fd, raw, 0);
        break;
    }
}

}
