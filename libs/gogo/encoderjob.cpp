// SPDX-License-Identifier: LGPL-2.1-or-later
#include "encoderjob.h"

#include <lame/lame.h>
#include <sndfile.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <numeric>

namespace gogo {

namespace {

// One CD sector of sample frames (2352 bytes of 16-bit stereo): the block
// asked from the reader function, so sector-wise producers are never padded.
constexpr long kReaderBlockFrames = 588;

bool isMpeg1Rate(int rate)
{
    return rate == 32000 || rate == 44100 || rate == 48000;
}

bool isSupportedSubtype(int subtype)
{
    switch (subtype) {
    case SF_FORMAT_PCM_U8:
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_16:
    case SF_FORMAT_PCM_24:
    case SF_FORMAT_PCM_32:
    case SF_FORMAT_FLOAT:
    case SF_FORMAT_DOUBLE:
        return true;
    default:
        return false;
    }
}

// LAME expects float samples within -1..1 and asserts (aborting the whole
// process) on a NaN or an infinity reaching its energy sums. A float WAV can
// carry anything, so silence stands in for a sample that is no number and
// values beyond full scale are clipped to it.
void makeSafeForLame(float* samples, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const float v = samples[i];
        samples[i] = std::isfinite(v) ? std::clamp(v, -1.0f, 1.0f) : 0.0f;
    }
}

// Whether both paths name one existing file, however they are spelt
// (symbolic links, "..", hard links): writing the output would then
// truncate the input before a sample of it was read.
bool sameFile(const std::string& a, const std::string& b)
{
    struct stat sa {}, sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev
           && sa.st_ino == sb.st_ino;
}

// LAME keeps some tables in globals that every context fills while it is
// set up (the quantiser's power tables, the log table) and reads while it
// encodes. Contexts are made, set up and freed one at a time, so two setups
// never fill the tables together; a setup beside a running job writes back
// the very values the tables already hold (they are computed the same way
// every time), so the running job reads the same numbers throughout.
// Encoding itself runs on every context in parallel.
std::mutex g_lameSetupMutex;

}

EncoderJob::~EncoderJob()
{
    close();
}

MERET EncoderJob::open(const JobSettings& settings)
{
    if (settings.inputMode < 0 || !settings.outputSet)
        return GOGO_ERR_SEQUENCE;
    if (settings.outputFormat != 0)
        return GOGO_ERR_OUTPUT_FORMAT;
    if (settings.inputMode == GOGO_INPUT_FILE && sameFile(settings.inputPath, settings.outputPath))
        return GOGO_ERR_SAME_FILE;
    if (MERET r = openInput(settings))
        return r;
    if (MERET r = setUpLame(settings))
        return r;
    // "w+b": lame_mp3_tags_fid reads the first frame back to fill in the tag.
    m_out = std::fopen(settings.outputPath.c_str(), "w+b");
    if (!m_out)
        return GOGO_ERR_OUTPUT_OPEN;
    return GOGO_OK;
}

MERET EncoderJob::openInput(const JobSettings& settings)
{
    if (settings.inputMode == GOGO_INPUT_READER) {
        const GogoReaderRecord& rec = settings.reader;
        if (!rec.reader || rec.bitsPerSample != 16 || rec.channels < 1 || rec.channels > 2
            || rec.sampleRate < 8000 || rec.sampleRate > 192000)
            return GOGO_ERR_INPUT_FORMAT;
        m_readerFunction = rec.reader;
        m_channels = rec.channels;
        m_inputRate = rec.sampleRate;
        if (rec.size != GOGO_LENGTH_UNKNOWN)
            m_knownFrames = rec.size / (2 * m_channels);
        m_readerBlock.resize(static_cast<size_t>(kReaderBlockFrames) * m_channels * 2);
        return GOGO_OK;
    }

    SF_INFO info{};
    m_sndfile = sf_open(settings.inputPath.c_str(), SFM_READ, &info);
    if (!m_sndfile)
        return GOGO_ERR_INPUT_OPEN;
    const int major = info.format & SF_FORMAT_TYPEMASK;
    if (major != SF_FORMAT_WAV && major != SF_FORMAT_WAVEX && major != SF_FORMAT_RF64)
        return GOGO_ERR_INPUT_FORMAT;
    if (!isSupportedSubtype(info.format & SF_FORMAT_SUBMASK))
        return GOGO_ERR_INPUT_FORMAT;
    if (info.channels < 1 || info.channels > 2 || info.samplerate < 8000
        || info.samplerate > 192000 || info.frames <= 0)
        return GOGO_ERR_INPUT_FORMAT;
    m_channels = info.channels;
    m_inputRate = info.samplerate;
    m_knownFrames = info.frames;
    const int subtype = info.format & SF_FORMAT_SUBMASK;
    // 8- and 16-bit samples go to LAME as they are; wider ones as floats so
    // no resolution is lost on the way.
    m_floatInput = !(subtype == SF_FORMAT_PCM_U8 || subtype == SF_FORMAT_PCM_S8
                     || subtype == SF_FORMAT_PCM_16);
    return GOGO_OK;
}

