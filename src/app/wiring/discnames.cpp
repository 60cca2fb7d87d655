// SPDX-License-Identifier: GPL-2.0-or-later
// The disc names' place in the program: the CD Player database at each of
// its moments, the FreeDB button and the freedb connection window. The
// names themselves are one model (DiscNames) every window binds to.
#include "app/trackmillapp.h"

#include "app/mainwindow.h"
#include "cd/cddrives.h"
#include "cd/drivelist.h"
#include "cd/tracklist.h"
#include "metadata/cdplayernames.h"
#include "metadata/discnames.h"
#include "metadata/freedbconnection.h"
#include "metadata/freedbviews.h"
#include "metadata/freedbwindow.h"
#include "metadata/musicbrainzclient.h"
#include "platform/inifile.h"
#include "platform/messageboxes.h"
#include "settings/settings.h"
#include "tags/tageditorwindow.h"

#include <QApplication>
#include <QFileInfo>

namespace trackmill {

namespace {

// The freedb commands shown in the main window and the connection window.
class WindowFreedbViews final : public FreedbViews
{
public:
    WindowFreedbViews(TForm1& mainWindow, TForm7& connectionWindow, const TrackList& tracks, QString settingsFile,
                      const Settings& settings)
        : m_main(mainWindow)
        , m_window(connectionWindow)
        , m_tracks(tracks)
        , m_settingsFile(std::move(settingsFile))
        , m_settings(settings)
    {
    }

    void rereadDisc() override
    {
        m_main.GetCDTOC();
        m_main.ShowInformationStatusBar();
        const bool all = m_main.GetUse(m_settingsFile, QStringLiteral("SELECTALL"));
        m_main.CheckOrNotAllTracks(m_tracks.RowCount() - 1, all ? QLatin1Char('1') : QLatin1Char('0'));
    }
    QString lastArrivalDrive() const override { return m_main.lastArrivalDrive(); }
    void showConnectionWindow() override
    {
        m_window.setStatus(QString());
        // Where lookups go as the settings say now; the stored source first.
        const QString cddbServer = m_settings.cddbServer.trimmed();
        m_window.setDestination(TForm7::kCddb, {cddbServer.isEmpty() ? QStringLiteral("gnudb.gnudb.org") : cddbServer,
                                                m_settings.cddbCgi, m_settings.cddbEmail});
        m_window.setDestination(TForm7::kMusicBrainz,
                                {MusicBrainzClient::baseUrl(m_settings.musicBrainzServer.trimmed().isEmpty()
                                                                ? QString::fromLatin1(MusicBrainzClient::kDefaultServer)
                                                                : m_settings.musicBrainzServer),
                                 QStringLiteral("/ws/2"), m_settings.cddbEmail});
        m_window.setSource(m_settings.lookupSource);
        m_window.showCandidates({});
        m_window.showCentred();
    }
    void setStatus(const QString& text) override { m_window.setStatus(text); }
    void repaintNow() override
    {
        m_window.repaint();
        m_main.repaint();
    }
    int source() const override { return m_window.source(); }
    void showCandidates(const QList<LookupCandidate>& candidates) override { m_window.showCandidates(candidates); }
    void setBusy(bool busy) override
    {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    }

private:
    TForm1& m_main;
    TForm7& m_window;
    const TrackList& m_tracks;
    QString m_settingsFile;
    const Settings& m_settings;
};

}

void TrackmillApp::wireDiscNames()
{
    m_cdPlayerNames = std::make_unique<CdPlayerNames>(CdPlayerNames::Collaborators{
        *m_drives, *m_tracks, *m_log, *m_discNames, m_services.paths.cdPlayerIni()});

    m_form7 = std::make_unique<TForm7>(TForm7::Actions{[this] { m_freedb->Connect(); },
                                                       [this] { m_freedb->cancelLookup(); },
                                                       [this](int index) { m_freedb->chooseCandidate(index); }},
                                       m_form1.get());
    m_freedbViews = std::make_unique<WindowFreedbViews>(*m_form1, *m_form7, *m_tracks,
                                                        m_services.paths.settingsFile(), *m_settings);
    // The disc's cover, wherever it came from, beside the matches.
    QObject::connect(m_discNames.get(), &DiscNames::coverChanged, m_form7.get(),
                     [this](const CoverArt& cover) { m_form7->showCover(cover); });
    m_freedb = std::make_unique<FreedbConnection>(FreedbConnection::Collaborators{
        *m_freedbViews, *m_tracks, *m_drives, *m_log, m_services.messageBoxes, *m_discNames, *m_tagFields,
        *m_cdPlayerNames, *m_settings, [this]() -> const LanguageTexts& { return m_languageTexts; },
        m_services.freedbServer, {}});

    // TForm1.FreeDBClick
    m_form1->setCommand(QStringLiteral("FreeDB"), [this] { m_freedb->FreeDBClick(); });
}

void TrackmillApp::lookUpCdPlayerDatabase(const QString& drivePath)
{
    m_cdPlayerNames->GetFromCDPlayerINI(drivePath);
}

void TrackmillApp::readDiscNames(const QString& drivePath)
{
    m_cdPlayerNames->GetAlbumFromFile(drivePath);
}

// Apply writes the disc's names before the settings are saved.
void TrackmillApp::storeDiscNames(const QString& drivePath)
{
    m_cdPlayerNames->SetAlbumToFile(drivePath);
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
    m_form4->setYears(m_discNames->year());
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
