// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "platform/threadhandover.h"

#include <QEvent>

namespace trackmill {

// Message numbers between the encoder component and its worker thread.
enum GogoMessageId {
    GOGO_MSG_START = 1280,    // component to thread: word = total frames, long = interval
    GOGO_MSG_ABORT = 1281,
    GOGO_MSG_QUIT = 1282,
    GOGO_MSG_FINISHED = 1536, // thread to component: input finished
    GOGO_MSG_ERROR = 1537,    // word = error code
    GOGO_MSG_END = 1538,      // word = 0 normal end, -1 aborted or failed
    GOGO_MSG_PROGRESS = 1539  // word = frames done, long = total frames
};

// A message from the worker thread, posted into the component's event
// queue so that it is handled on the thread the component lives on.
class GogoMessageEvent : public QEvent
{
public:
    GogoMessageEvent(int message, int wparam, int lparam)
        : QEvent(eventType()), message(message), wparam(wparam), lparam(lparam)
    {
    }
    // Also when the component went away before the message came.
    ~GogoMessageEvent() override { handOverAcquire(this); }
    static QEvent::Type eventType()
    {
        static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }

    const int message;
    const int wparam;
    const int lparam;
};

}
