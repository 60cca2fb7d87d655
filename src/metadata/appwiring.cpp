// SPDX-License-Identifier: GPL-2.0-or-later
// The disc names' place in the program: the CD Player database at each of
// its moments, the names kept in step across the three windows, the FreeDB
// button and the freedb connection window.
#include "app/trackmillapp.h"

#include "app/mainwindow.h"
#include "app/tracklist.h"
#include "cd/cddrives.h"
#include "cd/drivelist.h"
#include "metadata/cdplayernames.h"
#include "metadata/freedbconnection.h"
#include "metadata/freedbwindow.h"
#include "metadata/heldtracknames.h"
#include "metadata/tracknametab.h"
#include "platform/inifile.h"
#include "settings/settings.h"
#include "tags/tageditorwindow.h"

#include <QApplication>

namespace trackmill {

namespace {

// The settings window, found by its design name among the windows.
QWidget* findSettingsWindow(QWidget& mainWindow)
{
    if (auto* w = mainWindow.findChild<QWidget*>(QStringLiteral("Form2")))
        return w;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("Form2"))
            return w;
    return nullptr;
}

}

void TrackmillApp::wireDiscNames()
{
    TForm1::Hooks& hooks = m_form1->hooks();

    // The TrackName page: the settings window's controls when it is there;
    // otherwise the names are held here and kept in step by us.
    std::unique_ptr<TrackNameTab> tab;
    if (QWidget* form2 = findSettingsWindow(*m_form1)) {
        tab = std::make_unique<TrackNameTab>(*form2, [this] {
            if (m_form1->hooks().rebuildCountingLabels)
                m_form1->hooks().rebuildCountingLabels();
        });
        if (!tab->complete())
            tab.reset();
    }
    if (tab) {
        m_trackNameFields = std::move(tab);
    } else {
        auto held = std::make_unique<HeldTrackNames>();
        HeldTrackNames* names = held.get();
        m_trackNameFields = std::move(held);
        QObject::connect(m_form1.get(), &TForm1::artistChanged, m_form1.get(),
                         [names](const QString& text) { names->setArtist(text); });
        QObject::connect(m_form1.get(), &TForm1::albumChanged, m_form1.get(),
                         [names](const QString& text) { names->setAlbum(text); });
        QObject::connect(m_form1.get(), &TForm1::trackNameEdited, m_form1.get(),
                         [names](int row, const QString& text) { names->setTrackName(row - 1, text); });
        hooks.clearOtherWindowsNames = [names, previous = hooks.clearOtherWindowsNames] {
            if (previous)
                previous();
            *names = HeldTrackNames();
        };
    }

    m_cdPlayerNames = std::make_unique<CdPlayerNames>(CdPlayerNames::Collaborators{
        *m_drives, *m_tracks, *m_log, *m_form1, *m_trackNameFields, m_services.paths.cdPlayerIni()});
    hooks.lookUpCdPlayerDatabase = [this](const QString& drive) { m_cdPlayerNames->GetFromCDPlayerINI(drive); };
    hooks.readDiscNames = [this](const QString& drive) { m_cdPlayerNames->GetAlbumFromFile(drive); };

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
    if (!m_tracks->CD())
        return;
    m_drives->GetFirstCDROM();
    const QString drive = m_drives->GetLetterSelectedCDROM(m_driveList->selectedIndex() + 1);
    m_cdPlayerNames->GetAlbumFromFile(drive);
    if (Settings::getUse(IniFile(m_services.paths.settingsFile()), "USECDPLAYERINI"))
        m_cdPlayerNames->GetFromCDPlayerINI(drive);
    m_form1->ShowInformationStatusBar();
    m_form4->ID3Initialization();
}

void TrackmillApp::storeDiscNames()
{
    if (!m_tracks->CD())
        return;
    m_cdPlayerNames->SetAlbumToFile(m_drives->GetLetterSelectedCDROM(m_driveList->selectedIndex() + 1));
}

void TrackmillApp::autoConnectFreedb()
{
    if (m_settings->autoConnectFreedb)
        m_form7->showCentred();
}

}
