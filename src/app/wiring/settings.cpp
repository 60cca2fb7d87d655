// SPDX-License-Identifier: GPL-2.0-or-later
// This subsystem's place in the program: its windows, commands and hooks.
#include "app/trackmillapp.h"

#include "settings/settingswindow.h"

namespace trackmill {

// The settings window loads the settings file when it is made, serves the
// main window's Settings button and installs the main window's hooks that
// concern it (TForm2::wireMainWindow); the tag editor holds USEID3v1 and
// USEID3v2 for it.
void TrackmillApp::wireSettings()
{
    m_form2 = std::make_unique<TForm2>(TForm2::Collaborators{
        *m_settings, *m_form1, *m_drives, *m_driveList, *m_tracks, m_services.shell,
        m_services.messageBoxes, m_services.paths, m_form4.get()});
    m_splitCharacter = [this] { return m_form2->namingSettings().splitCharacter; };
}

}
