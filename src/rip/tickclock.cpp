// SPDX-License-Identifier: GPL-2.0-or-later
#include "tickclock.h"

#include <chrono>

namespace trackmill {

TickClock steadyTickClock()
{
    return [] {
        using namespace std::chrono;
        return qint64(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
    };
}

}
