// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "encoder/gogotea.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <functional>
#include <vector>

namespace trackmill::test {

// Everything a component reported, in order, with the thread it came on.
class GogoEventLog
{
public:
    struct Event
    {
        char kind;  // 'p' progress, 'e' error, 'f' finish
        int a;
        int b;
        bool onCreatingThread;
    };

    explicit GogoEventLog(TGogoTea& tea)
    {
        QThread* creator = QThread::currentThread();
        QObject::connect(&tea, &TGogoTea::OnProgress, [this, creator](int now, int all) {
            events.push_back({'p', now, all, QThread::currentThread() == creator});
        });
        QObject::connect(&tea, &TGogoTea::OnError, [this, creator](int code) {
            events.push_back({'e', code, 0, QThread::currentThread() == creator});
        });
        QObject::connect(&tea, &TGogoTea::OnFinish, [this, creator](bool aborted) {
            events.push_back({'f', aborted ? 1 : 0, 0, QThread::currentThread() == creator});
        });
    }

    bool finished() const
    {
        for (const Event& e : events)
            if (e.kind == 'f')
                return true;
        return false;
    }
    int count(char kind) const
    {
        int n = 0;
        for (const Event& e : events)
            n += e.kind == kind;
        return n;
    }

    std::vector<Event> events;
};

// Processes events until `done` holds or the time is up.
inline bool waitUntil(const std::function<bool()>& done, int milliseconds = 20000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

inline void processEventsFor(int milliseconds)
{
    waitUntil([] { return false; }, milliseconds);
}

}
