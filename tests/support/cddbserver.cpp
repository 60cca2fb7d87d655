// SPDX-License-Identifier: GPL-2.0-or-later
#include "cddbserver.h"

#include <QByteArray>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

namespace trackmill::test {

namespace {

constexpr auto npos = std::string::npos;

bool startsWithNoCase(const std::string& text, const char* prefix)
{
    return strncasecmp(text.c_str(), prefix, strlen(prefix)) == 0;
}

CddbServer::Request parseHead(const std::string& head)
{
    CddbServer::Request request;
    const std::size_t sp = head.find(' ');
    request.target = sp == npos ? std::string() : head.substr(sp + 1, head.find_first_of(" \r", sp + 1) - sp - 1);
    for (std::size_t pos = head.find("\r\n"); pos != npos; pos = head.find("\r\n", pos + 2)) {
        if (startsWithNoCase(head.substr(pos + 2), "host:")) {
            const std::size_t v = head.find_first_not_of(' ', pos + 7);
            request.host = head.substr(v, head.find("\r\n", v) - v);
        }
    }
    const std::size_t q = request.target.find('?');
    std::istringstream query(q == npos ? std::string() : request.target.substr(q + 1));
    std::string ignored;
    for (std::string pair; std::getline(query, pair, '&');) {
        const std::size_t eq = pair.find('=');
        const std::string name = pair.substr(0, eq);
        const std::string value = eq == npos ? std::string()
            : QByteArray::fromPercentEncoding(QByteArray::fromStdString(pair.substr(eq + 1)).replace('+', ' ')).toStdString();
        (name == "cmd" ? request.cmd : name == "hello" ? request.hello : name == "proto" ? request.proto : ignored) = value;
    }
    return request;
}

}

CddbServer::CddbServer()
    : m_queryAnswer("202 No match found.\r\n")
{
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (pipe2(m_wakePipe, O_CLOEXEC) != 0 || (m_listenFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) < 0)
        return;
    if (bind(m_listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(m_listenFd, 8) != 0
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
    if (m_wakePipe[1] >= 0)
        (void)!write(m_wakePipe[1], "", 1);  // wakes the server's thread
    if (m_thread.joinable())
        m_thread.join();
    for (const int fd : {m_listenFd, m_wakePipe[0], m_wakePipe[1]})
        if (fd >= 0)
            close(fd);
}

void CddbServer::run()
{
    while (!m_stopping) {
        pollfd fds[2] = {{m_listenFd, POLLIN, 0}, {m_wakePipe[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 && errno == EINTR)
            continue;
        if (m_stopping || !(fds[0].revents & POLLIN) || (fds[1].revents & POLLIN))
            return;
        if (const int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC); fd >= 0) {
            serve(fd);
            close(fd);
        }
    }
}

void CddbServer::serve(int fd)
{
    // Waits for the client (timeoutMs, -1: forever); false when asked to stop.
    const auto wait = [&](short events, int timeoutMs) {
        pollfd fds[2] = {{fd, events, 0}, {m_wakePipe[0], POLLIN, 0}};
        return poll(fds, 2, timeoutMs) >= 0 && !(fds[1].revents & POLLIN) && !m_stopping;
    };
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == npos) {
        const ssize_t n = head.size() < 64 * 1024 && wait(POLLIN, 5000) ? recv(fd, buffer, sizeof buffer, MSG_DONTWAIT) : 0;
        if (n <= 0)
            return;
        head.append(buffer, std::size_t(n));
    }
    const Request request = parseHead(head);
    std::unique_lock lock(m_mutex);
    m_requests.push_back(request);
    const Behaviour behaviour = m_behaviour;
    const int delayMs = behaviour == Behaviour::Slow ? m_delayMs : 0;
    std::string body = "500 Unrecognized command.\r\n";
    bool missing = false;
    if (request.target.find('?') == npos) {
        // A plain file: an AccurateRip dBAR answer, or 404.
        const auto it = m_files.find(request.target);
        missing = it == m_files.end();
        body = missing ? std::string("<html>not found</html>") : it->second;
    } else if (startsWithNoCase(request.cmd, "cddb query ")) {
        body = m_queryAnswer;
    } else if (startsWithNoCase(request.cmd, "cddb read ")) {
        const std::string key = request.cmd.substr(10);
        const auto it = m_readAnswers.find(key);
        body = it != m_readAnswers.end() ? it->second : "401 " + key + " No such CD entry in database.\r\n";
    }
    const std::string reply = behaviour == Behaviour::Raw ? m_raw
        : "HTTP/1.0 " + std::string(behaviour == Behaviour::HttpError ? "500 Internal Server Error"
                                    : missing                          ? "404 Not Found"
                                                                       : "200 OK")
            + "\r\nContent-Type: text/plain; charset=UTF-8\r\nConnection: close\r\n\r\n"
            + (behaviour == Behaviour::CloseMidAnswer ? body.substr(0, body.size() / 2) : body);
    lock.unlock();

    if (behaviour == Behaviour::Silent) {
        // Until the client gives up (or the server stops).
        while (wait(POLLIN, -1) && recv(fd, buffer, sizeof buffer, MSG_DONTWAIT) > 0) {
        }
        return;
    }
    // All at once, or one byte per delay.
    for (std::size_t done = 0; done < reply.size();) {
        if (delayMs > 0 && !wait(0, delayMs))
            return;
        const ssize_t n = send(fd, reply.data() + done, delayMs > 0 ? 1 : reply.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        done += std::size_t(n);
    }
}

}
