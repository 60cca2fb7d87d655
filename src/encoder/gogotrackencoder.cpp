// SPDX-License-Identifier: GPL-2.0-or-later
#include "gogotrackencoder.h"

#include "encodersettings.h"
#include "gogotea.h"

#include "platform/hiddenlog.h"

#include <cstring>

namespace trackmill {

GogoTrackEncoder::GogoTrackEncoder(TGogoTea& tea, const Settings& settings, HiddenLog& log, QObject* parent)
    : TrackEncoder(parent)
    , m_tea(tea)
    , m_settings(settings)
    , m_log(log)
{
    connect(&m_tea, &TGogoTea::OnProgress, this,
            [this](int done, int total) { Q_EMIT progress(done, total); });
    connect(&m_tea, &TGogoTea::OnError, this, &GogoTrackEncoder::onError);
    connect(&m_tea, &TGogoTea::OnFinish, this, &TrackEncoder::finished);
}

GogoTrackEncoder::GogoTrackEncoder(std::unique_ptr<TGogoTea> owned, const Settings& settings, HiddenLog& log)
    : GogoTrackEncoder(*owned, settings, log)
{
    m_owned = std::move(owned);
}

GogoTrackEncoder::~GogoTrackEncoder() = default;

std::unique_ptr<GogoTrackEncoder> GogoTrackEncoder::withOwnComponent(const GogoLibrarySource& source,
                                                                     const Settings& settings, HiddenLog& log)
{
    return std::unique_ptr<GogoTrackEncoder>(
        new GogoTrackEncoder(std::make_unique<TGogoTea>(source), settings, log));
}

bool GogoTrackEncoder::runsBesideOthers() const
{
    return m_tea.ownsJobState();
}

void GogoTrackEncoder::onError(int code)
{
    m_log.add(QStringLiteral("Encoder: error %1 on %2").arg(code).arg(m_destination));
    // Only a reason of the system's names the file; the designed box that
    // follows says the rest.
    if (const int systemError = m_tea.SystemError())
        m_failure = m_destination + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(systemError));
}

bool GogoTrackEncoder::start(const Job& job, QString* error)
{
    m_failure.clear();
    m_destination = job.destination;
    try {
        m_tea.setEncodeMode(job.input == Input::Feed ? _MEMORY : _FILE);
        // A missing bitrate choice is logged: the job runs MPEG-1 at 128 kbps.
        const QString note = EncoderSettings::SetPrimaryAndSecondarySettings(m_settings, m_tea);
        if (!note.isEmpty())
            m_log.add(note);
        m_tea.setSourceFile(job.input == Input::File ? job.source : QString());
        m_tea.setDestinationFile(job.destination);
        if (job.input == Input::Feed)
            m_tea.Configure();
        m_tea.Start();
    } catch (const EGogoTeaError& e) {
        m_log.add(QStringLiteral("Encoder: ") + e.message());
        if (error)
            *error = e.message();
        return false;
    }
    return true;
}

bool GogoTrackEncoder::feed(const char* data, qsizetype bytes)
{
    return m_tea.WriteData(data, int(bytes));
}

void GogoTrackEncoder::endFeed()
{
    m_tea.WriteData(nullptr, 0);
}

bool GogoTrackEncoder::isEncoding() const
{
    return m_tea.IsEncoding();
}

void GogoTrackEncoder::abort()
{
    m_tea.Abort();
}

}
