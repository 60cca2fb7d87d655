// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "platform/systemservices.h"

#include <QList>
#include <QStringList>

namespace trackmill::test {

// Answers the folder and file dialogs from scripted queues (an empty queue
// answers as a cancelled dialog) and notes every request and opened link.
class FakeDesktopShell : public DesktopShell
{
public:
    struct Request
    {
        QString title;
        QString start;
        QString filter;  // empty for the folder browser
    };

    QString selectDirectory(const QString& title, const QString& start) override
    {
        requests.append({title, start, QString()});
        return directoryAnswers.isEmpty() ? QString() : directoryAnswers.takeFirst();
    }
    QStringList selectFiles(const QString& title, const QString& start, const QString& filter) override
    {
        requests.append({title, start, filter});
        return fileAnswers.isEmpty() ? QStringList() : fileAnswers.takeFirst();
    }
    void openUrl(const QString& url) override { openedUrls.append(url); }

    QStringList directoryAnswers;
    QList<QStringList> fileAnswers;
    QList<Request> requests;
    QStringList openedUrls;
};

}
