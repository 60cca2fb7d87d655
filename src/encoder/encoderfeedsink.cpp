// SPDX-License-Identifier: GPL-2.0-or-later
#include "encoderfeedsink.h"

#include "trackencoder.h"

#include <QThread>

namespace trackmill {

EncoderFeedSink::EncoderFeedSink(TrackEncoder& encoder, StartJob start, WaitForEvents wait)
    : m_encoder(encoder)
    , m_start(std::move(start))
    , m_wait(std::move(wait))
{
}

bool EncoderFeedSink::begin(quint64 trackBytes, QString* error)
{
    QString why;
    if (m_start && !m_start(trackBytes, &why)) {
        if (error)
            *error = why;
        return false;
    }
    return true;
}

bool EncoderFeedSink::write(const char* data, qsizetype bytes, QString* /*error*/)
{
    if (bytes <= 0)
        return true;
    bool refused = false;
    for (;;) {
        if (m_encoder.feed(data, bytes))
            return true;
        if (!m_encoder.isEncoding()) {
            ++m_dropped;
            return true;
        }
        if (!refused) {
            refused = true;
            ++m_refusals;
        }
        QThread::msleep(kRetryMs);
    }
}

bool EncoderFeedSink::end(End how, QString* /*error*/)
{
    if (how == End::Failed)
        return true;
    m_encoder.endFeed();
    while (m_encoder.isEncoding()) {
        if (m_wait)
            m_wait(kFinalWaitMs);
        else
            QThread::msleep(kFinalWaitMs);
    }
    return true;
}

}
