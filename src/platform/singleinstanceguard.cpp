// SPDX-License-Identifier: GPL-2.0-or-later
#include "singleinstanceguard.h"

#include <QDir>

namespace trackmill {

namespace {
// "Trackmill Freeware 2001" -> "Trackmill_Freeware_2001.lock"
QString lockFileName(const QString& name)
{
    QString safe;
    for (const QChar c : name)
        safe += (c.isLetterOrNumber() || c == u'-' || c == u'.') ? c : QChar(u'_');
    return safe + QStringLiteral(".lock");
}
}

SingleInstanceGuard::SingleInstanceGuard(const QString& name, const QString& runtimeDir)
    : m_path(QDir(runtimeDir).filePath(lockFileName(name)))
{
}

bool SingleInstanceGuard::tryAcquire()
{
    if (m_lock && m_lock->isLocked())
        return true;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    m_lock = std::make_unique<QLockFile>(m_path);
    // Never stale by age: a copy may run for days. A lock whose process is
    // gone is removed by QLockFile on its own.
    m_lock->setStaleLockTime(0);
    return m_lock->tryLock(0);
}

}
