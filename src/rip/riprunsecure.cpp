// SPDX-License-Identifier: GPL-2.0-or-later
// The run controller's part in verified reading: it hands SecureRun the
// disc and the settings at the start, shows each track's result in the
// grid and its tool tip, and has the log and the cue sheet written at the end.
#include "riprun.h"

#include "encoder/encoderpool.h"

#include "cd/cddrives.h"
#include "cd/drivelist.h"
#include "cd/tracklist.h"
#include "lang/languagetexts.h"
#include "metadata/discnames.h"
#include "platform/hiddenlog.h"
#include "rip/outputnaming.h"
#include "rip/runservices.h"
#include "rip/runview.h"
#include "secure/securerun.h"
#include "settings/settings.h"
#include "tags/tagfields.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>

namespace trackmill {

namespace {

constexpr int kInformationColumn = 5;

// Lets events through for at most 20 ms: the window thread waits for the
// lookup's answer without ever stopping to paint for long.
void pumpEvents()
{
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(20);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

}

void RipRun::beginSecure()
{
    const Settings& s = m_c.settings;
    const QString path = m_c.drives.DetectCD().value(m_c.driveList.selectedIndex());
    SecureRun::Disc disc;
    disc.cd = m_c.drives.handle();
    disc.image = QFileInfo(path).suffix().compare(QLatin1String("cue"), Qt::CaseInsensitive) == 0;
    disc.drive = disc.image ? path : m_c.driveList.selectedIdentification() + QStringLiteral(" (") + path + QLatin1Char(')');
    disc.artist = m_c.names.artist();
    disc.album = m_c.names.album();
    disc.year = m_c.tags.fields().year2;
    disc.genre = m_c.tags.fields().genre2;
    // Named as the files are: the characters a file name cannot hold replaced.
    disc.fileBase = OutputNaming(m_c.naming.namingSettings())
                        .ChangeIllegalCharacter(disc.artist + QStringLiteral(" - ") + disc.album);
    SecureRun::Options options;
    options.secure = s.readMode == 0;
    options.offset = s.readOffset;
    options.accurateRipServer = s.accurateRipServer;
    // In English like the rest of the log, whatever the windows speak.
    const EncoderFigures figures = encoderFigures();
    QString format = QStringLiteral("WAV, 44100 Hz, 16 bit, stereo");
    if (m_output == Output::Flac)
        format = QStringLiteral("FLAC, compression level %1, verify %2")
                     .arg(s.flacCompression)
                     .arg(s.flacVerify ? QStringLiteral("on") : QStringLiteral("off"));
    else if (m_mode != Mode::Wav)
        format = QStringLiteral("MP3, bitrate %1, %2, VBR %3").arg(figures.bitrate, figures.quality, figures.vbr);
    options.settingsLines << QStringLiteral("Output format: ") + format;
    options.settingsLines << QStringLiteral("Encoding: %1")
                                 .arg(m_mode == Mode::OnTheFly        ? QStringLiteral("while reading")
                                          : m_mode == Mode::Wav ? QStringLiteral("none")
                                          : m_pool ? QStringLiteral("after reading each track, up to %1 tracks at once")
                                                         .arg(m_pool->limit())
                                                   : QStringLiteral("after reading each track"));
    m_secure->begin(disc, options);
}

void RipRun::secureTrackRead(const Task& task, TrackRipResult& result, bool encode)
{
    if (!m_secure->active())
        return;
    m_secure->trackRead(task.track, result, encode ? task.encodedPath : task.wavPath, pumpEvents);
    const QString suffix = secureSuffix(task.track);
    if (!result.information.isEmpty())
        result.information += suffix;
    else if (result.outcome == TrackRipResult::Outcome::ReadFailed)
        result.information = suffix.trimmed();
    m_c.tracks.setToolTip(kInformationColumn, task.track, m_secure->longText(task.track, m_c.texts.reading));
    if (result.errorSector >= 0)
        m_c.log.add(QStringLiteral("Read error at sector %1").arg(result.errorSector));
}

QString RipRun::secureSuffix(int track) const
{
    const QString text = m_secure->shortText(track, m_c.texts.reading);
    return text.isEmpty() ? QString() : QStringLiteral(" (") + text + QLatin1Char(')');
}

QString RipRun::endSecure()
{
    if (!m_secure->active())
        return {};
    const QStringList problems =
        m_secure->end(m_outputDirectory, [this](int track) { return m_c.tracks.trackName(track); });
    for (const QString& p : problems)
        m_c.log.add(QStringLiteral("Could not write ") + p);
    return m_secure->accurateCount(m_c.texts.reading);
}

}
