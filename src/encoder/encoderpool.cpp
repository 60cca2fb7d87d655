// SPDX-License-Identifier: GPL-2.0-or-later
#include "encoderpool.h"

#include <algorithm>

namespace trackmill {

EncoderPool::EncoderPool(TrackEncoder& first, MakeEncoder make, QObject* parent)
    : QObject(parent)
    , m_make(std::move(make))
{
    adopt(&first, nullptr);
}

EncoderPool::~EncoderPool()
{
    // Encoders made here stop their jobs as they go; the program's own one
    // is left to its owner.
    for (Slot& slot : m_encoders)
        if (slot.owned)
            QObject::disconnect(slot.owned.get(), nullptr, this, nullptr);
}

void EncoderPool::adopt(TrackEncoder* encoder, std::unique_ptr<TrackEncoder> owned)
{
    // The connections find their slot by index: the vector may move.
    const size_t index = m_encoders.size();
    m_encoders.push_back(Slot{std::move(owned), encoder});
    connect(encoder, &TrackEncoder::progress, this, [this, index](qint64 done, qint64 total) {
        Slot& slot = m_encoders[index];
        if (!slot.job)
            return;  // a report that came after the job's end
        slot.done = done;
        if (total > 0)
            slot.total = total;
        Q_EMIT progress(slot.job, done, total);
    });
    connect(encoder, &TrackEncoder::finished, this, [this, index](bool aborted) {
        Slot& slot = m_encoders[index];
        const int id = slot.job;
        if (!id)
            return;
        slot.job = 0;
        slot.lastJob = id;
        // An ended job counts whole, however it ended: the figure is work
        // the run no longer waits for.
        m_doneOfEnded += slot.total;
        m_totalOfEnded += slot.total;
        slot.done = slot.total = 0;
        Q_EMIT finished(id, aborted);
    });
}

void EncoderPool::setLimit(int jobs)
{
    m_limit = std::max(1, jobs);
    if (!m_make || !m_encoders.front().encoder->runsBesideOthers())
        m_limit = 1;
    m_limit = std::min(m_limit, kMaxJobs);
}

int EncoderPool::running() const
{
    int n = 0;
    for (const Slot& slot : m_encoders)
        n += slot.job != 0;
    return n;
}

EncoderPool::Slot* EncoderPool::slotOf(int id)
{
    for (Slot& slot : m_encoders)
        if (id && slot.job == id)
            return &slot;
    return nullptr;
}

const EncoderPool::Slot* EncoderPool::slotOf(int id) const
{
    return const_cast<EncoderPool*>(this)->slotOf(id);
}

bool EncoderPool::isRunning(int id) const
{
    return slotOf(id) != nullptr;
}

TrackEncoder* EncoderPool::encoderOf(int id) const
{
    const Slot* slot = slotOf(id);
    return slot ? slot->encoder : nullptr;
}

int EncoderPool::start(const TrackEncoder::Job& job, QString* error)
{
    if (!hasRoom()) {
        if (error)
            *error = job.destination + QStringLiteral(": every encoder is busy");
        return 0;
    }
    // An idle encoder whose last job has ended for good; else a new one.
    Slot* idle = nullptr;
    for (Slot& slot : m_encoders) {
        if (!slot.job && !slot.encoder->isEncoding()) {
            idle = &slot;
            break;
        }
    }
    if (!idle) {
        if (!m_make) {
            if (error)
                *error = job.destination + QStringLiteral(": every encoder is busy");
            return 0;
        }
        std::unique_ptr<TrackEncoder> made = m_make();
        if (!made) {
            if (error)
                *error = job.destination + QStringLiteral(": no further encoder could be made");
            return 0;
        }
        TrackEncoder* encoder = made.get();
        adopt(encoder, std::move(made));
        idle = &m_encoders.back();
    }
    // Set before the start: an encoder may report at once. A refused job
    // was never handed out, so its id goes to the next.
    idle->job = m_nextId;
    idle->done = idle->total = 0;
    if (!idle->encoder->start(job, error)) {
        idle->job = 0;
        return 0;
    }
    return m_nextId++;
}

bool EncoderPool::feed(int id, const char* data, qsizetype bytes)
{
    Slot* slot = slotOf(id);
    // A job that has ended takes nothing more; the block is dropped.
    return slot ? slot->encoder->feed(data, bytes) : true;
}

void EncoderPool::endFeed(int id)
{
    if (Slot* slot = slotOf(id))
        slot->encoder->endFeed();
}

void EncoderPool::abort(int id)
{
    if (Slot* slot = slotOf(id))
        slot->encoder->abort();
}

void EncoderPool::abortAll()
{
    for (Slot& slot : m_encoders)
        if (slot.job)
            slot.encoder->abort();
}

QString EncoderPool::failure(int id) const
{
    // The job has just ended: its encoder is idle and still holds the reason.
    for (const Slot& slot : m_encoders)
        if (slot.job == 0 && slot.lastJob == id)
            return slot.encoder->failure();
    return {};
}

qint64 EncoderPool::runningFigure(qint64 Slot::*field) const
{
    qint64 sum = 0;
    for (const Slot& slot : m_encoders)
        if (slot.job && slot.total > 0)
            sum += slot.*field;
    return sum;
}

void EncoderPool::resetFigures()
{
    m_doneOfEnded = m_totalOfEnded = 0;
}

}
