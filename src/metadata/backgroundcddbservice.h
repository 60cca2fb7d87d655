// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "cddbservice.h"

#include <memory>

namespace trackmill {

// Runs the network calls of another CddbService (the query and the disc
// information) on a worker thread while the calling thread goes on
// processing all its events, input included: the windows repaint, timers
// fire and the user can cancel (cancel() reaches the running request at
// once). The caller keeps the lookup from being started again meanwhile.
// Options are set directly (no I/O).
class BackgroundCddbService : public CddbService
{
public:
    explicit BackgroundCddbService(std::unique_ptr<CddbService> service);
    ~BackgroundCddbService() override;

    void setOption(Option option, const QByteArray& text, int value) override;
    QList<CddbMatchRecord> query(int capacity) override;
    std::optional<QString> diskInfo(const CddbMatchRecord& match) override;
    void cancel() override;

private:
    std::unique_ptr<CddbService> m_service;
};

}
