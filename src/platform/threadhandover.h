// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// Qt hands a posted event from one thread to another under locks of its
// own, and QThread::wait() learns of a thread's end the same way. A
// ThreadSanitizer build sees neither (Qt is not built with it), so it would
// take every hand-over for a data race. Where our code posts data to
// another thread (or ends a thread another one waits for), the sender
// calls handOverRelease on what it hands over, after the last write, and
// the receiver handOverAcquire on it before the first read: the build then
// sees the order Qt guarantees. In other builds both do nothing.
#if defined(__SANITIZE_THREAD__)
#define TRACKMILL_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TRACKMILL_THREAD_SANITIZER 1
#endif
#endif
#if defined(TRACKMILL_THREAD_SANITIZER)
#include <sanitizer/tsan_interface.h>
#endif

namespace trackmill {

inline void handOverRelease([[maybe_unused]] const void* what)
{
#if defined(TRACKMILL_THREAD_SANITIZER)
    __tsan_release(const_cast<void*>(what));
#endif
}

inline void handOverAcquire([[maybe_unused]] const void* what)
{
#if defined(TRACKMILL_THREAD_SANITIZER)
    __tsan_acquire(const_cast<void*>(what));
#endif
}

}
