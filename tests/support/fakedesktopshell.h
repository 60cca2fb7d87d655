// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "platform/systemservices.h"

#include <QList>
#include <QStringList>

namespace trackmill::test {

// Answers the folder and file dialogs from scripted queues (an empty queue
// answers as a cancelled dialog) and notes every opened link.
class FakeDesktopShell : public DesktopShell
{
public:
    QString selectDirectory(const QString&, const QString& start) override
    {
        directoryStarts.append(start);
        return directoryAnswers.isEmpty() ? QString() : directoryAnswers.takeFirst();
    }
    QStringList selectFiles(const QString&, const QString&, const QString&) override
    {
        return fileAnswers.isEmpty() ? QStringList() : fileAnswers.takeFirst();
    }
    void openUrl(const QString& url) override { openedUrls.append(url); }

    QStringList directoryAnswers;
    QStringList directoryStarts;  // the folder each folder dialog opened at
    QList<QStringList> fileAnswers;
    QStringList openedUrls;
};

}
