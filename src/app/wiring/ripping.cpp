// SPDX-License-Identifier: GPL-2.0-or-later
// Ripping and encoding in the program: the encoder component, the FLAC
// encoder, the run controller behind the WAV, MP3 and FLAC buttons and the
// progress window's Abort, shown through the progress and main windows.
#include "app/trackmillapp.h"

#include "app/mainwindow.h"
#include "app/wiring/windowrunview.h"
#include "cd/cddrives.h"
#include "encoder/egogoteaerror.h"
#include "encoder/encoderpool.h"
#include "encoder/flactrackencoder.h"
#include "encoder/gogotea.h"
#include "encoder/gogotrackencoder.h"
#include "metadata/discnames.h"
#include "platform/hiddenlog.h"
#include "rip/progresswindow.h"
#include "rip/riprun.h"
#include "rip/runservices.h"
#include "rip/settingsnaming.h"
#include "settings/settings.h"
#include "settings/settingswindow.h"
#include "tags/tagfields.h"

namespace trackmill {

namespace {

class ProgramPersistence final : public RunPersistence
{
public:
    ProgramPersistence(TForm2& settingsWindow, TrackmillApp& app)
        : m_settingsWindow(settingsWindow)
        , m_app(app)
    {
    }
    void saveSettings() override { m_settingsWindow.saveSettings(); }
    void storeDiscNames() override { m_app.storeDiscNames(); }

private:
    TForm2& m_settingsWindow;
    TrackmillApp& m_app;
};

}

NamingSettings TrackmillApp::namingSettings() const
{
    return m_naming->namingSettings();
}

void TrackmillApp::wireRipping()
{
    try {
        m_gogoTea1 = std::make_unique<TGogoTea>(GogoLibrarySource::forProgram(m_services.paths));
        m_encoder = std::make_unique<GogoTrackEncoder>(*m_gogoTea1, *m_settings, *m_log);
    } catch (const EGogoTeaError& e) {
        // Without the encoder library the MP3 command stays disabled.
        m_log->add(e.message());
    }
    // libFLAC is linked into the program: the FLAC command is always there.
    m_flacEncoder = std::make_unique<FlacTrackEncoder>(*m_settings);
    // With Use_Multi_CPU a run encodes several tracks at once, each further
    // job on an encoder of its own, made when a job first needs one.
    if (m_encoder) {
        m_mp3Pool = std::make_unique<EncoderPool>(*m_encoder, [this]() -> std::unique_ptr<TrackEncoder> {
            try {
                return GogoTrackEncoder::withOwnComponent(GogoLibrarySource::forProgram(m_services.paths), *m_settings,
                                                          *m_log);
            } catch (const EGogoTeaError& e) {
                m_log->add(e.message());
                return nullptr;
            }
        });
    }
    m_flacPool = std::make_unique<EncoderPool>(
        *m_flacEncoder, [this] { return std::make_unique<FlacTrackEncoder>(*m_settings); });

    m_runView = std::make_unique<WindowRunView>(*m_form1, *m_form3);
    // The separator and the nine replacement edits Edt1 to Edt9 are the
    // settings window's, not among the Settings.
    m_naming = std::make_unique<SettingsNaming>(
        *m_settings, [this] { return m_splitCharacter(); },
        [this] { return m_form2 ? m_form2->namingSettings().replacements : NamingSettings().replacements; });
    m_persistence = std::make_unique<ProgramPersistence>(*m_form2, *this);
    DriveTray& tray = m_services.tray ? *m_services.tray : static_cast<DriveTray&>(*m_drives);
    m_ripRun = std::make_unique<RipRun>(
        RipRun::Collaborators{*m_tracks, *m_drives, *m_driveList, tray, *m_settings, *m_naming, *m_discNames,
                              *m_tagFields, m_languageTexts, *m_log, m_services.messageBoxes, m_services.system,
                              m_services.shell, *m_persistence, m_encoder.get(), m_flacEncoder.get(), {},
                              m_mp3Pool.get(), m_flacPool.get()},
        *m_runView);
    QObject::connect(m_form3.get(), &TForm3::abortRequested, m_ripRun.get(), &RipRun::AbortRipping);
    QObject::connect(m_ripRun.get(), &RipRun::runEnded, m_form1.get(), &TForm1::runEnded);

    // TForm1.WAVClick, TForm1.MP3Click, TForm1.FLACClick
    m_form1->setCommand(QStringLiteral("WAV"), [this] { m_ripRun->WAVClick(); });
    if (m_encoder)
        m_form1->setCommand(QStringLiteral("MP3"), [this] { m_ripRun->MP3Click(); });
    m_form1->setCommand(QStringLiteral("FLAC"), [this] { m_ripRun->FLACClick(); });
}

bool TrackmillApp::runInProgress() const
{
    return m_ripRun && m_ripRun->running();
}

}
