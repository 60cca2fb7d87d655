// SPDX-License-Identifier: LGPL-2.1-or-later
#pragma once

#include <cstdint>

namespace gogo {

// The GOGO_UNIT_* flags of the processor this code runs on, from CPUID.
int32_t unitStates();

}
