// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/mediawatcher.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace trackmill;

namespace {

TEST(MediaWatcherTest, AnImageIsReportedOnceWhenCompleteAndOnceWhenGone)
{
    QTemporaryDir dir;
    const QString discs = dir.path() + "/Discs";
    const auto write = [&](const QString& name, const QByteArray& bytes, QIODevice::OpenMode mode = QIODevice::WriteOnly) {
        QFile f(discs + "/" + name);
        EXPECT_TRUE(f.open(mode) && f.write(bytes) == bytes.size());
    };
    // The folder is made after the watcher starts.
    MediaWatcher watcher(MediaWatcher::Options{discs, false, 100});
    QSignalSpy spy(&watcher, &MediaWatcher::mediaChanged);
    QDir().mkpath(discs);

    write("Disc.bin", QByteArray(4096, '\0'));
    write("Disc.cue", "FILE \"Disc.bin\" BINARY\n");
    QTest::qWait(700);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toString(), QDir(discs).absoluteFilePath("Disc.cue"));

    QFile::remove(discs + "/Disc.cue");
    QFile::remove(discs + "/Disc.bin");
    QTest::qWait(700);
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(1).at(0).toString(), "");

    // Files beside the images are no media: a note, a cover, a rip.
    write("notes.txt", "x");
    write("cover.jpg", QByteArray(2048, '\3'));
    QTest::qWait(400);
    write("notes.txt", "more", QIODevice::Append);
    QTest::qWait(400);
    EXPECT_EQ(spy.count(), 2);

    // A growing image is reported once it stands still: nothing while it
    // keeps growing for longer than a settle interval. Its BIN is the file
    // the sheet names, whatever the path in front of the name.
    write("Big.cue", "REM made elsewhere\r\nFILE \"C:\\Rips\\BIG.bin\" BINARY\r\n");
    QTest::qWait(700);
    ASSERT_EQ(spy.count(), 3);
    write("Big.bin", QByteArray(1024, '\0'));
    for (int i = 0; i < 8; ++i) {
        QTest::qWait(60);
        write("Big.bin", QByteArray(1024, '\1'), QIODevice::Append);
    }
    EXPECT_EQ(spy.count(), 3);
    QTest::qWait(700);
    EXPECT_EQ(spy.count(), 4);
}

}
