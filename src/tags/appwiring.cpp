// SPDX-License-Identifier: GPL-2.0-or-later
// The tag editor's place in the program: its sources, the name propagation
// with the main window, and the ID3 button.
#include "app/trackmillapp.h"

#include "app/mainwindow.h"
#include "app/tracklist.h"
#include "metadata/cdplayernames.h"
#include "settings/settings.h"
#include "tags/tageditorwindow.h"

namespace trackmill {

void TrackmillApp::wireTagEditor()
{
    TForm4::Sources sources;
    sources.GetProcess = [this] { return m_form1->GetProcess(); };
    sources.audioDisc = [this] { return m_tracks->CD(); };
    sources.GetGenreFromCDPlayerINI = [this] {
        return CdPlayerNames::GetGenreFromCDPlayerINI(*m_drives, m_services.paths.cdPlayerIni());
    };
    sources.mainArtist = [this] { return m_form1->artist(); };
    sources.mainAlbum = [this] { return m_form1->album(); };
    sources.split = [this] { return m_settings->split; };
    sources.splitCharacter = [this] { return m_splitCharacter(); };
    sources.trackName = [this](int row) { return m_tracks->trackName(row); };
    m_form4 = std::make_unique<TForm4>(*m_genres, std::move(sources));

    QObject::connect(m_form1.get(), &TForm1::artistChanged, m_form4.get(), &TForm4::setArtist);
    QObject::connect(m_form1.get(), &TForm1::albumChanged, m_form4.get(), &TForm4::setAlbum);
    QObject::connect(m_form4.get(), &TForm4::artistChanged, m_form1.get(), &TForm1::setArtist);
    QObject::connect(m_form4.get(), &TForm4::albumChanged, m_form1.get(), &TForm1::setAlbum);
    m_form1->hooks().resetTagEditor = [this] { m_form4->ID3Initialization(); };

    // TForm1.ID3Click
    m_form1->setCommand(QStringLiteral("ID3"), [this] { m_form4->ShowID3Form(); });
}

}
