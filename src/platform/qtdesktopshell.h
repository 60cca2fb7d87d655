// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "platform/systemservices.h"

namespace trackmill {

// The shell services with Qt's dialogs, owned by the active window, and the
// desktop's default handlers for links.
class QtDesktopShell : public DesktopShell
{
public:
    QString selectDirectory(const QString& title, const QString& start) override;
    QStringList selectFiles(const QString& title, const QString& start,
                            const QString& filter) override;
    // "mailto:..." and "http://..." as they stand; a bare "www.example.org"
    // is taken as a web address.
    void openUrl(const QString& url) override;
};

}
