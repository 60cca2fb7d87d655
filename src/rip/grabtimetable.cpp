// SPDX-License-Identifier: GPL-2.0-or-later
#include "grabtimetable.h"

namespace trackmill {

void GrabTimeTable::set(int track, qint64 ms)
{
    if (track >= 1)
        m_slots[track] = ms;
}

qint64 GrabTimeTable::at(int track) const
{
    const auto it = m_slots.find(track);
    return it == m_slots.end() ? 0 : it->second;
}

qint64 GrabTimeTable::sum(int first, int last) const
{
    qint64 total = 0;
    for (auto it = m_slots.lower_bound(first); it != m_slots.end() && it->first <= last; ++it)
        total += it->second;
    return total;
}

}
