// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "platform/systemservices.h"

#include <QDBusConnection>
#include <QString>
#include <optional>

namespace trackmill {

// The screen saver switch and the power actions over D-Bus: the session
// bus's org.freedesktop.ScreenSaver (Inhibit / UnInhibit with the cookie it
// hands out) and the system bus's org.freedesktop.login1 Manager (PowerOff /
// Reboot, interactive, so polkit may ask the user). Every failure is ignored,
// as the program never examined the results; without a bus nothing happens.
class DBusSystemServices : public SystemServices
{
public:
    // The desktop's session and system buses.
    DBusSystemServices();
    // Given buses, for tests over a private bus daemon.
    DBusSystemServices(const QDBusConnection& sessionBus, const QDBusConnection& systemBus);
    // An inhibition still held is released: the screen saver must not stay
    // off because a run ended without switching it back on.
    ~DBusSystemServices() override;

    void setScreenSaverActive(bool active) override;
    void requestPowerAction(PowerAction action) override;

private:
    QDBusConnection m_sessionBus;
    QDBusConnection m_systemBus;
    std::optional<uint> m_cookie;
    QString m_cookiePath;  // the object path that handed out the cookie
};

}
