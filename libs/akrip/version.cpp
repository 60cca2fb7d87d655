// SPDX-License-Identifier: LGPL-2.1-or-later
#include "akrip32.h"

// Major in bits 8-15, minor in bits 0-7.
DWORD GetAKRipDllVersion(void)
{
    return (static_cast<DWORD>(AKRIP_VERSION_MAJOR) << 8) | AKRIP_VERSION_MINOR;
}
