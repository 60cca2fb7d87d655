// SPDX-License-Identifier: GPL-2.0-or-later
#include "flacwriter.h"

#include <FLAC/metadata.h>
#include <FLAC/stream_encoder.h>

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace trackmill {

namespace {

constexpr int kChannels = 2;
constexpr int kBitsPerSample = 16;
constexpr int kSampleRate = 44100;
constexpr int kBytesPerFrame = kChannels * kBitsPerSample / 8;
constexpr unsigned kSeekPointSpacing = 10 * kSampleRate;  // samples per channel
constexpr unsigned kPaddingBytes = 8 * 1024;
// Frames converted to 32-bit samples per call into libFLAC.
constexpr qsizetype kChunkFrames = 4096;

QString systemReason(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

}

// libFLAC writes through these, so a failing write keeps its errno (a full
// disk says so) instead of the library's "I/O error".
struct FlacWriterCallbacks
{
    static FLAC__StreamEncoderWriteStatus write(const FLAC__StreamEncoder*, const FLAC__byte buffer[],
                                                size_t bytes, uint32_t, uint32_t, void* self)
    {
        return FlacWriter::writeBytes(self, buffer, bytes) == 0 ? FLAC__STREAM_ENCODER_WRITE_STATUS_OK
                                                                : FLAC__STREAM_ENCODER_WRITE_STATUS_FATAL_ERROR;
    }

    static FLAC__StreamEncoderSeekStatus seek(const FLAC__StreamEncoder*, FLAC__uint64 offset, void* self)
    {
        auto* w = static_cast<FlacWriter*>(self);
        if (::lseek(w->m_fd, off_t(offset), SEEK_SET) < 0) {
            w->m_writeErrno = errno;
            return FLAC__STREAM_ENCODER_SEEK_STATUS_ERROR;
        }
        return FLAC__STREAM_ENCODER_SEEK_STATUS_OK;
    }

    static FLAC__StreamEncoderTellStatus tell(const FLAC__StreamEncoder*, FLAC__uint64* offset, void* self)
    {
        auto* w = static_cast<FlacWriter*>(self);
        const off_t at = ::lseek(w->m_fd, 0, SEEK_CUR);
        if (at < 0) {
            w->m_writeErrno = errno;
            return FLAC__STREAM_ENCODER_TELL_STATUS_ERROR;
        }
        *offset = FLAC__uint64(at);
        return FLAC__STREAM_ENCODER_TELL_STATUS_OK;
    }
};

FlacWriter::FlacWriter() = default;

FlacWriter::~FlacWriter()
{
    if (isOpen())
        abandon();
}

int FlacWriter::writeBytes(void* self, const unsigned char* data, size_t bytes)
{
    auto* w = static_cast<FlacWriter*>(self);
    if (w->m_abandoning)
        return -1;
    // write() may write less than asked (a signal, a nearly full disk):
    // go on until all is out or the system says why not.
    while (bytes > 0) {
        const ssize_t done = ::write(w->m_fd, data, bytes);
        if (done < 0) {
            if (errno == EINTR)
                continue;
            w->m_writeErrno = errno;
            return -1;
        }
        data += done;
        bytes -= size_t(done);
    }
    return 0;
}

bool FlacWriter::fail(const QString& reason)
{
    m_error = m_path + QStringLiteral(": ") + reason;
    return false;
}

bool FlacWriter::failFromEncoder()
{
    if (m_writeErrno != 0)
        return fail(systemReason(m_writeErrno));
    const FLAC__StreamEncoderState state = FLAC__stream_encoder_get_state(m_encoder);
    return fail(QString::fromLatin1(FLAC__StreamEncoderStateString[state]));
}

void FlacWriter::release()
{
    if (m_encoder) {
        FLAC__stream_encoder_delete(m_encoder);
        m_encoder = nullptr;
    }
    for (int i = 0; i < m_metadataCount; ++i)
        FLAC__metadata_object_delete(m_metadata[i]);
    m_metadata.reset();
    m_metadataCount = 0;
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_carry.clear();
}

bool FlacWriter::open(const QString& path, const FlacSettings& settings, const FlacComments& comments,
                      qint64 expectedFrames)
{
    if (isOpen())
        abandon();
    m_path = path;
    m_error.clear();
    m_writeErrno = 0;
    m_abandoning = false;
    m_frames = 0;
    if (settings.compressionLevel < 0 || settings.compressionLevel > 8)
        return fail(QStringLiteral("compression level %1 is not 0 to 8").arg(settings.compressionLevel));

    m_metadata = std::make_unique<FLAC__StreamMetadata*[]>(3);
    FLAC__StreamMetadata* tags = FLAC__metadata_object_new(FLAC__METADATA_TYPE_VORBIS_COMMENT);
    m_metadata[m_metadataCount++] = tags;
    for (const auto& [name, value] : comments) {
        if (value.isEmpty())
            continue;
        FLAC__StreamMetadata_VorbisComment_Entry entry;
        const QByteArray utf8 = value.toUtf8();
        if (!FLAC__metadata_object_vorbiscomment_entry_from_name_value_pair(&entry, name.constData(),
                                                                            utf8.constData())) {
            release();
            return fail(QStringLiteral("the comment name %1 is not allowed").arg(QString::fromLatin1(name)));
        }
        // Takes the entry's memory.
        FLAC__metadata_object_vorbiscomment_append_comment(tags, entry, /*copy=*/false);
    }
    if (expectedFrames > 0) {
        FLAC__StreamMetadata* seekTable = FLAC__metadata_object_new(FLAC__METADATA_TYPE_SEEKTABLE);
        m_metadata[m_metadataCount++] = seekTable;
        FLAC__metadata_object_seektable_template_append_spaced_points_by_samples(seekTable, kSeekPointSpacing,
                                                                                  FLAC__uint64(expectedFrames));
        FLAC__metadata_object_seektable_template_sort(seekTable, /*compact=*/true);
    }
    FLAC__StreamMetadata* padding = FLAC__metadata_object_new(FLAC__METADATA_TYPE_PADDING);
    padding->length = kPaddingBytes;
    m_metadata[m_metadataCount++] = padding;

    m_fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK, 0666);
    if (m_fd < 0) {
        const int code = errno;
        release();
        return fail(systemReason(code));
    }
    // Only a file of our own may be removed again on abort or error; a
    // device or pipe at that name is refused before anything is written.
    struct stat st {};
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        release();
        return fail(QStringLiteral("not a regular file"));
    }
    m_encoder = FLAC__stream_encoder_new();
    FLAC__stream_encoder_set_channels(m_encoder, kChannels);
    FLAC__stream_encoder_set_bits_per_sample(m_encoder, kBitsPerSample);
    FLAC__stream_encoder_set_sample_rate(m_encoder, kSampleRate);
    FLAC__stream_encoder_set_compression_level(m_encoder, unsigned(settings.compressionLevel));
    FLAC__stream_encoder_set_verify(m_encoder, settings.verify);
    if (expectedFrames > 0)
        FLAC__stream_encoder_set_total_samples_estimate(m_encoder, FLAC__uint64(expectedFrames));
    FLAC__stream_encoder_set_metadata(m_encoder, m_metadata.get(), unsigned(m_metadataCount));
    const FLAC__StreamEncoderInitStatus init = FLAC__stream_encoder_init_stream(
        m_encoder, &FlacWriterCallbacks::write, &FlacWriterCallbacks::seek, &FlacWriterCallbacks::tell,
        nullptr, this);
    if (init != FLAC__STREAM_ENCODER_INIT_STATUS_OK) {
        if (init == FLAC__STREAM_ENCODER_INIT_STATUS_ENCODER_ERROR)
            failFromEncoder();
        else
            fail(QString::fromLatin1(FLAC__StreamEncoderInitStatusString[init]));
        const QString error = m_error;
        abandon();
        m_error = error;
        return false;
    }
    return true;
}

