// SPDX-License-Identifier: GPL-2.0-or-later
#include "wavfilesink.h"

#include "wavheader.h"

#include <limits>

namespace trackmill {

WavFileSink::WavFileSink(QString path)
    : m_path(std::move(path))
    , m_file(m_path)
{
}

WavFileSink::~WavFileSink() = default;

void WavFileSink::fail(QString* error, const QString& reason) const
{
    if (error)
        *error = m_path + QStringLiteral(": ") + reason;
}

bool WavFileSink::begin(quint64 trackBytes, QString* error)
{
    // Unbuffered: a full disk or a failing device shows at the write that
    // hits it, not later at an implicit flush whose error nobody sees.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        fail(error, m_file.errorString());
        return false;
    }
    m_announced = trackBytes;
    m_written = 0;
    constexpr quint64 max = std::numeric_limits<std::uint32_t>::max();
    const QByteArray header = WavHeader::build(std::uint32_t(trackBytes > max ? max : trackBytes));
    if (m_file.write(header) != header.size()) {
        fail(error, m_file.errorString());
        m_file.close();
        return false;
    }
    return true;
}

bool WavFileSink::write(const char* data, qsizetype bytes, QString* error)
{
    // A write the system takes only in part (full disk, file size limit) is
    // tried again with the rest, so the second attempt reports the reason.
    while (bytes > 0) {
        const qint64 done = m_file.write(data, bytes);
        if (done <= 0) {
            fail(error, m_file.error() != QFileDevice::NoError ? m_file.errorString()
                                                                 : QStringLiteral("the system took no more data"));
            return false;
        }
        m_written += quint64(done);
        data += done;
        bytes -= done;
    }
    return true;
}

bool WavFileSink::end(End how, QString* error)
{
    Q_UNUSED(how);
    m_file.close();
    bool ok = m_file.error() == QFileDevice::NoError;
    if (!ok)
        fail(error, m_file.errorString());
    if (m_written != m_announced) {
        QString fixError;
        if (!WavHeader::fixSizes(m_path, &fixError)) {
            if (ok && error)
                *error = fixError;
            ok = false;
        }
    }
    return ok;
}

}
