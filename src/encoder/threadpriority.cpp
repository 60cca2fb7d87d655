// SPDX-License-Identifier: GPL-2.0-or-later
#include "threadpriority.h"

#include <algorithm>
#include <cerrno>
#include <sys/resource.h>

namespace trackmill {

int niceForPriority(TThreadPriority priority, int processNice)
{
    static constexpr int offsets[] = {19, 10, 5, 0, -5, -10, -15, -20};
    const int index = std::clamp(static_cast<int>(priority), 0, 7);
    return std::clamp(processNice + offsets[index], -20, 19);
}

int threadNice(pid_t tid)
{
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
    return errno == 0 ? nice : 0;
}

int applyThreadPriority(pid_t tid, TThreadPriority priority, int processNice)
{
    const int wanted = niceForPriority(priority, processNice);
    const id_t who = static_cast<id_t>(tid);
    if (setpriority(PRIO_PROCESS, who, wanted) == 0)
        return wanted;
    // Refused: the best RLIMIT_NICE allows is 20 - its soft limit.
    rlimit limit{};
    if (getrlimit(RLIMIT_NICE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        const int floor = std::clamp(20 - static_cast<int>(std::min<rlim_t>(limit.rlim_cur, 40)), -20, 19);
        const int current = threadNice(tid);
        const int best = std::max(wanted, floor);
        if (best < current && setpriority(PRIO_PROCESS, who, best) == 0)
            return best;
    }
    return threadNice(tid);
}

}
