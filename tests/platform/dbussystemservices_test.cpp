// SPDX-License-Identifier: GPL-2.0-or-later
// The D-Bus screen saver switch and power actions, against fake services on
// a private bus daemon of this test (never the desktop's or the system's).
#include "platform/dbussystemservices.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

using trackmill::DBusSystemServices;
using trackmill::SystemServices;

namespace {

// Both fake services note the calls they receive, in order.
QMutex g_mutex;
QStringList g_calls;
void note(const QString& call) { QMutexLocker lock(&g_mutex); g_calls << call; }
QStringList calls() { QMutexLocker lock(&g_mutex); return g_calls; }

class FakeScreenSaver : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
    uint next = 1000;
public slots:
    uint Inhibit(const QString& application, const QString& reason)
    {
        note(QStringLiteral("Inhibit %1 %2").arg(application, reason.isEmpty() ? "-" : "+"));
        return ++next;
    }
    void UnInhibit(uint cookie) { note(QStringLiteral("UnInhibit %1").arg(cookie)); }
};

class FakeLogin1 : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public slots:
    void PowerOff(bool interactive) { note(QStringLiteral("PowerOff %1").arg(interactive)); }
    void Reboot(bool interactive) { note(QStringLiteral("Reboot %1").arg(interactive)); }
};

class DBusSystemServicesTest : public testing::Test
{
protected:
    void SetUp() override
    {
        const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
        if (daemon.isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed";
        QFile config(dir.filePath("bus.conf"));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write("<busconfig><type>session</type><listen>unix:dir=" + dir.path().toUtf8()
                     + "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                       "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                       "<allow own=\"*\"/></policy></busconfig>\n");
        config.close();
        bus.start(daemon, {"--nofork", "--nopidfile", "--print-address=1", "--config-file=" + config.fileName()});
        ASSERT_TRUE(bus.waitForReadyRead(5000));
        const QString address = QString::fromUtf8(bus.readLine()).trimmed();

        g_calls.clear();
        // The services answer from their own thread: the code under test
        // blocks the main thread while it waits for the cookie.
        serviceThread.start();
        QDBusConnection service = QDBusConnection::connectToBus(address, "fake-services");
        const std::pair<const char*, QObject*> fakes[] = {{"ScreenSaver", &screenSaver}, {"login1", &login1}};
        for (const auto& [name, fake] : fakes) {
            fake->moveToThread(&serviceThread);
            ASSERT_TRUE(service.registerObject(QStringLiteral("/org/freedesktop/") + name, fake,
                                               QDBusConnection::ExportAllSlots));
            ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.") + name));
        }
        client = QDBusConnection::connectToBus(address, "client");
        ASSERT_TRUE(client.isConnected());
    }

    void TearDown() override
    {
        QDBusConnection::disconnectFromBus("client");
        QDBusConnection::disconnectFromBus("fake-services");
        serviceThread.quit();
        serviceThread.wait();
        bus.terminate();
        bus.waitForFinished(5000);
    }

    QTemporaryDir dir;
    QProcess bus;
    QThread serviceThread;
    FakeScreenSaver screenSaver;
    FakeLogin1 login1;
    QDBusConnection client{QString()};
};

TEST_F(DBusSystemServicesTest, ScreenSaverInhibitionKeepsItsCookie)
{
    {
        DBusSystemServices services(client, client);
        services.setScreenSaverActive(false);
        services.setScreenSaverActive(false);  // still the one inhibition
        services.setScreenSaverActive(true);
        services.setScreenSaverActive(true);   // nothing left to release
        services.setScreenSaverActive(false);
        // Destroyed while inhibiting: released on the way out.
    }
    EXPECT_EQ(calls(), (QStringList{"Inhibit Trackmill +", "UnInhibit 1001",
                                        "Inhibit Trackmill +", "UnInhibit 1002"}));
}

TEST_F(DBusSystemServicesTest, PowerActionsAskLogindInteractively)
{
    DBusSystemServices services(client, client);
    services.requestPowerAction(SystemServices::PowerAction::Shutdown);
    services.requestPowerAction(SystemServices::PowerAction(3));  // no such action
    services.requestPowerAction(SystemServices::PowerAction::Restart);
    // Not awaited by the code under test.
    for (QDeadlineTimer deadline(5000); calls().size() < 2 && !deadline.hasExpired(); QThread::msleep(10))
        QCoreApplication::processEvents();
    EXPECT_EQ(calls(), (QStringList{"PowerOff 1", "Reboot 1"}));
}

TEST_F(DBusSystemServicesTest, MissingServicesOrBusAreIgnored)
{
    QDBusConnection::disconnectFromBus("fake-services");
    DBusSystemServices services(client, client);
    services.setScreenSaverActive(false);
    services.setScreenSaverActive(true);
    services.requestPowerAction(SystemServices::PowerAction::Shutdown);
    EXPECT_TRUE(calls().isEmpty());

    DBusSystemServices withoutBus;  // the test main points both buses at "disabled:"
    withoutBus.setScreenSaverActive(false);
    withoutBus.requestPowerAction(SystemServices::PowerAction::Restart);
}

}

#include "dbussystemservices_test.moc"
