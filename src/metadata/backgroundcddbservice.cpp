// SPDX-License-Identifier: GPL-2.0-or-later
#include "backgroundcddbservice.h"

#include <QEventLoop>
#include <QMetaObject>

#include <exception>
#include <optional>
#include <thread>

namespace trackmill {

namespace {

// Calls work() on a thread of its own and runs a local event loop until it
// has returned. An exception thrown by work() reaches the caller.
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

BackgroundCddbService::BackgroundCddbService(std::unique_ptr<CddbService> service)
    : m_service(std::move(service))
{
}

BackgroundCddbService::~BackgroundCddbService() = default;

void BackgroundCddbService::setOption(Option option, const QByteArray& text, int value)
{
    m_service->setOption(option, text, value);
}

QList<CddbMatchRecord> BackgroundCddbService::query(int capacity)
{
    return runAside<QList<CddbMatchRecord>>([&] { return m_service->query(capacity); });
}

std::optional<QString> BackgroundCddbService::diskInfo(const CddbMatchRecord& match)
{
    return runAside<std::optional<QString>>([&] { return m_service->diskInfo(match); });
}

void BackgroundCddbService::cancel()
{
    m_service->cancel();
}

}
