// SPDX-License-Identifier: GPL-2.0-or-later
#include "windowsversion.h"

#include <QSysInfo>

namespace trackmill {

QString windowsVersionName(int platform, int major, int minor, const QString& servicePack)
{
    const QString sp = servicePack.trimmed();
    if (platform == 1) {
        if (minor == 0)
            return sp == u"B" ? QStringLiteral("Windows95OSR") : QStringLiteral("Windows95");
        if (minor == 10)
            return sp == u"A" ? QStringLiteral("Windows98SE") : QStringLiteral("Windows98");
        if (minor == 90)
            return QStringLiteral("WindowsMe");
    } else if (platform == 2) {
        if (major == 3)
            return QStringLiteral("WindowsNT3");
        if (major == 4)
            return QStringLiteral("WindowsNT4");
        if (major == 5 && minor == 0)
            return QStringLiteral("Windows2000");
        if (major == 5 && minor == 1)
            return QStringLiteral("WindowsXP");
    }
    return QStringLiteral("Windows???");
}

QString systemVersionName()
{
    const QString name = QSysInfo::prettyProductName();
    return name.isEmpty() ? QSysInfo::kernelType() : name;
}

}
