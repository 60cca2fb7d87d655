// SPDX-License-Identifier: GPL-2.0-or-later
// The D-Bus screen saver switch and power actions, against fake services on
// a private bus daemon of this test (never the desktop's or the system's).
#include "platform/dbussystemservices.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QMutex>
#include <QMutexLocker>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

using trackmill::DBusSystemServices;
using trackmill::SystemServices;

namespace {

// Both fake services note the calls they receive, in order.
struct CallLog
{
    mutable QMutex mutex;
    QStringList list;
    void add(const QString& call) { QMutexLocker lock(&mutex); list.append(call); }
    QStringList calls() const { QMutexLocker lock(&mutex); return list; }
};

class FakeScreenSaver : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    CallLog* log = nullptr;
    uint next = 1000;
public slots:
    uint Inhibit(const QString& application, const QString& reason)
    {
        log->add(QStringLiteral("Inhibit %1 %2").arg(application, reason.isEmpty() ? "-" : "+"));
        return ++next;
    }
    void UnInhibit(uint cookie) { log->add(QStringLiteral("UnInhibit %1").arg(cookie)); }
};

class FakeLogin1 : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    CallLog* log = nullptr;
public slots:
    void PowerOff(bool interactive) { log->add(QStringLiteral("PowerOff %1").arg(interactive)); }
    void Reboot(bool interactive) { log->add(QStringLiteral("Reboot %1").arg(interactive)); }
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

        screenSaver.log = login1.log = &log;
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
    CallLog log;
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
    EXPECT_EQ(log.calls(), (QStringList{"Inhibit Trackmill +", "UnInhibit 1001",
                                        "Inhibit Trackmill +", "UnInhibit 1002"}));
}

TEST_F(DBusSystemServicesTest, PowerActionsAskLogindInteractively)
{
    DBusSystemServices services(client, client);
    services.requestPowerAction(SystemServices::PowerAction::Shutdown);
    services.requestPowerAction(SystemServices::PowerAction(3));  // no such action
    services.requestPowerAction(SystemServices::PowerAction::Restart);
    // Not awaited by the code under test.
    for (QDeadlineTimer deadline(5000); log.calls().size() < 2 && !deadline.hasExpired(); QThread::msleep(10))
        QCoreApplication::processEvents();
    EXPECT_EQ(log.calls(), (QStringList{"PowerOff 1", "Reboot 1"}));
}

TEST_F(DBusSystemServicesTest, MissingServicesOrBusAreIgnored)
{
    QDBusConnection::disconnectFromBus("fake-services");
    DBusSystemServices services(client, client);
    services.setScreenSaverActive(false);
    services.setScreenSaverActive(true);
    services.requestPowerAction(SystemServices::PowerAction::Shutdown);
    EXPECT_TRUE(log.calls().isEmpty());

    DBusSystemServices withoutBus;  // the test main points both buses at "disabled:"
    withoutBus.setScreenSaverActive(false);
    withoutBus.requestPowerAction(SystemServices::PowerAction::Restart);
}

}

#include "dbussystemservices_test.moc"
