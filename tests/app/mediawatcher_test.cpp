// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/mediawatcher.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

using namespace trackmill;

namespace {

// Runs the event loop for ms milliseconds.
void pump(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
}

class MediaWatcherTest : public ::testing::Test
{
protected:
    MediaWatcherTest() { discs = dir.path() + "/Discs"; }

    void write(const QString& name, const QByteArray& bytes, QIODevice::OpenMode mode = QIODevice::WriteOnly)
    {
        QFile f(discs + "/" + name);
        ASSERT_TRUE(f.open(mode));
        f.write(bytes);
    }

    QTemporaryDir dir;
    QString discs;
};

TEST_F(MediaWatcherTest, AnImageAddedAndRemovedIsReportedOnceEach)
{
    QDir().mkpath(discs);
    MediaWatcher watcher(MediaWatcher::Options{discs, false, 100});
    QSignalSpy spy(&watcher, &MediaWatcher::mediaChanged);

    write("Disc.bin", QByteArray(4096, '\0'));
    write("Disc.cue", "FILE \"Disc.bin\" BINARY\n");
    pump(700);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toString(), QDir(discs).absoluteFilePath("Disc.cue"));

    QFile::remove(discs + "/Disc.cue");
    QFile::remove(discs + "/Disc.bin");
    pump(700);
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(1).at(0).toString(), "");
}

TEST_F(MediaWatcherTest, AGrowingImageIsReportedWhenItStandsStill)
{
    QDir().mkpath(discs);
    MediaWatcher watcher(MediaWatcher::Options{discs, false, 100});
    QSignalSpy spy(&watcher, &MediaWatcher::mediaChanged);

    write("Big.bin", QByteArray(1024, '\0'));
    // Keep writing for longer than a settle interval: nothing is reported
    // while the file grows.
    for (int i = 0; i < 8; ++i) {
        pump(60);
        write("Big.bin", QByteArray(1024, '\1'), QIODevice::Append);
    }
    EXPECT_EQ(spy.count(), 0);
    pump(700);
    EXPECT_EQ(spy.count(), 1);
}

TEST_F(MediaWatcherTest, AFolderMadeLaterIsWatchedToo)
{
    MediaWatcher watcher(MediaWatcher::Options{discs, false, 100});
    QSignalSpy spy(&watcher, &MediaWatcher::mediaChanged);
    QDir().mkpath(discs);
    pump(500);
    EXPECT_EQ(spy.count(), 0);  // an empty folder holds no medium
    write("Late.cue", "x");
    pump(700);
    EXPECT_EQ(spy.count(), 1);
}

}
