// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/singleinstanceguard.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using trackmill::SingleInstanceGuard;

// The second copy refused while the first runs is part of the whole-program test.
TEST(SingleInstanceGuard, LockIsFreeAgainWhenTheFirstCopyEndsOrCrashes)
{
    QTemporaryDir root;
    const QString runtime = root.path() + "/not/yet/there";  // made when missing
    const QString name = QStringLiteral("Trackmill Freeware 2001");
    auto first = std::make_unique<SingleInstanceGuard>(name, runtime);
    ASSERT_TRUE(first->tryAcquire());
    SingleInstanceGuard second(name, runtime);
    EXPECT_FALSE(second.tryAcquire());
    first.reset();
    EXPECT_TRUE(second.tryAcquire());

    // A copy that ends without unlocking, as a crash would, keeps nobody out.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        _exit(SingleInstanceGuard(name, root.path()).tryAcquire() ? 0 : 1);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(SingleInstanceGuard(name, root.path()).tryAcquire());
}
