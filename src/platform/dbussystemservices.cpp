// SPDX-License-Identifier: GPL-2.0-or-later
#include "dbussystemservices.h"

#include <QDBusMessage>
#include <QDBusPendingCall>

namespace trackmill {

namespace {

const QString kScreenSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kScreenSaverInterface = QStringLiteral("org.freedesktop.ScreenSaver");
// The freedesktop path first; older KDE and some others only serve /ScreenSaver.
const QString kScreenSaverPaths[] = {QStringLiteral("/org/freedesktop/ScreenSaver"),
                                     QStringLiteral("/ScreenSaver")};
const QString kLogin1Service = QStringLiteral("org.freedesktop.login1");
const QString kLogin1Path = QStringLiteral("/org/freedesktop/login1");
const QString kLogin1Manager = QStringLiteral("org.freedesktop.login1.Manager");

// Short: the window thread waits for the cookie.
constexpr int kScreenSaverTimeoutMs = 3000;
// Long: polkit may show an authentication dialog before answering.
constexpr int kPowerTimeoutMs = 120000;

}

DBusSystemServices::DBusSystemServices()
    : DBusSystemServices(QDBusConnection::sessionBus(), QDBusConnection::systemBus())
{
}

DBusSystemServices::DBusSystemServices(const QDBusConnection& sessionBus,
                                       const QDBusConnection& systemBus)
    : m_sessionBus(sessionBus)
    , m_systemBus(systemBus)
{
}

DBusSystemServices::~DBusSystemServices()
{
    setScreenSaverActive(true);
}

void DBusSystemServices::setScreenSaverActive(bool active)
{
    if (!m_sessionBus.isConnected())
        return;
    if (active) {
        if (!m_cookie)
            return;
        QDBusMessage call = QDBusMessage::createMethodCall(kScreenSaverService, m_cookiePath,
                                                           kScreenSaverInterface,
                                                           QStringLiteral("UnInhibit"));
        call << *m_cookie;
        m_sessionBus.call(call, QDBus::Block, kScreenSaverTimeoutMs);
        m_cookie.reset();
        return;
    }
    // Switching off twice keeps the one inhibition, so one switch on ends it.
    if (m_cookie)
        return;
    for (const QString& path : kScreenSaverPaths) {
        QDBusMessage call = QDBusMessage::createMethodCall(kScreenSaverService, path,
                                                           kScreenSaverInterface,
                                                           QStringLiteral("Inhibit"));
        call << QStringLiteral("Trackmill") << QStringLiteral("Ripping an audio CD");
        const QDBusMessage reply = m_sessionBus.call(call, QDBus::Block, kScreenSaverTimeoutMs);
        if (reply.type() == QDBusMessage::ReplyMessage && reply.arguments().size() == 1
            && reply.arguments().front().canConvert<uint>()) {
            m_cookie = reply.arguments().front().toUInt();
            m_cookiePath = path;
            return;
        }
        // No such service at all: the other path will not help either.
        if (reply.type() == QDBusMessage::ErrorMessage
            && reply.errorName() == QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown"))
            return;
    }
}

void DBusSystemServices::requestPowerAction(PowerAction action)
{
    if (!m_systemBus.isConnected())
        return;
    QString method;
    switch (action) {
    case PowerAction::Shutdown:
        method = QStringLiteral("PowerOff");
        break;
    case PowerAction::Restart:
        method = QStringLiteral("Reboot");
        break;
    }
    // Whatever else reaches here must never power the machine off.
    if (method.isEmpty())
        return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kLogin1Service, kLogin1Path, kLogin1Manager, method);
    call << true;  // interactive: polkit may ask for a password
    // Not awaited: the answer is not examined and the window must stay live
    // while an authentication dialog is open.
    m_systemBus.asyncCall(call, kPowerTimeoutMs);
}

}
