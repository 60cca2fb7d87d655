// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace trackmill {

// The desktop services around a run: the screen saver switch and the
// after-run power action. The real implementation talks D-Bus
// (org.freedesktop.ScreenSaver, org.freedesktop.login1); tests pass a
// recording fake and never reach the real services.
class SystemServices
{
public:
    virtual ~SystemServices() = default;
    // false: keep the screen saver from starting (inhibit); true: allow it again.
    virtual void setScreenSaverActive(bool active) = 0;
    enum class PowerAction { Shutdown = 1, Restart = 2 };
    // Asks the system to power off or reboot. The result is not examined.
    virtual void requestPowerAction(PowerAction action) = 0;
};

// Shell services of the windows: folder browser, file chooser, opening a
// link with the desktop's default handler. Behind an interface so that
// window tests answer the dialogs themselves.
class DesktopShell
{
public:
    virtual ~DesktopShell() = default;
    // Empty when the user cancelled.
    virtual QString selectDirectory(const QString& title, const QString& start) = 0;
    virtual QStringList selectFiles(const QString& title, const QString& start,
                                    const QString& filter) = 0;
    virtual void openUrl(const QString& url) = 0;
};

}
