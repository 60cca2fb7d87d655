// SPDX-License-Identifier: GPL-2.0-or-later
#include "encoderfeedsink.h"

#include "gogotea.h"

#include <QThread>

namespace trackmill {

EncoderFeedSink::EncoderFeedSink(TGogoTea& tea, StartJob start, WaitForEvents wait)
    : m_tea(tea)
    , m_start(std::move(start))
    , m_wait(std::move(wait))
{
}

bool EncoderFeedSink::begin(quint64 /*trackBytes*/, QString* error)
{
    QString why;
    if (m_start && !m_start(&why)) {
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
        if (m_tea.WriteData(data, int(bytes)))
            return true;
        if (!m_tea.IsEncoding()) {
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
    m_tea.WriteData(nullptr, 0);
    while (m_tea.IsEncoding()) {
        if (m_wait)
            m_wait(kFinalWaitMs);
        else
            QThread::msleep(kFinalWaitMs);
    }
    return true;
}

}
