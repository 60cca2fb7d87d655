// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace trackmill::test {

// A web server on 127.0.0.1 (a port the system picks) answering GET
// requests from canned answers by path, for the MusicBrainz and Cover Art
// Archive clients. Records every request; one connection at a time.
class HttpServer
{
public:
    struct Answer
    {
        int status = 200;
        std::string body;
        std::string contentType = "application/json";
        std::vector<std::string> headers;  // extra "Name: value" lines
        enum class Misbehave { None, Silent, CloseMidAnswer } misbehave = Misbehave::None;
    };
    struct Request
    {
        std::string path;   // before "?"
        std::string query;  // after "?", as sent
        std::string userAgent;
    };

    HttpServer();
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    uint16_t port() const { return m_port; }
    // "http://127.0.0.1:<port>"
    std::string url() const;

    // The answer for a path; queued answers for one path go out one per
    // request, the last one stays. Unknown paths get a 404 JSON error.
    void answer(const std::string& path, Answer answer);
    void answerInTurn(const std::string& path, std::vector<Answer> answers);
    // A 307 to another path of this server.
    void redirect(const std::string& path, const std::string& to);

    std::vector<Request> requests() const;
    int requestCount() const { return int(requests().size()); }

private:
    void run();
    void serve(int fd);

    int m_listenFd = -1;
    int m_wakePipe[2] = {-1, -1};
    uint16_t m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::map<std::string, std::deque<Answer>> m_answers;
    std::vector<Request> m_requests;
};

}
