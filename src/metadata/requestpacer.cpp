// SPDX-License-Identifier: GPL-2.0-or-later
#include "requestpacer.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace trackmill {

namespace {

constexpr qint64 kSliceMs = 100;

RequestPacer::Clock steadyClock()
{
    return {[] {
                return qint64(std::chrono::duration_cast<std::chrono::milliseconds>(
                                  std::chrono::steady_clock::now().time_since_epoch())
                                  .count());
            },
            [](qint64 ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }};
}

}

RequestPacer::RequestPacer(qint64 intervalMs)
    : RequestPacer(intervalMs, steadyClock())
{
}

RequestPacer::RequestPacer(qint64 intervalMs, Clock clock)
    : m_intervalMs(intervalMs)
    , m_clock(std::move(clock))
{
}

bool RequestPacer::waitUntil(qint64 at, const std::atomic<bool>* cancel)
{
    for (;;) {
        if (cancel && cancel->load())
            return false;
        const qint64 left = at - m_clock.nowMs();
        if (left <= 0)
            return true;
        m_clock.sleepMs(std::min(left, kSliceMs));
    }
}

bool RequestPacer::waitForTurn(const std::atomic<bool>* cancel)
{
    // Turns are handed out in order: a later caller is placed one interval
    // after the earlier one even while that one still waits.
    qint64 at;
    {
        std::lock_guard lock(m_mutex);
        const qint64 now = m_clock.nowMs();
        at = m_started ? std::max(now, m_nextMs) : now;
        m_started = true;
        m_nextMs = at + m_intervalMs;
    }
    return waitUntil(at, cancel);
}

bool RequestPacer::waitAtLeast(qint64 ms, const std::atomic<bool>* cancel)
{
    qint64 at;
    {
        std::lock_guard lock(m_mutex);
        const qint64 now = m_clock.nowMs();
        at = std::max(now + ms, m_started ? m_nextMs : now);
        m_started = true;
        m_nextMs = at + m_intervalMs;
    }
    return waitUntil(at, cancel);
}

RequestPacer& RequestPacer::musicBrainz()
{
    static RequestPacer pacer(1000);
    return pacer;
}

RequestPacer& RequestPacer::coverArtArchive()
{
    static RequestPacer pacer(1000);
    return pacer;
}

}
