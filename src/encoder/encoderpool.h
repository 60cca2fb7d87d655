// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "trackencoder.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace trackmill {

// Several encode jobs of one output format at once, each on an encoder of
// its own: its own worker thread (which takes the job's priority from the
// settings when the job starts) and, for MP3, its own job state in the
// encoder library. The first encoder is the program's own (the one a run
// with a single job uses, exactly as before); the others are made when the
// first job needs one and kept for later runs.
//
// Jobs are named by ids the pool hands out (1, 2, ...; never reused), so a
// late report of an ended job cannot be taken for a newer one. Everything
// is reported on the thread that made the pool.
class EncoderPool : public QObject
{
    Q_OBJECT
public:
    using MakeEncoder = std::function<std::unique_ptr<TrackEncoder>()>;
    // Far more than any machine's cores: a bound, not a figure to reach.
    static constexpr int kMaxJobs = 64;

    // `make` may be empty: then the pool runs one job at a time.
    EncoderPool(TrackEncoder& first, MakeEncoder make, QObject* parent = nullptr);
    ~EncoderPool() override;

    // How many jobs may run at once from now on (at least 1). An encoder
    // that cannot run beside others (an MP3 library without job states of
    // its own) keeps it at 1.
    void setLimit(int jobs);
    int limit() const { return m_limit; }

    QString extension() const { return m_encoders.front().encoder->extension(); }

    // Starts a job on an idle encoder. Returns its id, or 0 with the reason
    // in *error: the encoder refused, or `limit()` jobs already run.
    int start(const TrackEncoder::Job& job, QString* error);
    // Fewer than limit() jobs run.
    bool hasRoom() const { return running() < m_limit; }
    int running() const;
    // From start() until finished(id) has been emitted.
    bool isRunning(int id) const;
    bool feed(int id, const char* data, qsizetype bytes);
    void endFeed(int id);
    // Stops one job, or every running job; finished(id, true) follows for
    // each.
    void abort(int id);
    void abortAll();
    // The reason an ended job failed (see TrackEncoder::failure), while the
    // job's finished(id) is handled.
    QString failure(int id) const;
    // The encoder running the job, null when it has ended.
    TrackEncoder* encoderOf(int id) const;

    // Frames done and frames to do of every job started since the last
    // resetFigures(): a job that ended counts whole (its last report's
    // total), a running one as far as it came; a job whose total is not
    // known yet counts nothing.
    qint64 framesDone() const { return m_doneOfEnded + runningFigure(&Slot::done); }
    qint64 framesTotal() const { return m_totalOfEnded + runningFigure(&Slot::total); }
    void resetFigures();

Q_SIGNALS:
    void progress(int id, qint64 framesDone, qint64 framesTotal);
    void finished(int id, bool aborted);

private:
    struct Slot
    {
        std::unique_ptr<TrackEncoder> owned;  // null for the program's own encoder
        TrackEncoder* encoder = nullptr;
        int job = 0;  // the running job's id, 0 when idle
        int lastJob = 0;  // the id of the job that ran last
        qint64 done = 0;
        qint64 total = 0;
    };

    void adopt(TrackEncoder* encoder, std::unique_ptr<TrackEncoder> owned);
    Slot* slotOf(int id);
    const Slot* slotOf(int id) const;
    qint64 runningFigure(qint64 Slot::*field) const;

    MakeEncoder m_make;
    std::vector<Slot> m_encoders;
    int m_limit = 1;
    int m_nextId = 1;
    qint64 m_doneOfEnded = 0;
    qint64 m_totalOfEnded = 0;
};

}
