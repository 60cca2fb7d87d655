// SPDX-License-Identifier: GPL-2.0-or-later
// A full disk, as far as one process can tell: a file size limit makes a
// write beyond it come out short, and the next one fail with EFBIG, as
// ENOSPC does on a full file system.
#pragma once

#include <csignal>
#include <sys/resource.h>

namespace trackmill::test {

class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        // Without this the first write past the limit ends the test.
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_set = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() { lift(); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    bool set() const { return m_set; }
    // Ends the limit before the scope does (to look at the files written).
    void lift()
    {
        if (m_set)
            setrlimit(RLIMIT_FSIZE, &m_old);
        if (m_oldHandler != SIG_ERR)
            std::signal(SIGXFSZ, m_oldHandler);
        m_set = false;
        m_oldHandler = SIG_ERR;
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = SIG_ERR;
    bool m_set = false;
};

}
