// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "gogoteatypes.h"

#include <QThread>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <sys/types.h>

namespace trackmill {

class GogoJobState;

// The worker thread of the encoder component: takes start, abort and quit
// messages, runs the component's job state frame by frame while a job is busy, and posts
// progress, error, input-finished and job-ended messages to the component.
//
// Priority: the component applies its Priority when a job starts (and when
// it changes during a job). Between jobs the thread sleeps on its message
// queue and is left at the priority it had; on Linux an unprivileged thread
// that lowered its priority to idle can never raise it again, so the
// component replaces a thread that sits below what the next job asks for. Floating point: the environment found at thread start is
// saved; each job runs with the default one (all exceptions masked, round
// to nearest, x87 extended precision) and the saved one is restored after
// the job, also when it failed or was aborted.
class TEncodeThread : public QThread
{
public:
    // `window` receives the posted GogoMessageEvents and must outlive the
    // thread. The constructing thread's nice value is the base of the
    // priority mapping.
    TEncodeThread(std::shared_ptr<GogoJobState> job, QObject* window);
    ~TEncodeThread() override;

    // Thread-safe; wakes the thread at once.
    void postThreadMessage(int message, int wparam, int lparam);
    void setTerminateFlag();
    // True while an abort or quit waits to be taken: the reader function
    // then stops waiting for data so the message is taken promptly.
    bool stopPending() const { return m_stopPending.load(); }

    // Applies a priority to the thread now if it runs, and in any case
    // when it takes the next start message.
    void applyPriority(TThreadPriority priority);
    // The nice value the priorities are relative to.
    int processNice() const { return m_processNice; }
    // Kernel id of the running thread, 0 before it runs.
    pid_t threadId() const { return m_tid.load(); }

    int totalFrames() const { return m_totalFrames; }

protected:
    void run() override;

private:
    struct Message
    {
        int id, wparam, lparam;
    };
    bool takeMessage(Message& msg);
    void waitForMessage(int milliseconds);
    void post(int message, int wparam, int lparam);
    void endJob();

    std::shared_ptr<GogoJobState> m_job;
    QObject* m_window;
    int m_processNice = 0;
    std::atomic<int> m_priority{tpNormal};
    std::atomic<pid_t> m_tid{0};
    std::atomic<bool> m_terminate{false};
    std::atomic<bool> m_stopPending{false};
    std::mutex m_queueMutex;
    std::condition_variable m_queueSignal;
    std::deque<Message> m_queue;

    // Worker-thread state.
    int m_totalFrames = 0;
    bool m_busy = false;
    int m_frames = 0;
    int m_interval = 1;
};

}
