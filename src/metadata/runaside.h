// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QEventLoop>
#include <QMetaObject>

#include <exception>
#include <optional>
#include <thread>

namespace trackmill {

// Calls work() on a thread of its own and runs a local event loop until it
// has returned, so the calling thread (the window thread) goes on with all
// its events, input included, while a request waits for its server. An
// exception thrown by work() reaches the caller.
template <typename Result, typename Work>
Result runAside(Work work)
{
    std::optional<Result> result;
    std::exception_ptr failure;
    QEventLoop loop;
    std::thread worker([&] {
        try {
            result.emplace(work());
        } catch (...) {
            failure = std::current_exception();
        }
        // Queued: the quit runs inside exec() even when the work was done
        // before exec() started.
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
    return std::move(*result);
}

}
