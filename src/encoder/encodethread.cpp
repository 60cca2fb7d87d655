// SPDX-License-Identifier: GPL-2.0-or-later
#include "encodethread.h"

#include "gogojobstate.h"
#include "gogomessage.h"
#include "threadpriority.h"

#include "platform/threadhandover.h"

#include <QCoreApplication>
#include <cerrno>
#include <cfenv>
#include <chrono>
#include <sys/resource.h>
#include <unistd.h>

namespace trackmill {

TEncodeThread::TEncodeThread(std::shared_ptr<GogoJobState> job, QObject* window)
    : m_job(std::move(job)), m_window(window)
{
    m_processNice = threadNice(gettid());
}

TEncodeThread::~TEncodeThread()
{
    setTerminateFlag();
    wait();
    // Everything the thread did is over once wait() returns.
    handOverAcquire(this);
}

void TEncodeThread::postThreadMessage(int message, int wparam, int lparam)
{
    {
        std::lock_guard lock(m_queueMutex);
        m_queue.push_back({message, wparam, lparam});
        if (message == GOGO_MSG_ABORT || message == GOGO_MSG_QUIT)
            m_stopPending = true;
    }
    m_queueSignal.notify_one();
}

void TEncodeThread::setTerminateFlag()
{
    m_terminate = true;
    m_stopPending = true;
    m_queueSignal.notify_one();
}

void TEncodeThread::applyPriority(TThreadPriority priority)
{
    m_priority = priority;
    if (const pid_t tid = m_tid.load())
        applyThreadPriority(tid, priority, m_processNice);
}

bool TEncodeThread::takeMessage(Message& msg)
{
    std::lock_guard lock(m_queueMutex);
    if (m_queue.empty())
        return false;
    msg = m_queue.front();
    m_queue.pop_front();
    bool stop = false;
    for (const Message& m : m_queue)
        stop = stop || m.id == GOGO_MSG_ABORT || m.id == GOGO_MSG_QUIT;
    m_stopPending = stop || m_terminate;
    return true;
}

void TEncodeThread::waitForMessage(int milliseconds)
{
    std::unique_lock lock(m_queueMutex);
    m_queueSignal.wait_for(lock, std::chrono::milliseconds(milliseconds),
                           [this] { return !m_queue.empty() || m_terminate; });
}

void TEncodeThread::post(int message, int wparam, int lparam)
{
    auto* event = new GogoMessageEvent(message, wparam, lparam);
    handOverRelease(event);
    QCoreApplication::postEvent(m_window, event);
}

void TEncodeThread::endJob()
{
    m_job->closeCoder();
    m_job->endCoder();
    m_busy = false;
    m_frames = 0;
}

void TEncodeThread::run()
{
    m_tid = gettid();
    // The caller's floating-point environment, given back after every job.
    fenv_t saved;
    fegetenv(&saved);

    while (!m_terminate) {
        Message msg;
        if (takeMessage(msg)) {
            switch (msg.id) {
            case GOGO_MSG_START:
                if (m_busy)
                    break;
                m_interval = msg.lparam > 0 ? msg.lparam : 1;
                m_totalFrames = msg.wparam;
                m_frames = 0;
                m_busy = true;
                applyThreadPriority(gettid(), static_cast<TThreadPriority>(m_priority.load()),
                                    m_processNice);
                // Defaults: every exception masked, round to nearest, and
                // on x87 extended precision (the encoder expects all three).
                fesetenv(FE_DFL_ENV);
                post(GOGO_MSG_PROGRESS, 0, m_totalFrames);
                break;
            case GOGO_MSG_ABORT:
            case GOGO_MSG_QUIT:
                // A job that has already ended posts nothing more: exactly
                // one job-ended message per job.
                if (m_busy) {
                    endJob();
                    fesetenv(&saved);
                    if (msg.id == GOGO_MSG_ABORT)
                        post(GOGO_MSG_END, -1, 0);
                }
                if (msg.id == GOGO_MSG_QUIT)
                    m_terminate = true;
                break;
            default:
                break;
            }
            continue;
        }
        if (!m_busy) {
            waitForMessage(100);
            continue;
        }

        int result;
        // A failed write leaves the system's reason in errno (a full disk:
        // ENOSPC); it goes with the error message, as errno is this
        // thread's own.
        errno = 0;
        try {
            result = m_job->processFrame();
        } catch (...) {
            result = 10;
        }
        const int systemError = errno;
        ++m_frames;
        // An abort or quit that arrived meanwhile decides how the job ends.
        if (m_stopPending)
            continue;
        if (result == 0) {
            if (m_frames % m_interval == 0)
                post(GOGO_MSG_PROGRESS, m_frames, m_totalFrames);
            continue;
        }
        if (result == 1) {
            post(GOGO_MSG_FINISHED, 0, 0);
            post(GOGO_MSG_PROGRESS, m_totalFrames, m_totalFrames);
        } else {
            post(GOGO_MSG_ERROR, result, result == GOGO_ERR_WRITE || result == GOGO_ERR_READ ? systemError : 0);
        }
        msleep(10);
        endJob();
        fesetenv(&saved);
        post(GOGO_MSG_END, result == 1 ? 0 : -1, 0);
    }

    if (m_busy) {
        endJob();
        fesetenv(&saved);
    }
    handOverRelease(this);
}

}
