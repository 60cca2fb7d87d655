// SPDX-License-Identifier: GPL-2.0-or-later
// Writes disc images (a CUE sheet and one BIN file of raw 2352-byte
// sectors) with generated audio, for test fixtures and the demo disc. The
// audio of every track is deterministic, so a test can regenerate the PCM
// it expects byte for byte with trackPcm().
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace trackmill::discimage {

constexpr uint32_t kSectorBytes = 2352;      // 588 stereo samples of 16 bits
constexpr uint32_t kBytesPerSecond = 176400; // 75 sectors
constexpr uint32_t kSampleRate = 44100;
// Zero sectors between the audio and the data track of an Enhanced CD:
// lead-out 6750, lead-in 4500 and the data track's pregap of 150.
constexpr uint32_t kSessionGapSectors = 11400;

enum class Content {
    TestPattern, // pseudo-random bytes, different for every track and offset
    Music,       // chords and arpeggios, a key and tempo of its own per track
};

struct DiscSpec {
    // PCM bytes of each audio track, any length: a track that does not fill
    // its last sector is padded with zeros, as a burner does.
    std::vector<uint64_t> trackBytes;
    Content content = Content::TestPattern;
    // A final MODE1/2352 data track after a session gap, as on an
    // Enhanced CD.
    bool dataTrack = false;
    uint32_t dataSectors = 600;
    bool copyPermitted = false; // FLAGS DCP on every audio track
    std::string binFileName;    // FILE line and BIN name; empty: the CUE's name with ".bin"
    // CD-TEXT lines of the CUE sheet (TITLE, PERFORMER, SONGWRITER), each
    // written as given (bytes in any encoding), none when empty: the disc's
    // before the first track, track n's from entry n - 1.
    std::string title;
    std::string performer;
    std::string songwriter;
    std::vector<std::string> trackTitles;
    std::vector<std::string> trackPerformers;
};

// Where everything went, in sectors from the start of the BIN (track 1's
// INDEX 01 is sector 0).
struct DiscLayout {
    std::string cuePath;
    std::string binPath;
    std::vector<uint32_t> trackStart;   // audio tracks
    std::vector<uint32_t> trackSectors; // audio tracks, the last sector padded
    uint32_t audioEnd = 0;              // first sector after the audio
    uint32_t dataStart = 0;             // INDEX 01 of the data track, 0 without one
    uint32_t totalSectors = 0;
};

uint64_t bytesForSeconds(double seconds);    // whole stereo samples
uint64_t bytesForSamples(uint64_t samples);  // stereo samples of 4 bytes
uint32_t sectorsForBytes(uint64_t bytes);    // rounded up

// Writes basePath + ".cue" and the BIN (basePath + ".bin" unless binFileName
// names another file, which then lies in the same folder). The folder is
// created when missing. The BIN is written first and both files appear
// under their names only when complete. Throws std::runtime_error.
DiscLayout writeDisc(const std::string& basePath, const DiscSpec& discSpec);

// The PCM of audio track `track` (1-based) exactly as written, without the
// padding: discSpec.trackBytes[track - 1] bytes.
std::vector<uint8_t> trackPcm(const DiscSpec& discSpec, int track);

// One raw MODE1 sector at BIN sector `sector`: sync pattern, header with
// the BCD address (sector + 150 in MSF), mode 1, 2048 bytes of user data
// and its EDC. The ECC bytes are left zero.
void fillDataSector(uint8_t* out, uint32_t sector);

// The demo disc: ten pieces of 1 to 4 minutes, each in a key and tempo of
// its own, with CD-TEXT naming the disc and every piece.
DiscSpec demoDisc();

}
