// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "cddbservice.h"

namespace trackmill {

// CddbService through the library's C entry points (CDDBSetOption,
// CDDBQuery, CDDBGetDiskInfo) for the disc in the drive of one handle.
class AkripCddbService : public CddbService
{
public:
    explicit AkripCddbService(quint32 driveHandle);

    void setOption(Option option, const QByteArray& text, int value) override;
    QList<CddbMatchRecord> query(int capacity) override;
    std::optional<QString> diskInfo(const CddbMatchRecord& match) override;
    void cancel() override;

private:
    quint32 m_handle;
};

}
