// SPDX-License-Identifier: GPL-2.0-or-later
#include "discimage.h"

#include "musicsynth.h"

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace trackmill::discimage {

namespace {

uint64_t splitmix(uint64_t x)
{
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// Byte k of the test pattern of a track: any shifted, swapped or repeated
// block of a read shows up as a difference.
void fillPattern(int track, uint64_t bytes, uint8_t* out)
{
    for (uint64_t k = 0; k < bytes; k += 8) {
        const uint64_t v = splitmix((static_cast<uint64_t>(track) << 48) ^ (k >> 3));
        for (uint64_t j = 0; j < 8 && k + j < bytes; ++j)
            out[k + j] = static_cast<uint8_t>(v >> (8 * j));
    }
}

std::string msf(uint32_t sector)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", sector / 4500, sector / 75 % 60, sector % 75);
    return text;
}

uint8_t bcd(uint32_t v)
{
    return static_cast<uint8_t>((v / 10) << 4 | (v % 10));
}

// CD-ROM error detection code: CRC-32 of polynomial
// x^32 + x^31 + x^16 + x^15 + x^4 + x^3 + x + 1, bit-reversed.
uint32_t edc(const uint8_t* data, size_t n)
{
    static const auto table = [] {
        std::array<uint32_t, 256> t {};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t r = i;
            for (int b = 0; b < 8; ++b)
                r = (r >> 1) ^ ((r & 1) ? 0xD8018001u : 0u);
            t[i] = r;
        }
        return t;
    }();
    uint32_t crc = 0;
    for (size_t i = 0; i < n; ++i)
        crc = (crc >> 8) ^ table[(crc ^ data[i]) & 0xFF];
    return crc;
}

class File {
public:
    explicit File(const std::string& path)
        : path_(path), f_(std::fopen(path.c_str(), "wb"))
    {
        if (!f_)
            throw std::runtime_error("cannot create " + path + ": " + std::strerror(errno));
    }
    ~File()
    {
        if (f_)
            std::fclose(f_);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    void write(const void* data, size_t n)
    {
        if (n && std::fwrite(data, 1, n, f_) != n)
            throw std::runtime_error("cannot write " + path_);
    }
    void close()
    {
        const int rc = std::fclose(f_);
        f_ = nullptr;
        if (rc != 0)
            throw std::runtime_error("cannot write " + path_);
    }

private:
    std::string path_;
    std::FILE* f_;
};

std::string cueQuoted(const std::string& text)
{
    // A quote inside a CUE word cannot be written; it becomes an apostrophe.
    std::string out = text;
    for (char& c : out)
        if (c == '"')
            c = '\'';
    return "\"" + out + "\"";
}

}

uint64_t bytesForSeconds(double seconds)
{
    return bytesForSamples(static_cast<uint64_t>(std::llround(seconds * kSampleRate)));
}

uint64_t bytesForSamples(uint64_t samples)
{
    return samples * 4;
}

uint32_t sectorsForBytes(uint64_t bytes)
{
    return static_cast<uint32_t>((bytes + kSectorBytes - 1) / kSectorBytes);
}

std::vector<uint8_t> trackPcm(const DiscSpec& discSpec, int track)
{
    if (track < 1 || static_cast<size_t>(track) > discSpec.trackBytes.size())
        throw std::out_of_range("no such track");
    const uint64_t bytes = discSpec.trackBytes[static_cast<size_t>(track) - 1];
    std::vector<uint8_t> pcm(bytes);
    if (discSpec.content == Content::TestPattern) {
        fillPattern(track, bytes, pcm.data());
    } else {
        const std::vector<int16_t> samples = MusicSynth(track).render((bytes + 3) / 4);
        for (uint64_t k = 0; k < bytes; ++k) {
            const uint16_t s = static_cast<uint16_t>(samples[k / 2]);
            pcm[k] = static_cast<uint8_t>(k % 2 ? s >> 8 : s);
        }
    }
    return pcm;
}

void fillDataSector(uint8_t* out, uint32_t sector)
{
    std::memset(out, 0, kSectorBytes);
    std::memset(out + 1, 0xFF, 10);
    const uint32_t abs = sector + 150;
    out[12] = bcd(abs / 4500);
    out[13] = bcd(abs / 75 % 60);
    out[14] = bcd(abs % 75);
    out[15] = 1;
    std::snprintf(reinterpret_cast<char*>(out + 16), 2048, "Trackmill test data, sector %u", sector);
    const uint32_t code = edc(out, 2064);
    for (int i = 0; i < 4; ++i)
        out[2064 + i] = static_cast<uint8_t>(code >> (8 * i));
}

DiscLayout writeDisc(const std::string& basePath, const DiscSpec& discSpec)
{
    namespace fs = std::filesystem;
    if (discSpec.trackBytes.empty() || discSpec.trackBytes.size() + (discSpec.dataTrack ? 1 : 0) > 99)
        throw std::runtime_error("a disc holds 1 to 99 tracks");
    for (uint64_t bytes : discSpec.trackBytes)
        if (bytes == 0)
            throw std::runtime_error("a track holds at least one byte");

    DiscLayout layout;
    const fs::path base(basePath);
    const fs::path dir = base.has_parent_path() ? base.parent_path() : fs::path(".");
    fs::create_directories(dir);
    const std::string binName = discSpec.binFileName.empty() ? base.filename().string() + ".bin" : discSpec.binFileName;
    layout.binPath = (dir / binName).string();
    layout.cuePath = basePath + ".cue";

    {
        File bin(layout.binPath + ".part");
        uint32_t at = 0;
        std::vector<uint8_t> pad(kSectorBytes, 0);
        for (size_t t = 0; t < discSpec.trackBytes.size(); ++t) {
            const std::vector<uint8_t> pcm = trackPcm(discSpec, static_cast<int>(t) + 1);
            bin.write(pcm.data(), pcm.size());
            const uint32_t sectors = sectorsForBytes(pcm.size());
            bin.write(pad.data(), static_cast<size_t>(sectors) * kSectorBytes - pcm.size());
            layout.trackStart.push_back(at);
            layout.trackSectors.push_back(sectors);
            at += sectors;
        }
        layout.audioEnd = at;
        if (discSpec.dataTrack) {
            for (uint32_t i = 0; i < kSessionGapSectors; ++i)
                bin.write(pad.data(), kSectorBytes);
            at += kSessionGapSectors;
            layout.dataStart = at;
            std::vector<uint8_t> sector(kSectorBytes);
            for (uint32_t i = 0; i < discSpec.dataSectors; ++i) {
                fillDataSector(sector.data(), at + i);
                bin.write(sector.data(), kSectorBytes);
            }
            at += discSpec.dataSectors;
        }
        layout.totalSectors = at;
        bin.close();
    }
    fs::rename(layout.binPath + ".part", layout.binPath);

    std::string cue = "REM Generated disc image\r\n";
    const auto cdText = [&cue](const char* indent, const char* keyword, const std::string& value) {
        if (!value.empty())
            cue += std::string(indent) + keyword + ' ' + cueQuoted(value) + "\r\n";
    };
    const auto entry = [](const std::vector<std::string>& values, size_t t) {
        return t < values.size() ? values[t] : std::string();
    };
    cdText("", "PERFORMER", discSpec.performer);
    cdText("", "TITLE", discSpec.title);
    cdText("", "SONGWRITER", discSpec.songwriter);
    cue += "FILE " + cueQuoted(binName) + " BINARY\r\n";
    char number[24];
    for (size_t t = 0; t < discSpec.trackBytes.size(); ++t) {
        std::snprintf(number, sizeof number, "%02zu", t + 1);
        cue += std::string("  TRACK ") + number + " AUDIO\r\n";
        cdText("    ", "TITLE", entry(discSpec.trackTitles, t));
        cdText("    ", "PERFORMER", entry(discSpec.trackPerformers, t));
        if (discSpec.copyPermitted)
            cue += "    FLAGS DCP\r\n";
        cue += "    INDEX 01 " + msf(layout.trackStart[t]) + "\r\n";
    }
    if (discSpec.dataTrack) {
        std::snprintf(number, sizeof number, "%02zu", discSpec.trackBytes.size() + 1);
        cue += std::string("  TRACK ") + number + " MODE1/2352\r\n";
        cue += "    INDEX 00 " + msf(layout.audioEnd) + "\r\n";
        cue += "    INDEX 01 " + msf(layout.dataStart) + "\r\n";
    }
    {
        File file(layout.cuePath + ".part");
        file.write(cue.data(), cue.size());
        file.close();
    }
    fs::rename(layout.cuePath + ".part", layout.cuePath);
    return layout;
}

DiscSpec demoDisc()
{
    DiscSpec discSpec;
    discSpec.content = Content::Music;
    discSpec.title = "Demo Disc";
    discSpec.performer = "The Trackmill Ensemble";
    discSpec.trackTitles = {"Morning Chorale", "Arpeggio Walk", "Little Interlude", "Long Road Home",
                            "Steps in C", "Short Story", "Evening Waltz", "Turnaround", "Bright Hours",
                            "Last Light"};
    // Ten pieces of 1 to 4 minutes, about 23 minutes in all.
    for (double seconds : {96.4, 143.2, 71.6, 188.1, 124.5, 65.3, 212.8, 104.9, 157.2, 233.7})
        discSpec.trackBytes.push_back(bytesForSeconds(seconds));
    return discSpec;
}

}
