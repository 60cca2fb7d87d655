// SPDX-License-Identifier: GPL-2.0-or-later
// This subsystem's place in the program: the settings window, the main
// window's Settings button, and the steps of either window that concern it.
#include "app/trackmillapp.h"

#include "app/mainwindow.h"
#include "settings/settingswindow.h"

namespace trackmill {

// The settings window loads the settings file when it is made; the tag
// editor holds USEID3v1 and USEID3v2 for it.
void TrackmillApp::wireSettings()
{
    m_form2 = std::make_unique<TForm2>(TForm2::Collaborators{
        *m_settings, static_cast<SettingsWindowSteps&>(*this), *m_discNames, *m_drives, *m_driveList, *m_tracks,
        m_services.shell, m_services.messageBoxes, m_services.paths, m_form4.get()});
    m_splitCharacter = [this] { return m_form2->namingSettings().splitCharacter; };

    // TForm1.SettingsClick
    m_form1->setCommand(QStringLiteral("Settings"), [this] { m_form2->SettingsClick(); });
}

bool TrackmillApp::useCdPlayerIniTicked() const
{
    return m_form2->useCdPlayerIniTicked();
}

void TrackmillApp::saveSettings()
{
    m_form2->saveSettings();
}

bool TrackmillApp::switchToDrive(int index)
{
    return m_form1->switchToDrive(index);
}

void TrackmillApp::rereadDiscToc()
{
    m_form1->GetCDTOC();
}

}
