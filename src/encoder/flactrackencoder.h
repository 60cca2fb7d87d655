// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "flacwriter.h"
#include "trackencoder.h"

#include <QByteArray>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace trackmill {

class Settings;

// FLAC jobs on a worker thread of their own. A feed job takes the ripper's
// blocks into a bounded queue (a block is refused while the queue is full,
// so a slow encoder holds the reader back instead of filling memory); a file
// job reads a WAV file of CD audio from disk. An aborted or failed job
// removes its file: a partial FLAC would look complete to a player. A
// job's tags go into the file as Vorbis comments when it is made.
class FlacTrackEncoder final : public TrackEncoder
{
    Q_OBJECT
public:
    // `settings` is read at the start of every job.
    explicit FlacTrackEncoder(const FlacSettings& settings, QObject* parent = nullptr);
    // The user's compression level and verify switch, read likewise.
    explicit FlacTrackEncoder(const Settings& settings, QObject* parent = nullptr);
    ~FlacTrackEncoder() override;

    QString extension() const override { return QStringLiteral(".flac"); }
    bool start(const Job& job, QString* error) override;
    bool feed(const char* data, qsizetype bytes) override;
    void endFeed() override;
    bool isEncoding() const override { return m_encoding; }
    void abort() override;
    QString failure() const override { return m_lastError; }

    // Blocks a feed job queues before it refuses more.
    static constexpr int kQueueBlocks = 64;

protected:
    bool event(QEvent* e) override;

private:
    // Worker side: hands a report to the thread that made us, through our
    // event queue (dropped with us when we go first).
    void post(std::function<void()> report);
    void postProgress();
    void runFeed();
    // Worker side: the job's end, handed to the thread that made us.
    void ended(bool aborted, const QString& error);
    void stopWorker();

    std::function<FlacSettings()> m_settings;
    FlacWriter m_writer;
    std::thread m_worker;
    bool m_encoding = false;
    QString m_lastError;
    qint64 m_total = 0;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<QByteArray> m_queue;
    bool m_endOfFeed = false;
    bool m_abort = false;
    // The worker has stopped taking blocks (its end is on its way to our
    // thread): a block offered now is dropped, never refused, or a reader
    // waiting for room in the queue would wait for ever.
    bool m_workerEnded = false;
};

}
