// SPDX-License-Identifier: GPL-2.0-or-later
#include "verifyingsink.h"

namespace trackmill {

VerifyingSink::VerifyingSink(AudioSink& inner, bool firstAudio, bool lastAudio)
    : m_inner(inner)
    , m_first(firstAudio)
    , m_last(lastAudio)
{
}

bool VerifyingSink::begin(quint64 trackBytes, QString* error)
{
    m_sums.begin(trackBytes / 4, m_first, m_last);
    return m_inner.begin(trackBytes, error);
}

bool VerifyingSink::write(const char* data, qsizetype bytes, QString* error)
{
    if (!m_inner.write(data, bytes, error))
        return false;
    m_sums.add(data, bytes);
    return true;
}

bool VerifyingSink::end(End how, QString* error)
{
    return m_inner.end(how, error);
}

}
