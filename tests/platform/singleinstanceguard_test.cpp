// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/singleinstanceguard.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using trackmill::SingleInstanceGuard;

TEST(SingleInstanceGuard, SecondCopyIsRefusedUntilTheFirstEndsOrCrashes)
{
    QTemporaryDir root;
    const QString runtime = root.path() + "/not/yet/there";  // made when missing
    const QString name = QStringLiteral("Trackmill Freeware 2001");
    auto first = std::make_unique<SingleInstanceGuard>(name, runtime);
    ASSERT_TRUE(first->tryAcquire());
    EXPECT_TRUE(first->tryAcquire()) << "asking again keeps the lock";
    EXPECT_TRUE(QFile::exists(runtime + "/Trackmill_Freeware_2001.lock"));
    SingleInstanceGuard second(name, runtime);
    EXPECT_FALSE(second.tryAcquire());
    first.reset();
    EXPECT_TRUE(second.tryAcquire());

    // A copy that ends without unlocking, as a crash would, keeps nobody out.
    const QString other = root.path() + "/other";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        _exit(SingleInstanceGuard(name, other).tryAcquire() ? 0 : 1);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(QFile::exists(other + "/Trackmill_Freeware_2001.lock"));
    EXPECT_TRUE(SingleInstanceGuard(name, other).tryAcquire());
}
