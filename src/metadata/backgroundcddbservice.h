// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "cddbservice.h"

#include <memory>

namespace trackmill {

// Runs the network calls of another CddbService (the query and the disc
// information) on a worker thread while the calling thread goes on
// processing its events, so the windows keep repainting and timers keep
// firing during a request that may take up to the library's time limit.
// Input events wait until the call returns: the lookup cannot be started
// twice or the window closed under it. Options are set directly (no I/O).
class BackgroundCddbService : public CddbService
{
public:
    explicit BackgroundCddbService(std::unique_ptr<CddbService> service);
    ~BackgroundCddbService() override;

    void setOption(Option option, const QByteArray& text, int value) override;
    QList<CddbMatchRecord> query(int capacity) override;
    std::optional<QString> diskInfo(const CddbMatchRecord& match) override;

private:
    std::unique_ptr<CddbService> m_service;
};

}
