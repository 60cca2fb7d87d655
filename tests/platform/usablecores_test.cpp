// SPDX-License-Identifier: GPL-2.0-or-later
// The processors a run may use follow the affinity the process was given
// (taskset, a container's cpuset), not the machine's count.
#include "platform/usablecores.h"

#include <gtest/gtest.h>
#include <sched.h>

using namespace trackmill;

TEST(UsableCores, FollowTheAffinity)
{
    cpu_set_t all;
    ASSERT_EQ(sched_getaffinity(0, sizeof all, &all), 0);
    EXPECT_EQ(usableCores(), CPU_COUNT(&all));
    int first = 0;
    while (!CPU_ISSET(first, &all))
        ++first;
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(first, &one);
    ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
    EXPECT_EQ(usableCores(), 1);
    ASSERT_EQ(sched_setaffinity(0, sizeof all, &all), 0);
}
