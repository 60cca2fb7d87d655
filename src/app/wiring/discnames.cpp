// SPDX-License-Identifier: GPL-2.0-or-later
// The disc names' place in the program: the CD Player database at each of
// its moments, the names kept in step across the three windows, the FreeDB
// button and the freedb connection window.
#include "app/trackmillapp.h"

#include "app/mainwindow.h"
#include "cd/tracklist.h"
#include "cd/cddrives.h"
#include "cd/drivelist.h"
#include "metadata/cdplayernames.h"
#include "metadata/freedbconnection.h"
#include "metadata/freedbwindow.h"
#include "metadata/tracknametab.h"
#include "platform/inifile.h"
#include "platform/messageboxes.h"
#include "settings/settings.h"
#include "settings/settingswindow.h"
#include "tags/tageditorwindow.h"

#include <QFileInfo>

namespace trackmill {

void TrackmillApp::wireDiscNames()
{
    TForm1::Hooks& hooks = m_form1->hooks();

    // The settings window's TrackName page: its values are what the
    // database receives. The window keeps them in step with the main
    // window's Artist, Album and grid itself.
    auto tab = std::make_unique<TrackNameTab>(*m_form2, [this] { m_form2->rebuildCountingLabels(); });
    Q_ASSERT(tab->complete());
    m_trackNameFields = std::move(tab);

    m_cdPlayerNames = std::make_unique<CdPlayerNames>(CdPlayerNames::Collaborators{
        *m_drives, *m_tracks, *m_log, *m_form1, *m_trackNameFields, m_services.paths.cdPlayerIni()});
    hooks.lookUpCdPlayerDatabase = [this](const QString& drive) { m_cdPlayerNames->GetFromCDPlayerINI(drive); };
    hooks.readDiscNames = [this](const QString& drive) { m_cdPlayerNames->GetAlbumFromFile(drive); };
    // Apply writes the page's names before the settings are saved.
    m_form2->hooks().storeDiscNames = [this](const QString& drive) { m_cdPlayerNames->SetAlbumToFile(drive); };

    m_freedb = std::make_unique<FreedbConnection>(FreedbConnection::Collaborators{
        *m_form1, *m_tracks, *m_drives, *m_log, m_services.messageBoxes, *m_form4, *m_trackNameFields,
        *m_cdPlayerNames, *m_settings, m_services.paths,
        [this]() -> const LanguageTexts& { return m_languageTexts; }, m_services.freedbServer, {}});
    m_form7 = std::make_unique<TForm7>([this] { m_freedb->Connect(); }, m_form1.get());
    m_freedb->setWindow(m_form7.get());

    // TForm1.FreeDBClick
    m_form1->setCommand(QStringLiteral("FreeDB"), [this] { m_freedb->FreeDBClick(); });
}

void TrackmillApp::readDiscNamesAtStartUp()
{
    if (m_tracks->CD()) {
        m_drives->GetFirstCDROM();
        const QString drive = m_drives->GetLetterSelectedCDROM(m_driveList->selectedIndex() + 1);
        m_cdPlayerNames->GetAlbumFromFile(drive);
        if (Settings::getUse(IniFile(m_services.paths.settingsFile()), "USECDPLAYERINI"))
            m_cdPlayerNames->GetFromCDPlayerINI(drive);
    }
    m_form1->ShowInformationStatusBar();
    // The tag editor starts from the disc's names and stored year.
    m_form4->ID3Initialization();
    m_form4->setYears(m_trackNameFields->names().year);
}

void TrackmillApp::storeDiscNames()
{
    if (!m_tracks->CD())
        return;
    const QString drive = m_drives->GetLetterSelectedCDROM(m_driveList->selectedIndex() + 1);
    if (!m_cdPlayerNames->SetAlbumToFile(drive))
        m_services.messageBoxes.error(
            QStringLiteral("Unable to write to %1").arg(QFileInfo(m_services.paths.cdPlayerIni()).absoluteFilePath()));
}

void TrackmillApp::autoConnectFreedb()
{
    if (m_settings->autoConnectFreedb)
        m_form7->showCentred();
}

}
