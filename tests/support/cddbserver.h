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

// A CDDB server (and a plain file server for AccurateRip answers) over HTTP/1.0 on 127.0.0.1 (a port the system picks): answers
// "cddb query" and "cddb read" from canned answers, records every request and
// can misbehave on purpose. One connection at a time.
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
        std::string target;  // as sent (path or absolute URL)
        std::string host;    // Host header, "" when missing
        std::string cmd, hello, proto;  // decoded parameters of the query string
    };

    CddbServer();
    ~CddbServer();

    uint16_t port() const { return m_port; }
    bool listening() const { return m_listenFd >= 0; }

    // Body for every "cddb query" (default: "202 No match found.").
    void setQueryAnswer(std::string body) { std::lock_guard lock(m_mutex); m_queryAnswer = std::move(body); }
    // Body for "cddb read <category> <discId>" (unknown pairs: a 401 answer).
    void setReadAnswer(const std::string& category, const std::string& discId, std::string body)
    {
        std::lock_guard lock(m_mutex);
        m_readAnswers[category + ' ' + discId] = std::move(body);
    }
    // Body of a plain GET of path (no query string); other paths get 404.
    void setFile(const std::string& path, std::string body) { std::lock_guard lock(m_mutex); m_files[path] = std::move(body); }
    void setBehaviour(Behaviour behaviour, int delayMs = 0) { std::lock_guard lock(m_mutex); m_behaviour = behaviour; m_delayMs = delayMs; }
    void setRawResponse(std::string bytes) { std::lock_guard lock(m_mutex); m_raw = std::move(bytes); }

    int requestCount() const { return int(requests().size()); }
    std::vector<Request> requests() const { std::lock_guard lock(m_mutex); return m_requests; }

    // Canned answers in the server's own words: "200" exact match; a
    // "210"/"211" list of "category discid dtitle" lines; a "210" entry of
    // comment and KEY=value lines.
    static std::string exactMatch(const std::string& category, const std::string& discId, const std::string& dtitle)
    {
        return "200 " + category + ' ' + discId + ' ' + dtitle + "\r\n";
    }
    static std::string matchList(int code, const std::vector<std::string>& lines)
    {
        return list(std::to_string(code) + (code == 211 ? " Found inexact" : " Found exact")
                    + " matches, list follows (until terminating `.')", lines);
    }
    static std::string entry(const std::string& category, const std::string& discId, const std::vector<std::string>& lines)
    {
        return list("210 " + category + ' ' + discId + " CD database entry follows (until terminating `.')", lines);
    }

private:
    static std::string list(std::string first, const std::vector<std::string>& lines)
    {
        for (const std::string& line : lines)
            first += "\r\n" + line;
        return first + "\r\n.\r\n";
    }
    void run();
    void serve(int fd);

    int m_listenFd = -1;
    int m_wakePipe[2] = {-1, -1};
    uint16_t m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;

    mutable std::mutex m_mutex;
    std::string m_queryAnswer;
    std::map<std::string, std::string> m_readAnswers; // "category discid" -> body
    std::map<std::string, std::string> m_files;       // path -> body
    Behaviour m_behaviour = Behaviour::Normal;
    int m_delayMs = 0;
    std::string m_raw;
    std::vector<Request> m_requests;
};

}
