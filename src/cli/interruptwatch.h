// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace trackmill::cli {

// Turns SIGINT and SIGTERM into a call on the thread of the event loop
// while the watch lives: the signal handler only writes a byte into a
// pipe, whose reading end the loop watches. The dispositions before are
// restored on destruction. One watch at a time.
class InterruptWatch : public QObject
{
    Q_OBJECT
public:
    explicit InterruptWatch(std::function<void()> onInterrupt);
    ~InterruptWatch() override;

    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

private:
    std::function<void()> m_onInterrupt;
    int m_pipe[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
};

}
