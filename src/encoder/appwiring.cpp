// SPDX-License-Identifier: GPL-2.0-or-later
// Encoding's place in the program: the encoder component, its jobs after
// each ripped track, the MP3 button and the end of an encode run.
#include "app/trackmillapp.h"

#include "platform/hiddenlog.h"
#include "app/mainwindow.h"
#include "app/tracklist.h"
#include "cd/cddrives.h"
#include "encoder/encodejobs.h"
#include "encoder/gogotea.h"
#include "encoder/mp3command.h"
#include "platform/messageboxes.h"
#include "rip/progresswindow.h"
#include "rip/ripbatch.h"
#include "settings/settings.h"
#include "settings/settingswindow.h"
#include "tags/tageditorwindow.h"

namespace trackmill {

void TrackmillApp::wireEncoding()
{
    try {
        m_gogoTea1 = std::make_unique<TGogoTea>(GogoLibrarySource::forProgram(m_services.paths));
    } catch (const EGogoTeaError& e) {
        // Without the encoder library the MP3 command stays disabled.
        m_log->add(e.message());
        return;
    }

    RipBatch& batch = *m_ripBatch;
    EncodeJobs::Hooks hooks;
    hooks.saveSettings = [this] { m_form2->saveSettings(); };
    hooks.storeDiscNames = [this] { storeDiscNames(); };
    hooks.splitCharacter = [this] { return m_splitCharacter(); };

    m_encodeJobs = std::make_unique<EncodeJobs>(
        EncodeJobs::Collaborators{*m_gogoTea1, batch, *m_settings, *m_form1, *m_form3, *m_form4, *m_tracks,
                                  *m_log, m_services.messageBoxes},
        std::move(hooks), steadyTickClock());

    // TForm1.RipTrack hands each ripped WAV file to TForm2.Encode; closing
    // the progress window stops the encoder.
    batch.hooks().Encode = [this](const RipBatch::EncodeHandOver& h) {
        m_encodeJobs->Encode(h.savedDirectory, h.baseName, h.trackName, h.track, h.selectedCount, h.wavPath);
    };
    batch.hooks().stopEncoder = [this] { m_gogoTea1->Abort(); };

    m_mp3Command = std::make_unique<Mp3Command>(Mp3Command::Collaborators{
        batch, *m_encodeJobs, *m_gogoTea1, *m_form1, *m_form3, *m_tracks, *m_drives, *m_settings, *m_log,
        m_services.shell, m_services.messageBoxes});
    // TForm1.MP3Click
    m_form1->setCommand(QStringLiteral("MP3"), [this] { m_mp3Command->MP3Click(); });
}

}
