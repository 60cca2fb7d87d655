// SPDX-License-Identifier: GPL-2.0-or-later
// Ripping's place in the program: the batch driver behind the WAV button,
// the progress window's Abort, and the naming read from the Settings.
#include "app/trackmillapp.h"

#include "app/mainwindow.h"
#include "cd/cddrives.h"
#include "rip/progresswindow.h"
#include "rip/ripbatch.h"
#include "settings/settings.h"
#include "settings/settingswindow.h"
#include "tags/tageditorwindow.h"

#include <QGuiApplication>

namespace trackmill {

NamingSettings TrackmillApp::namingSettings() const
{
    const Settings& s = *m_settings;
    NamingSettings n;
    n.fileNameScheme = s.fileName;
    n.split = s.split;
    n.splitCharacter = m_splitCharacter();
    n.replaceSpaces = s.replaceSpaces;
    // The nine replacement edits Edt1 to Edt9 are not among the Settings.
    if (m_form2)
        n.replacements = m_form2->namingSettings().replacements;
    n.artistAsDirectory = s.artistAsDirectory;
    n.albumAsDirectory = s.albumAsDirectory;
    n.artistAndAlbumAsDirectory = s.artistAndAlbumAsDirectory;
    n.artistAlbumYearAsDirectory = s.artistAlbumYearAsDirectory;
    return n;
}

void TrackmillApp::wireRipping()
{
    RipBatch::Sources sources;
    sources.naming = [this] { return namingSettings(); };
    sources.texts = [this] { return m_languageTexts; };
    sources.year = [this] { return m_form4->year2(); };
    sources.setYear = [this](const QString& year) { m_form4->setYear2(year); };
    sources.resetTagEditor = [this] { m_form4->ID3Initialization(); };
    sources.makeBlinking = [this](int ms) { m_form1->MakeBlinking(ms); };
    sources.progressWindowActive = [this] { return m_form3->isActiveWindow(); };
    // The application's title is what the task bar shows for it.
    // Set only when it changes: it is offered before every read, and every
    // window's title follows it.
    sources.setTitle = [](const QString& title) {
        if (QGuiApplication::applicationDisplayName() != title)
            QGuiApplication::setApplicationDisplayName(title);
    };
    sources.eject = [this](const QString& path) { m_drives->OpenCloseCD(path, true); };

    m_ripBatch = std::make_unique<RipBatch>(
        RipBatch::Collaborators{*m_form1, *m_form3, *m_tracks, *m_drives, *m_driveList, *m_log, *m_settings,
                                m_services.messageBoxes, m_services.system},
        std::move(sources));

    // TForm1.WAVClick
    m_form1->setCommand(QStringLiteral("WAV"), [this] { m_ripBatch->WAVClick(); });
}

}
