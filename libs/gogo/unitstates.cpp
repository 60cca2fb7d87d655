// SPDX-License-Identifier: LGPL-2.1-or-later
#include "unitstates.h"

#include "gogo.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace gogo {

int32_t unitStates()
{
    int32_t flags = 0;
#if defined(__i386__) || defined(__x86_64__)
    unsigned a, b, c, d;
    if (__get_cpuid(1, &a, &b, &c, &d)) {
        if (d & (1u << 23))
            flags |= GOGO_UNIT_MMX;
        if (d & (1u << 25))
            flags |= GOGO_UNIT_SSE;
    }
    // AMD's extended leaf: bit 31 3DNow!, bit 30 its extensions.
    if (__get_cpuid(0x80000001u, &a, &b, &c, &d)) {
        if (d & (1u << 31))
            flags |= GOGO_UNIT_3DNOW;
        if (d & (1u << 30))
            flags |= GOGO_UNIT_EX_3DNOW;
    }
#endif
    return flags;
}

}
