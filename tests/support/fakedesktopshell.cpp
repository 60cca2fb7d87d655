// SPDX-License-Identifier: GPL-2.0-or-later
#include "fakedesktopshell.h"

namespace trackmill::test {

QString FakeDesktopShell::selectDirectory(const QString& title, const QString& start)
{
    requests.append({title, start, QString()});
    return directoryAnswers.isEmpty() ? QString() : directoryAnswers.takeFirst();
}

QStringList FakeDesktopShell::selectFiles(const QString& title, const QString& start,
                                          const QString& filter)
{
    requests.append({title, start, filter});
    return fileAnswers.isEmpty() ? QStringList() : fileAnswers.takeFirst();
}

}