bool FlacWriter::write(const char* pcm, qsizetype bytes)
{
    if (!isOpen())
        return fail(QStringLiteral("not open"));
    std::vector<FLAC__int32> samples;
    samples.reserve(size_t(kChunkFrames * kChannels));
    auto flush = [&] {
        if (samples.empty())
            return true;
        const bool ok = FLAC__stream_encoder_process_interleaved(m_encoder, samples.data(),
                                                                 unsigned(samples.size() / kChannels));
        m_frames += qint64(samples.size() / kChannels);
        samples.clear();
        return ok;
    };
    auto sampleAt = [](const unsigned char* p) { return FLAC__int32(int16_t(uint16_t(p[0] | (p[1] << 8)))); };

    // A frame begun in the last call is completed first.
    while (!m_carry.isEmpty() && bytes > 0) {
        m_carry.append(*pcm++);
        --bytes;
        if (m_carry.size() == kBytesPerFrame) {
            const auto* p = reinterpret_cast<const unsigned char*>(m_carry.constData());
            samples.push_back(sampleAt(p));
            samples.push_back(sampleAt(p + 2));
            m_carry.clear();
        }
    }
    const auto* p = reinterpret_cast<const unsigned char*>(pcm);
    const qsizetype frames = bytes / kBytesPerFrame;
    for (qsizetype f = 0; f < frames; ++f, p += kBytesPerFrame) {
        samples.push_back(sampleAt(p));
        samples.push_back(sampleAt(p + 2));
        if (qsizetype(samples.size()) == kChunkFrames * kChannels && !flush())
            return failFromEncoder();
    }
    if (!flush())
        return failFromEncoder();
    m_carry.append(reinterpret_cast<const char*>(p), bytes - frames * kBytesPerFrame);
    return true;
}

bool FlacWriter::finish()
{
    if (!isOpen())
        return fail(QStringLiteral("not open"));
    // Half a frame at the end (a damaged WAV's odd data size) cannot be
    // encoded; it is dropped as a WAV player would.
    if (!FLAC__stream_encoder_finish(m_encoder)) {
        failFromEncoder();
        const QString error = m_error;
        abandon();
        m_error = error;
        return false;
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        const int code = errno;
        release();
        ::unlink(QFile::encodeName(m_path).constData());
        return fail(systemReason(code));
    }
    release();
    return true;
}

void FlacWriter::abandon()
{
    if (!isOpen() && m_fd < 0)
        return;
    m_abandoning = true;
    if (m_encoder)
        FLAC__stream_encoder_finish(m_encoder);
    release();
    ::unlink(QFile::encodeName(m_path).constData());
    m_abandoning = false;
}

}
