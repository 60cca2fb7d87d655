// SPDX-License-Identifier: GPL-2.0-or-later
// Start-up and closing of the program as a whole: the system's name in the
// status bar and what closing the main window saves.
#include "app/trackmillapp.h"

#include "app/mainwindow.h"
#include "platform/windowsversion.h"
#include "settings/settingswindow.h"
#include "ui/tstatusbarpro.h"
#include "ui/tstatuspanelpro.h"

namespace trackmill {

void TrackmillApp::wireStartUp()
{
    // The last step of start-up: panel 5 names the running system.
    m_form1->statusBar().panel(5)->setText(systemVersionName());
}

void TrackmillApp::formClose()
{
    saveOnClose();
}

void TrackmillApp::saveOnClose()
{
    // The settings first (an error box tells the user when they cannot be
    // written), then the disc's names, even when the settings failed: the
    // names are the user's typing and must not be lost with them.
    m_form2->saveSettings();
    storeDiscNames();
}

}
