// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "accurateripanswer.h"

#include "akrip32.h"

#include <QString>

#include <functional>
#include <memory>

namespace trackmill {

// Looks a disc up in the AccurateRip database once, on a worker thread of
// its own, while the window thread reads the disc. The answer is waited
// for only when a track's result is due; the window thread then handles
// its events every few milliseconds. A failed lookup counts as "not in the
// database", with the reason for the rip log.
class AccurateRipLookup
{
public:
    struct Result
    {
        bool done = false;
        ARDISCID id{};
        bool haveId = false;
        AccurateRipAnswer answer;
        QString status; // "found", "not in the database", or why there is no answer
    };

    AccurateRipLookup();
    ~AccurateRipLookup();
    AccurateRipLookup(const AccurateRipLookup&) = delete;
    AccurateRipLookup& operator=(const AccurateRipLookup&) = delete;

    // Reads the disc's identity through cd and asks the database, both on
    // the worker; server is "host[:port]", empty: the database's own.
    void start(HCDROM cd, const QString& server);
    // Until the answer is there, calls pump (which handles events for a
    // moment) again and again; then the result.
    const Result& wait(const std::function<void()>& pump);
    bool started() const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};

}
