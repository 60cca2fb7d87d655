// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QtGlobal>

#include <map>

namespace trackmill {

// Milliseconds spent ripping each track of the batch, slot n = track n.
// Slots appear as tracks are ripped, so any track number fits; a slot never
// set counts as 0.
class GrabTimeTable
{
public:
    // Empties every slot (at the start of a batch).
    void clear() { m_slots.clear(); }
    // Stores the grab time of a track; track numbers below 1 are ignored.
    void set(int track, qint64 ms);
    qint64 at(int track) const;
    // Sum of the slots first to last, both included.
    qint64 sum(int first, int last) const;
    bool isEmpty() const { return m_slots.empty(); }

private:
    std::map<int, qint64> m_slots;
};

}
