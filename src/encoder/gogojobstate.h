// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "gogo.h"

#include <memory>

namespace trackmill {

class GogoLibrary;

// The job state one encoder component drives: a handle of its own when the
// library offers handles, so components run their jobs at the same time;
// else the library's default job, which one component at a time can hold
// (a second one's initializeWork is refused while the first job is open).
// The seven calls of a job go to the state's entry points.
class GogoJobState
{
public:
    // Falls back to the default job when the library has no handles or
    // cannot make one now.
    explicit GogoJobState(std::shared_ptr<GogoLibrary> library);
    ~GogoJobState();
    GogoJobState(const GogoJobState&) = delete;
    GogoJobState& operator=(const GogoJobState&) = delete;

    // A state of its own, beside which other jobs may run.
    bool ownsHandle() const { return m_handle != nullptr; }

    MERET initializeWork();
    MERET setConfigure(MPARAM item, UPARAM value1, UPARAM value2);
    MERET getConfigure(MPARAM item, void* value);
    MERET detectConfigure();
    MERET processFrame();
    MERET closeCoder();
    MERET endCoder();

private:
    std::shared_ptr<GogoLibrary> m_library;
    GOGO_HANDLE m_handle = nullptr;
};

}
