// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "encoder/gogotea.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
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
        auto add = [this, creator](char kind, int a, int b) {
            events.push_back({kind, a, b, QThread::currentThread() == creator});
        };
        QObject::connect(&tea, &TGogoTea::OnProgress, [add](int now, int all) { add('p', now, all); });
        QObject::connect(&tea, &TGogoTea::OnError, [add](int code) { add('e', code, 0); });
        QObject::connect(&tea, &TGogoTea::OnFinish, [add](bool aborted) { add('f', aborted, 0); });
    }

    bool finished() const { return count('f') > 0; }
    int count(char kind) const
    {
        return int(std::count_if(events.begin(), events.end(), [kind](const Event& e) { return e.kind == kind; }));
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

// The text of the EGogoTeaError `f` raises, or "<none>".
inline QString raisedText(const std::function<void()>& f)
{
    try {
        f();
    } catch (const EGogoTeaError& e) {
        return e.message();
    }
    return QStringLiteral("<none>");
}

}
