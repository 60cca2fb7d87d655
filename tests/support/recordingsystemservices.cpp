// SPDX-License-Identifier: GPL-2.0-or-later
#include "recordingsystemservices.h"

namespace trackmill::test {

void RecordingSystemServices::setScreenSaverActive(bool active)
{
    calls.append(active ? QStringLiteral("screensaver:on") : QStringLiteral("screensaver:off"));
}

void RecordingSystemServices::requestPowerAction(PowerAction action)
{
    switch (action) {
    case PowerAction::Shutdown:
        calls.append(QStringLiteral("power:shutdown"));
        return;
    case PowerAction::Restart:
        calls.append(QStringLiteral("power:restart"));
        return;
    }
    calls.append(QStringLiteral("power:%1").arg(int(action)));
}

}
