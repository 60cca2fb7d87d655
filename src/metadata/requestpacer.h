// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QtGlobal>

#include <atomic>
#include <functional>
#include <mutex>

namespace trackmill {

// Spaces the requests to one web service: each starts at least `interval`
// after the one before, whichever thread sends it (the services allow one
// request a second from a program). Shared by everything that talks to the
// service.
class RequestPacer
{
public:
    struct Clock
    {
        std::function<qint64()> nowMs;             // a steady clock
        std::function<void(qint64)> sleepMs;       // waits about that long
    };

    explicit RequestPacer(qint64 intervalMs);
    RequestPacer(qint64 intervalMs, Clock clock);

    // Waits until the next request may go, in slices, so that a cancel is
    // seen within a tenth of a second; false when cancelled (no turn taken).
    bool waitForTurn(const std::atomic<bool>* cancel = nullptr);
    // Waits at least `ms` (a busy service asked for it), counted as a turn.
    bool waitAtLeast(qint64 ms, const std::atomic<bool>* cancel = nullptr);

    // The pacer of each service the program asks, one for the whole process.
    static RequestPacer& musicBrainz();
    static RequestPacer& coverArtArchive();

private:
    bool waitUntil(qint64 at, const std::atomic<bool>* cancel);

    qint64 m_intervalMs;
    Clock m_clock;
    std::mutex m_mutex;
    qint64 m_nextMs = 0;
    bool m_started = false;
};

}
