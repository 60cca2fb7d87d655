// SPDX-License-Identifier: GPL-2.0-or-later
#include "qtdesktopshell.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>

namespace trackmill {

QString QtDesktopShell::selectDirectory(const QString& title, const QString& start)
{
    return QFileDialog::getExistingDirectory(QApplication::activeWindow(), title, start,
                                             QFileDialog::ShowDirsOnly);
}

QStringList QtDesktopShell::selectFiles(const QString& title, const QString& start,
                                        const QString& filter)
{
    return QFileDialog::getOpenFileNames(QApplication::activeWindow(), title, start, filter);
}

void QtDesktopShell::openUrl(const QString& url)
{
    const QString text = url.trimmed();
    if (text.isEmpty())
        return;
    QUrl target(text);
    if (target.scheme().isEmpty())
        target = QUrl::fromUserInput(text);
    if (target.isValid())
        QDesktopServices::openUrl(target);
}

}
