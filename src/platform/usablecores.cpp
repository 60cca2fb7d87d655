// SPDX-License-Identifier: GPL-2.0-or-later
#include "usablecores.h"

#include <sched.h>
#include <unistd.h>

#include <algorithm>

namespace trackmill {

int usableCores()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        return std::max(1, CPU_COUNT(&set));
    // Affinity unknown (more processors than the set holds): those online.
    return int(std::max(1L, sysconf(_SC_NPROCESSORS_ONLN)));
}

}
