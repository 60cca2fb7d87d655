// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "platform/systemservices.h"

#include <QStringList>

namespace trackmill::test {

// Notes every request in order ("screensaver:off", "screensaver:on",
// "power:shutdown", "power:restart"); never reaches the real services.
class RecordingSystemServices : public SystemServices
{
public:
    void setScreenSaverActive(bool active) override
    {
        calls.append(active ? QStringLiteral("screensaver:on") : QStringLiteral("screensaver:off"));
    }
    void requestPowerAction(PowerAction action) override
    {
        calls.append(action == PowerAction::Shutdown  ? QStringLiteral("power:shutdown")
                     : action == PowerAction::Restart ? QStringLiteral("power:restart")
                                                      : QStringLiteral("power:%1").arg(int(action)));
    }

    QStringList calls;
};

}
