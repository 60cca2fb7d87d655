// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "gogoteatypes.h"

#include <sys/types.h>

namespace trackmill {

// Linux has no per-thread priority classes for ordinary threads; what it
// has is a nice value per thread (-20 highest .. 19 lowest). The levels map
// onto nice values relative to the process's own nice value:
//   tpIdle +19, tpLowest +10, tpLower +5, tpNormal 0,
//   tpHigher -5, tpHighest -10, tpTimeCritical -15,
//   tpPlatformHighest -20 (the settings list's eighth entry),
// clamped to -20..19. An unprivileged process may not lower a nice value
// below what RLIMIT_NICE allows (usually: below the current one), so a
// raise is cut to the best value allowed, and when even that is refused
// the thread keeps its priority; tpPlatformHighest thus gives the highest
// priority the system grants. Real-time scheduling is not used: a
// CPU-bound real-time encoder would starve the window thread, which reads
// the drive while the encoder runs.
int niceForPriority(TThreadPriority priority, int processNice);

// Applies the level to the thread `tid` (a kernel thread id); returns the
// nice value the thread has afterwards.
int applyThreadPriority(pid_t tid, TThreadPriority priority, int processNice);

// The nice value of thread `tid`.
int threadNice(pid_t tid);

}
