// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QtGlobal>

#include <functional>

namespace trackmill {

// A millisecond tick counter. The program uses the steady clock; tests hand
// in their own so they decide what time it is.
using TickClock = std::function<qint64()>;

// Milliseconds of a monotonic clock (never goes back when the wall clock is
// set).
TickClock steadyTickClock();

}
