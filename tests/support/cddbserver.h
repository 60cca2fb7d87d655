// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace trackmill::test {

// A CDDB server over HTTP for tests: listens on 127.0.0.1 on a port the
// system picks, answers "cddb query" and "cddb read" requests from canned
// answers, records every request, and can misbehave on purpose (answer
// slowly, send garbage, close mid-answer, never answer). One connection at
// a time, HTTP/1.0 with Connection: close, as the client needs nothing more.
class CddbServer
{
public:
    enum class Behaviour {
        Normal,         // an HTTP 200 answer with the canned body
        Slow,           // the same, one byte per delay
        Silent,         // reads the request and never answers
        CloseMidAnswer, // the headers and half of the body, then closes
        HttpError,      // HTTP 500 with the canned body
        Raw,            // the raw bytes of setRawResponse, no HTTP at all
    };

    struct Request
    {
        std::string target;  // request target as sent (path or absolute URL)
        std::string host;    // Host header, "" when missing
        std::string cmd;     // decoded parameters of the query string
        std::string hello;
        std::string proto;
    };

    CddbServer();
    ~CddbServer();
    CddbServer(const CddbServer&) = delete;
    CddbServer& operator=(const CddbServer&) = delete;

    uint16_t port() const { return m_port; }
    bool listening() const { return m_listenFd >= 0; }

    // Body for every "cddb query" (default: "202 No match found.").
    void setQueryAnswer(std::string body);
    // Body for "cddb read <category> <discId>" (default for unknown pairs:
    // a 401 answer).
    void setReadAnswer(const std::string& category, const std::string& discId, std::string body);
    void setBehaviour(Behaviour behaviour, int delayMs = 0);
    void setRawResponse(std::string bytes);

    int requestCount() const;
    std::vector<Request> requests() const;

    // Canned answers in the server's own words.
    static std::string exactMatch(const std::string& category, const std::string& discId,
                                  const std::string& dtitle);
    // "210"/"211" list: lines "category discid dtitle", then ".".
    static std::string matchList(int code, const std::vector<std::string>& lines);
    // "210" entry: the given lines (comments and KEY=value), then ".".
    static std::string entry(const std::string& category, const std::string& discId,
                             const std::vector<std::string>& lines);

private:
    void run();
    void serve(int fd);
    bool readRequest(int fd, std::string& head);
    bool sendAll(int fd, const std::string& bytes, int delayMs);
    bool waitForStop(int ms); // true when asked to stop
    std::string bodyFor(const Request& request);

    int m_listenFd = -1;
    int m_wakePipe[2] = {-1, -1};
    uint16_t m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;

    mutable std::mutex m_mutex;
    std::string m_queryAnswer;
    std::map<std::string, std::string> m_readAnswers; // "category discid" -> body
    Behaviour m_behaviour = Behaviour::Normal;
    int m_delayMs = 0;
    std::string m_raw;
    std::vector<Request> m_requests;
};

}