MERET EncoderJob::setUpLame(const JobSettings& s)
{
    std::lock_guard setup(g_lameSetupMutex);
    m_lame = lame_init();
    if (!m_lame)
        return GOGO_ERR_MEMORY;
    lame_global_flags* gf = m_lame;
    lame_set_num_channels(gf, m_channels);
    lame_set_in_samplerate(gf, m_inputRate);
    if (m_knownFrames >= 0)
        lame_set_num_samples(gf, static_cast<unsigned long>(m_knownFrames));

    int outRate = s.outputRate;
    if (outRate == 0 && isMpeg1Rate(m_inputRate))
        outRate = m_inputRate;
    if (outRate)
        lame_set_out_samplerate(gf, outRate);

    switch (s.channelMode) {
    case 0: lame_set_mode(gf, MONO); break;
    case 1: lame_set_mode(gf, STEREO); break;
    case 2: lame_set_mode(gf, JOINT_STEREO); break;
    case 3:
        lame_set_mode(gf, JOINT_STEREO);
        lame_set_force_ms(gf, 1);
        break;
    case 4: lame_set_mode(gf, DUAL_CHANNEL); break;
    }
    if (m_channels == 1)
        lame_set_mode(gf, MONO);

    lame_set_quality(gf, s.psycho ? 3 : 7);

    if (s.vbr) {
        lame_set_VBR(gf, vbr_default);
        lame_set_VBR_q(gf, s.vbrLevel);
        if (s.vbrMinKbps > 0) {
            lame_set_VBR_min_bitrate_kbps(gf, s.vbrMinKbps);
            lame_set_VBR_hard_min(gf, 1);
        }
        if (s.vbrMaxKbps > 0)
            lame_set_VBR_max_bitrate_kbps(gf, s.vbrMaxKbps);
    } else {
        lame_set_VBR(gf, vbr_off);
        int kbps = s.bitrateKbps;
        const bool lowRate = outRate != 0 && outRate < 32000;
        if (lowRate && kbps > 160)
            kbps = 160;
        lame_set_brate(gf, kbps);
    }

    // Nyquist of the output; when LAME chooses the rate itself (odd input
    // rates) the input's Nyquist is the best estimate before init.
    const int nyquist = (outRate ? outRate : m_inputRate) / 2;
    if (s.filterLow > 0 || s.filterHigh > 0) {
        const int a = std::min(s.filterLow, s.filterHigh);
        const int b = std::max(s.filterLow, s.filterHigh);
        const int lowHz = nyquist * a / 100;
        const int highHz = nyquist * b / 100;
        lame_set_lowpassfreq(gf, std::max(1, (lowHz + highHz) / 2));
        lame_set_lowpasswidth(gf, std::max(1, highHz - lowHz));
    } else if (s.lowpass16k) {
        lame_set_lowpassfreq(gf, 16000);
    }

    if (s.msPower > 0 && (s.channelMode == 2 || s.channelMode == 3))
        lame_set_msfix(gf, 3.5 * s.msPower / 100.0);

    lame_set_emphasis(gf, s.emphasis);
    lame_set_asm_optimizations(gf, MMX, s.useMmx ? 1 : 0);
    lame_set_asm_optimizations(gf, AMD_3DNOW, s.use3dnow ? 1 : 0);
    lame_set_asm_optimizations(gf, SSE, s.useSse ? 1 : 0);
    lame_set_bWriteVbrTag(gf, 1);

    if (lame_init_params(gf) < 0)
        return GOGO_ERR_ENCODER_SETUP;

    const long long framesize = lame_get_framesize(gf);
    const long long outSampleRate = lame_get_out_samplerate(gf);
    if (framesize <= 0 || outSampleRate <= 0)
        return GOGO_ERR_ENCODER_SETUP;
    m_chunkNum = framesize * m_inputRate;
    m_chunkDen = outSampleRate;
    const long long g = std::gcd(m_chunkNum, m_chunkDen);
    m_chunkNum /= g;
    m_chunkDen /= g;
    m_totalFrames = m_knownFrames >= 0 ? lame_get_totalframes(gf) : 0;
    if (m_totalFrames < 0)
        m_totalFrames = 0;

    const size_t maxChunk = static_cast<size_t>(m_chunkNum / m_chunkDen + 1);
    if (m_floatInput)
        m_pcmFloat.resize(maxChunk * m_channels);
    else
        m_pcm.resize(maxChunk * m_channels);
    // LAME's advice for the worst case: 1.25 * samples + 7200 bytes.
    m_mp3.resize(maxChunk * 5 / 4 + 7200);
    return GOGO_OK;
}

