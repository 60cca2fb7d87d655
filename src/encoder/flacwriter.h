// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <FLAC/format.h>
#include <FLAC/stream_encoder.h>

#include <memory>

namespace trackmill {

struct FlacSettings
{
    int compressionLevel = 5;  // 0 (fastest) to 8 (smallest)
    bool verify = true;        // libFLAC decodes what it wrote and compares
};

// Vorbis comments in the order they are written: field name (ASCII, as
// ARTIST or TRACKNUMBER) and value. Empty values are left out.
using FlacComments = QList<QPair<QByteArray, QString>>;

// Writes one FLAC file of CD audio (16-bit stereo, 44.1 kHz) from
// little-endian interleaved PCM, the bytes of a WAV file's data chunk or of
// the ripper's blocks. The file gets the MD5 of the audio in STREAMINFO, a
// seek point every 10 s, the comments and 8 KiB of padding, so a tag editor
// can add tags later without rewriting the audio.
//
// Not thread-safe: one thread calls all of it (the encoder's worker).
class FlacWriter
{
public:
    FlacWriter();
    ~FlacWriter();  // abandons an unfinished file
    FlacWriter(const FlacWriter&) = delete;
    FlacWriter& operator=(const FlacWriter&) = delete;

    // Creates (or truncates) `path`. `expectedFrames` (samples per channel)
    // places the seek points; 0 when not known, and then there are none.
    bool open(const QString& path, const FlacSettings& settings, const FlacComments& comments,
              qint64 expectedFrames);
    // Any number of bytes; a frame split between two calls is carried over.
    bool write(const char* pcm, qsizetype bytes);
    // Encodes the rest, checks the verify result, rewrites STREAMINFO with
    // the MD5 and the real length, and closes the file.
    bool finish();
    // Stops and removes the file: nothing that looks complete is left.
    void abandon();

    bool isOpen() const { return m_encoder != nullptr; }
    qint64 framesWritten() const { return m_frames; }
    // Which file and why, once a call has returned false.
    QString errorText() const { return m_error; }

private:
    bool fail(const QString& reason);
    bool failFromEncoder();
    void release();
    static int writeBytes(void* self, const unsigned char* data, size_t bytes);

    FLAC__StreamEncoder* m_encoder = nullptr;
    std::unique_ptr<FLAC__StreamMetadata*[]> m_metadata;
    int m_metadataCount = 0;
    int m_fd = -1;
    int m_writeErrno = 0;
    bool m_abandoning = false;
    QString m_path;
    QString m_error;
    QByteArray m_carry;  // bytes of a frame not complete yet (< 4)
    qint64 m_frames = 0;

    friend struct FlacWriterCallbacks;
};

}
