// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/singleinstanceguard.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using trackmill::SingleInstanceGuard;

namespace {
const QString Name = QStringLiteral("Trackmill Freeware 2001");
}

TEST(SingleInstanceGuard, SecondCopyIsRefusedUntilTheFirstEnds)
{
    QTemporaryDir root;
    const QString runtime = root.path() + "/not/yet/there";  // made when missing
    auto first = std::make_unique<SingleInstanceGuard>(Name, runtime);
    ASSERT_TRUE(first->tryAcquire());
    EXPECT_TRUE(first->tryAcquire()) << "asking again keeps the lock";
    EXPECT_TRUE(QFile::exists(runtime + "/Trackmill_Freeware_2001.lock"));

    SingleInstanceGuard second(Name, runtime);
    EXPECT_FALSE(second.tryAcquire());

    first.reset();
    EXPECT_TRUE(second.tryAcquire());
}

TEST(SingleInstanceGuard, LockOfACrashedCopyDoesNotKeepTheNextStartOut)
{
    QTemporaryDir runtime;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SingleInstanceGuard crashed(Name, runtime.path());
        // End without unlocking, as a crash would.
        _exit(crashed.tryAcquire() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(QFile::exists(runtime.path() + "/Trackmill_Freeware_2001.lock"));

    SingleInstanceGuard next(Name, runtime.path());
    EXPECT_TRUE(next.tryAcquire());
}
