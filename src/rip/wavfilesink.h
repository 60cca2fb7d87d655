// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "audiosink.h"

#include <QFile>

namespace trackmill {

// Writes a track into a WAV file: the 44-byte header announcing the whole
// track, then the blocks as they come. A file that ends with less audio than
// announced (abort, read error, a short read) gets its header rewritten to
// the bytes actually behind it, so every file left on disk is valid.
class WavFileSink final : public AudioSink
{
public:
    explicit WavFileSink(QString path);
    ~WavFileSink() override;

    // Creates the file, or truncates one of that name.
    bool begin(quint64 trackBytes, QString* error) override;
    bool write(const char* data, qsizetype bytes, QString* error) override;
    bool end(End how, QString* error) override;

    const QString& path() const { return m_path; }
    // Audio bytes written so far, header not counted.
    quint64 bytesWritten() const { return m_written; }

private:
    void fail(QString* error, const QString& reason) const;

    QString m_path;
    QFile m_file;
    quint64 m_announced = 0;
    quint64 m_written = 0;
};

}
