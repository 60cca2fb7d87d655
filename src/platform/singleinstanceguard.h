// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QLockFile>
#include <QString>
#include <memory>

namespace trackmill {

// The guard against a second running copy: a lock file named after the
// mutex name in the user's runtime directory. The lock records our process
// id, so a copy that crashed leaves no lock that keeps the next start out.
class SingleInstanceGuard
{
public:
    SingleInstanceGuard(const QString& name, const QString& runtimeDir);

    // true when this process is now the one running copy; false when
    // another live copy holds the lock (or the lock cannot be made).
    bool tryAcquire();

    QString lockFilePath() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
};

}
