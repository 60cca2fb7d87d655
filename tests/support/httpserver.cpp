// SPDX-License-Identifier: GPL-2.0-or-later
#include "httpserver.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

namespace trackmill::test {

namespace {

constexpr auto npos = std::string::npos;

std::string reason(int status)
{
    switch (status) {
    case 200: return "OK";
    case 307: return "Temporary Redirect";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

}

HttpServer::HttpServer()
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

HttpServer::~HttpServer()
{
    m_stopping = true;
    if (m_wakePipe[1] >= 0)
        (void)!write(m_wakePipe[1], "", 1);
    if (m_thread.joinable())
        m_thread.join();
    for (const int fd : {m_listenFd, m_wakePipe[0], m_wakePipe[1]})
        if (fd >= 0)
            close(fd);
}

std::string HttpServer::url() const
{
    return "http://127.0.0.1:" + std::to_string(m_port);
}

void HttpServer::answer(const std::string& path, Answer answer)
{
    answerInTurn(path, {std::move(answer)});
}

void HttpServer::answerInTurn(const std::string& path, std::vector<Answer> answers)
{
    std::lock_guard lock(m_mutex);
    m_answers[path] = std::deque<Answer>(answers.begin(), answers.end());
}

void HttpServer::redirect(const std::string& path, const std::string& to)
{
    Answer a;
    a.status = 307;
    a.contentType = "text/plain";
    a.headers = {"Location: " + url() + to};
    answer(path, a);
}

std::vector<HttpServer::Request> HttpServer::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void HttpServer::run()
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

void HttpServer::serve(int fd)
{
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
    Request request;
    const std::size_t sp = head.find(' ');
    const std::string target = sp == npos ? std::string() : head.substr(sp + 1, head.find_first_of(" \r", sp + 1) - sp - 1);
    const std::size_t q = target.find('?');
    request.path = target.substr(0, q);
    request.query = q == npos ? std::string() : target.substr(q + 1);
    for (std::size_t pos = head.find("\r\n"); pos != npos; pos = head.find("\r\n", pos + 2)) {
        if (strncasecmp(head.c_str() + pos + 2, "user-agent:", 11) == 0) {
            const std::size_t v = head.find_first_not_of(' ', pos + 13);
            request.userAgent = head.substr(v, head.find("\r\n", v) - v);
        }
    }

    Answer answer;
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(request);
        auto it = m_answers.find(request.path);
        if (it == m_answers.end() || it->second.empty()) {
            answer.status = 404;
            answer.body = R"({"error":"Not Found","help":"canned"})";
        } else {
            answer = it->second.front();
            if (it->second.size() > 1)
                it->second.pop_front();
        }
    }
    if (answer.misbehave == Answer::Misbehave::Silent) {
        while (wait(POLLIN, -1) && recv(fd, buffer, sizeof buffer, MSG_DONTWAIT) > 0) {
        }
        return;
    }
    std::string reply = "HTTP/1.1 " + std::to_string(answer.status) + ' ' + reason(answer.status)
                        + "\r\nContent-Type: " + answer.contentType
                        + "\r\nContent-Length: " + std::to_string(answer.body.size()) + "\r\nConnection: close\r\n";
    for (const std::string& h : answer.headers)
        reply += h + "\r\n";
    reply += "\r\n";
    reply += answer.misbehave == Answer::Misbehave::CloseMidAnswer ? answer.body.substr(0, answer.body.size() / 2)
                                                                    : answer.body;
    for (std::size_t done = 0; done < reply.size();) {
        const ssize_t n = send(fd, reply.data() + done, reply.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        done += std::size_t(n);
    }
}

}
