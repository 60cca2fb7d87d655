// SPDX-License-Identifier: GPL-2.0-or-later
#include "backgroundcddbservice.h"

#include "runaside.h"

namespace trackmill {

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
