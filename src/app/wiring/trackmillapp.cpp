// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/trackmillapp.h"

#include "platform/hiddenlog.h"
#include "platform/inifile.h"
#include "app/mainwindow.h"
#include "app/mediawatcher.h"
#include "cd/akriplibrary.h"
#include "cd/cddrives.h"
#include "cd/drivelist.h"
#include "cd/tracklist.h"
#include "encoder/encoderpool.h"
#include "encoder/gogotea.h"
#include "encoder/trackencoder.h"
#include "lang/languageapplier.h"
#include "lang/languagechoice.h"
#include "metadata/cdplayernames.h"
#include "metadata/discnames.h"
#include "metadata/freedbconnection.h"
#include "metadata/freedbwindow.h"
#include "metadata/freedbviews.h"
#include "rip/progresswindow.h"
#include "rip/riprun.h"
#include "rip/runservices.h"
#include "rip/runview.h"
#include "settings/settings.h"
#include "settings/settingswindow.h"
#include "tags/genrelist.h"
#include "tags/tageditorwindow.h"
#include "tags/tagfields.h"

#include <QScreen>

namespace trackmill {

TrackmillApp::TrackmillApp(Services services)
    : m_services(std::move(services))
    , m_log(std::make_unique<HiddenLog>())
    , m_driveList(std::make_unique<DriveList>())
    , m_library(std::make_unique<AkripLibrary>())
    , m_settings(std::make_unique<Settings>())
    , m_genres(std::make_unique<GenreList>())
    , m_discNames(std::make_unique<DiscNames>())
    , m_tagFields(std::make_unique<TagFields>(*m_genres))
{
    const AppPaths& paths = m_services.paths;
    IniFile::removeStaleTemporaryFiles({paths.settingsFile(), paths.cdPlayerIni()});
    m_drives = std::make_unique<CdDrives>(*m_library, *m_log, *m_driveList,
                                          CdDrives::Options{paths.discsDir(), m_services.listPhysicalDrives});
    m_tracks = std::make_unique<TrackList>(*m_drives, *m_log);
    // The main window reads the disc before any language is applied: the
    // stored language's no-disc text is read first so that reading speaks
    // it. No file or no text keeps the built-in English one.
    readNoDiscText(paths.languagesDir(), storedLanguageFileName(paths.settingsFile()), m_languageTexts);
    if (!m_languageTexts.noDisc.isEmpty()) {
        TrackListTexts texts = m_tracks->texts();
        texts.message = m_languageTexts.noDisc;
        m_tracks->setTexts(texts);
    }
    if (m_services.watchMedia)
        m_watcher = std::make_unique<MediaWatcher>(
            MediaWatcher::Options{paths.discsDir(), m_services.listPhysicalDrives, 250});

    // The designed order of creation: main window, tag editor, settings
    // window, progress window, About window, freedb window; each runs its
    // start-up work before the next exists.
    m_form1 = std::make_unique<TForm1>(TForm1::Collaborators{
        *m_drives, *m_driveList, *m_tracks, *m_log, m_services.messageBoxes, paths, *m_discNames,
        static_cast<MainWindowSteps&>(*this), m_watcher.get()});
    wireTagEditor();
    wireSettings();
    m_form3 = std::make_unique<TForm3>();
    wireRipping();
    wireAbout();
    wireDiscNames();
    wireLanguages();
    readDiscNamesAtStartUp();
    wireStartUp();
}

TrackmillApp::~TrackmillApp() = default;

void TrackmillApp::show()
{
    // With AutoConnectFREEDB ticked the freedb window comes first, modally.
    autoConnectFreedb();
    if (const QScreen* screen = m_form1->screen()) {
        QRect frame = m_form1->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        m_form1->move(frame.topLeft());
    }
    m_form1->show();
}

}