long EncoderJob::readFromReader(long frames)
{
    const size_t want = static_cast<size_t>(frames) * m_channels;
    while (m_fifo.size() - m_fifoStart < want && !m_readerEnded) {
        size_t bytes = m_readerBlock.size();
        if (m_knownFrames >= 0) {
            // Never ask beyond the announced length: no padding at the end.
            const long long readSoFar = static_cast<long long>(m_readerFramesRead);
            const long long left = (m_knownFrames - readSoFar) * m_channels * 2;
            if (left <= 0) {
                m_readerEnded = true;
                break;
            }
            bytes = std::min<size_t>(bytes, static_cast<size_t>(left));
        }
        if (m_readerFunction(m_readerBlock.data(), static_cast<uint32_t>(bytes)) != 0) {
            m_readerEnded = true;
            break;
        }
        m_readerFramesRead += bytes / (2 * m_channels);
        if (m_fifoStart > 0 && m_fifoStart >= m_fifo.size() / 2) {
            m_fifo.erase(m_fifo.begin(), m_fifo.begin() + static_cast<long>(m_fifoStart));
            m_fifoStart = 0;
        }
        const size_t old = m_fifo.size();
        m_fifo.resize(old + bytes / 2);
        std::memcpy(m_fifo.data() + old, m_readerBlock.data(), (bytes / 2) * 2);
    }
    const size_t have = std::min(want, m_fifo.size() - m_fifoStart);
    std::copy_n(m_fifo.begin() + static_cast<long>(m_fifoStart), have, m_pcm.begin());
    m_fifoStart += have;
    return static_cast<long>(have / m_channels);
}

long EncoderJob::readInput(long frames)
{
    if (m_readerFunction)
        return readFromReader(frames);
    sf_count_t got = m_floatInput ? sf_readf_float(m_sndfile, m_pcmFloat.data(), frames)
                                  : sf_readf_short(m_sndfile, m_pcm.data(), frames);
    if (got > 0 && m_floatInput)
        makeSafeForLame(m_pcmFloat.data(), static_cast<size_t>(got) * static_cast<size_t>(m_channels));
    if (got <= 0) {
        // A short file (header promising more than is there) just ends;
        // only a real I/O error counts as a failure.
        return sf_error(m_sndfile) == SF_ERR_NO_ERROR || sf_error(m_sndfile) == SF_ERR_MALFORMED_FILE ? 0 : -1;
    }
    return static_cast<long>(got);
}

MERET EncoderJob::writeOut(int bytes)
{
    if (bytes < 0)
        return GOGO_ERR_INTERNAL;
    if (bytes > 0 && std::fwrite(m_mp3.data(), 1, static_cast<size_t>(bytes), m_out)
                         != static_cast<size_t>(bytes))
        return GOGO_ERR_WRITE;
    return GOGO_OK;
}

MERET EncoderJob::processFrame()
{
    if (!m_lame || !m_out)
        return GOGO_ERR_SEQUENCE;
    if (m_finished)
        return GOGO_INPUT_FINISHED;
    const long long want = (m_chunkIndex + 1) * m_chunkNum / m_chunkDen
                           - m_chunkIndex * m_chunkNum / m_chunkDen;
    const long got = readInput(static_cast<long>(want));
    if (got < 0)
        return GOGO_ERR_READ;
    if (got == 0)
        return finish();
    ++m_chunkIndex;

    int bytes;
    const int size = static_cast<int>(m_mp3.size());
    if (m_floatInput) {
        bytes = m_channels == 2
                    ? lame_encode_buffer_interleaved_ieee_float(m_lame, m_pcmFloat.data(),
                                                                static_cast<int>(got),
                                                                m_mp3.data(), size)
                    : lame_encode_buffer_ieee_float(m_lame, m_pcmFloat.data(), m_pcmFloat.data(),
                                                    static_cast<int>(got), m_mp3.data(), size);
    } else {
        bytes = m_channels == 2
                    ? lame_encode_buffer_interleaved(m_lame, m_pcm.data(), static_cast<int>(got),
                                                     m_mp3.data(), size)
                    : lame_encode_buffer(m_lame, m_pcm.data(), m_pcm.data(),
                                         static_cast<int>(got), m_mp3.data(), size);
    }
    return writeOut(bytes);
}

MERET EncoderJob::finish()
{
    m_finished = true;
    const int bytes = lame_encode_flush(m_lame, m_mp3.data(), static_cast<int>(m_mp3.size()));
    if (MERET r = writeOut(bytes))
        return r;
    m_flushed = true;
    // Rewrites the first frame with encoder delay and padding (gapless).
    lame_mp3_tags_fid(m_lame, m_out);
    if (std::fflush(m_out) != 0 || std::ferror(m_out))
        return GOGO_ERR_WRITE;
    return GOGO_INPUT_FINISHED;
}

MERET EncoderJob::close()
{
    MERET result = GOGO_OK;
    if (m_out) {
        if (std::fclose(m_out) != 0)
            result = GOGO_ERR_WRITE;
        m_out = nullptr;
    }
    if (m_sndfile) {
        sf_close(m_sndfile);
        m_sndfile = nullptr;
    }
    if (m_lame) {
        std::lock_guard setup(g_lameSetupMutex);
        lame_close(m_lame);
        m_lame = nullptr;
    }
    return result;
}

}
