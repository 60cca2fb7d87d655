// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "platform/systemservices.h"

#include <QStringList>

namespace trackmill::test {

// Notes every request in order as "screensaver:off", "screensaver:on",
// "power:shutdown" or "power:restart"; never reaches the real services.
class RecordingSystemServices : public SystemServices
{
public:
    void setScreenSaverActive(bool active) override;
    void requestPowerAction(PowerAction action) override;

    QStringList calls;
};

}
