// SPDX-License-Identifier: GPL-2.0-or-later
#include "flactrackencoder.h"

#include "platform/threadhandover.h"
#include "settings/settings.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>

#include <sndfile.h>

#include <vector>

namespace trackmill {

namespace {

constexpr int kBytesPerFrame = 4;     // 16-bit stereo
constexpr sf_count_t kReadFrames = 588 * 26;  // 26 sectors of 2352 bytes

// A report of the worker, run on the thread that made the encoder.
class ReportEvent final : public QEvent
{
public:
    explicit ReportEvent(std::function<void()> report)
        : QEvent(type())
        , report(std::move(report))
    {
    }
    // Also when the encoder went away before the report came.
    ~ReportEvent() override { handOverAcquire(this); }
    static QEvent::Type type()
    {
        static const auto registered = QEvent::Type(QEvent::registerEventType());
        return registered;
    }
    std::function<void()> report;
};

}

void FlacTrackEncoder::post(std::function<void()> report)
{
    auto* event = new ReportEvent(std::move(report));
    handOverRelease(event);
    QCoreApplication::postEvent(this, event);
}

bool FlacTrackEncoder::event(QEvent* e)
{
    // Before the first read of the event, its type included.
    handOverAcquire(e);
    if (e->type() != ReportEvent::type())
        return TrackEncoder::event(e);
    static_cast<ReportEvent*>(e)->report();
    return true;
}

void FlacTrackEncoder::postProgress()
{
    const qint64 done = m_writer.framesWritten();
    post([this, done] { Q_EMIT progress(done, m_total); });
}

FlacTrackEncoder::FlacTrackEncoder(const FlacSettings& settings, QObject* parent)
    : TrackEncoder(parent)
    , m_settings([&settings] { return settings; })
{
}

FlacTrackEncoder::FlacTrackEncoder(const Settings& settings, QObject* parent)
    : TrackEncoder(parent)
    , m_settings([&settings] { return FlacSettings{settings.flacCompression, settings.flacVerify}; })
{
}

FlacTrackEncoder::~FlacTrackEncoder()
{
    stopWorker();
}

void FlacTrackEncoder::stopWorker()
{
    if (!m_worker.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_abort = true;
    }
    m_wake.notify_all();
    m_worker.join();
}

bool FlacTrackEncoder::start(const Job& job, QString* error)
{
    auto refuse = [&](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (m_encoding)
        return refuse(job.destination + QStringLiteral(": another job is running"));
    if (m_worker.joinable())
        m_worker.join();  // the last job's thread has ended; its end is handled
    m_lastError.clear();
    m_queue.clear();
    m_endOfFeed = false;
    m_abort = false;
    m_workerEnded = false;

    SF_INFO info {};
    SNDFILE* wav = nullptr;
    if (job.input == Input::File) {
        if (job.source == job.destination)
            return refuse(job.destination + QStringLiteral(": the source and the destination are one file"));
        wav = sf_open(QFile::encodeName(job.source).constData(), SFM_READ, &info);
        if (!wav)
            return refuse(job.source + QStringLiteral(": ") + QString::fromLocal8Bit(sf_strerror(nullptr)));
        // The writer takes CD audio only; other WAV files are refused with
        // what they are, rather than converted behind the user's back.
        if (info.channels != 2 || info.samplerate != 44100 || (info.format & SF_FORMAT_SUBMASK) != SF_FORMAT_PCM_16) {
            sf_close(wav);
            return refuse(job.source + QStringLiteral(": not 16-bit stereo 44.1 kHz PCM"));
        }
        m_total = qint64(info.frames);
    } else {
        m_total = job.frames;
    }
    if (!m_writer.open(job.destination, m_settings(), job.tags, m_total)) {
        if (wav)
            sf_close(wav);
        return refuse(m_writer.errorText());
    }
    m_encoding = true;
    if (job.input == Input::File) {
        m_worker = std::thread([this, wav, source = job.source] {
            std::vector<short> samples(size_t(kReadFrames * 2));
            QByteArray bytes;
            QString error;
            bool aborted = false;
            for (;;) {
                {
                    std::lock_guard lock(m_mutex);
                    if (m_abort) {
                        aborted = true;
                        break;
                    }
                }
                const sf_count_t got = sf_readf_short(wav, samples.data(), kReadFrames);
                if (got <= 0)
                    break;
                bytes.resize(qsizetype(got) * kBytesPerFrame);
                for (qsizetype i = 0; i < qsizetype(got) * 2; ++i) {
                    const auto v = uint16_t(samples[size_t(i)]);
                    bytes[2 * i] = char(v & 0xff);
                    bytes[2 * i + 1] = char(v >> 8);
                }
                if (!m_writer.write(bytes.constData(), bytes.size())) {
                    error = m_writer.errorText();
                    break;
                }
                postProgress();
            }
            if (error.isEmpty() && sf_error(wav) != SF_ERR_NO_ERROR)
                error = source + QStringLiteral(": ") + QString::fromUtf8(sf_strerror(wav));
            sf_close(wav);
            ended(aborted, error);
        });
    } else {
        m_worker = std::thread([this] { runFeed(); });
    }
    return true;
}

void FlacTrackEncoder::runFeed()
{
    QString error;
    bool aborted = false;
    for (;;) {
        QByteArray block;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [&] { return m_abort || m_endOfFeed || !m_queue.empty(); });
            if (m_abort) {
                aborted = true;
                break;
            }
            if (m_queue.empty())
                break;  // end of feed and everything written
            block = std::move(m_queue.front());
            m_queue.pop_front();
        }
        if (!m_writer.write(block.constData(), block.size())) {
            error = m_writer.errorText();
            break;
        }
        postProgress();
    }
    ended(aborted, error);
}

void FlacTrackEncoder::ended(bool aborted, const QString& error)
{
    {
        std::lock_guard lock(m_mutex);
        m_workerEnded = true;
        m_queue.clear();
    }
    QString why = error;
    if (aborted || !why.isEmpty())
        m_writer.abandon();
    else if (!m_writer.finish())
        why = m_writer.errorText();
    // The run hears of the end on its own thread; a job's end is never
    // reported after we are gone (the queued call dies with us).
    post([this, aborted, why] {
        m_encoding = false;
        m_lastError = why;
        Q_EMIT finished(aborted || !why.isEmpty());
    });
}

bool FlacTrackEncoder::feed(const char* data, qsizetype bytes)
{
    {
        std::lock_guard lock(m_mutex);
        if (!m_encoding || m_endOfFeed || m_workerEnded)
            return true;  // nothing runs to take it; dropping keeps the reader going
        if (int(m_queue.size()) >= kQueueBlocks)
            return false;
        m_queue.emplace_back(data, bytes);
    }
    m_wake.notify_one();
    return true;
}

void FlacTrackEncoder::endFeed()
{
    {
        std::lock_guard lock(m_mutex);
        m_endOfFeed = true;
    }
    m_wake.notify_one();
}

void FlacTrackEncoder::abort()
{
    if (!m_encoding)
        return;
    {
        std::lock_guard lock(m_mutex);
        m_abort = true;
    }
    m_wake.notify_all();
}

}
