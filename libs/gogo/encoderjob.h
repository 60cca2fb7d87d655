// SPDX-License-Identifier: LGPL-2.1-or-later
#pragma once

#include "gogo.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

struct lame_global_struct;
struct sf_private_tag;

namespace gogo {

// The settings gathered by MPGE_setConfigure for the next job.
struct JobSettings
{
    int inputMode = -1;  // GOGO_INPUT_FILE or GOGO_INPUT_READER, -1 unset
    std::string inputPath;
    GogoReaderRecord reader{};
    bool outputSet = false;
    std::string outputPath;
    int channelMode = 2;  // joint stereo
    int bitrateKbps = 128;
    int outputRate = 0;   // 0: keep the input's rate
    bool psycho = false;
    bool lowpass16k = false;
    bool useMmx = false, use3dnow = false, useSse = false;
    int emphasis = 0;
    bool vbr = false;
    int vbrLevel = 5;
    int outputFormat = 0;
    int vbrMinKbps = 0, vbrMaxKbps = 0;  // 0: LAME's range
    int filterLow = 0, filterHigh = 0;   // percent of Nyquist, both 0: unset
    int msPower = 0;
};

// One encode job: the input (a WAV file through libsndfile or the reader
// function), LAME, and the output file. Created by MPGE_detectConfigure.
class EncoderJob
{
public:
    ~EncoderJob();

    // Opens input and output and sets LAME up; returns GOGO_OK or an error.
    MERET open(const JobSettings& settings);
    int totalFrames() const { return m_totalFrames; }
    // One frame's worth of input; GOGO_OK, GOGO_INPUT_FINISHED or an error.
    MERET processFrame();
    // Flushes (when the input was finished), writes the LAME tag, closes.
    MERET close();

private:
    MERET openInput(const JobSettings& settings);
    MERET setUpLame(const JobSettings& settings);
    // Reads up to `frames` sample frames into m_pcm (interleaved shorts or
    // floats); returns the count, or -1 on a read error.
    long readInput(long frames);
    long readFromReader(long frames);
    MERET writeOut(int bytes);
    MERET finish();

    lame_global_struct* m_lame = nullptr;
    sf_private_tag* m_sndfile = nullptr;
    std::FILE* m_out = nullptr;
    GogoReaderFunction m_readerFunction = nullptr;
    bool m_readerEnded = false;
    bool m_floatInput = false;
    int m_channels = 2;
    int m_inputRate = 44100;
    long long m_knownFrames = -1;  // input sample frames, -1 unknown
    int m_totalFrames = 0;
    // Input sample frames per output MPEG frame, as a fraction: frame k
    // consumes floor((k+1)*num/den) - floor(k*num/den) input frames.
    long long m_chunkNum = 1152, m_chunkDen = 1, m_chunkIndex = 0;
    bool m_finished = false;
    bool m_flushed = false;
    std::vector<short> m_pcm;
    std::vector<float> m_pcmFloat;
    std::vector<unsigned char> m_readerBlock;  // one block from the reader
    long long m_readerFramesRead = 0;
    std::vector<short> m_fifo;                 // reader samples not yet encoded
    size_t m_fifoStart = 0;
    std::vector<unsigned char> m_mp3;
};

}
