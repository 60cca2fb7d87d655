// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

namespace trackmill {

// The processors this process may run on (its CPU affinity, which a
// container, taskset or cgroup cpuset may narrow), at least 1.
int usableCores();

}
