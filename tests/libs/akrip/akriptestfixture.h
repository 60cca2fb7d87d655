// SPDX-License-Identifier: GPL-2.0-or-later
// Fixture of the CD ripping library tests: physical drives off, the discs
// folder a fresh temporary directory, every handle closed afterwards.
#pragma once

#include "akrip32.h"
#include "akrip32_testing.h"
#include "discimage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace trackmill::test {

struct TocEntry {
    uint8_t control;
    uint8_t number;
    uint32_t address; // big-endian LBA, or the four MSF bytes as 0x00MMSSFF
};

// The entries of a TOC: tracks first..last, then the lead-out.
std::vector<TocEntry> tocEntries(const TOC& toc);

discimage::DiscSpec audioSpec(std::vector<uint64_t> trackBytes);

// A read buffer for `frames` sectors, as the ripper allocates it.
struct ReadBuffer {
    explicit ReadBuffer(uint32_t frames);
    TRACKBUF* get() { return reinterpret_cast<TRACKBUF*>(bytes.data()); }
    std::vector<uint8_t> bytes;
};

// The bytes of every successful read in order, the number of reads and the
// status of the last one.
struct RipResult {
    std::vector<uint8_t> pcm;
    int reads = 0;
    DWORD lastStatus = SS_COMP;
};

class AkripTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string path(const std::string& name) const { return dir_ + "/" + name; }
    void writeFile(const std::string& name, const std::string& bytes) const;
    discimage::DiscLayout writeDisc(const std::string& baseName, const discimage::DiscSpec& discSpec) const
    {
        return discimage::writeDisc(path(baseName), discSpec);
    }

    CDLIST driveList(BYTE max = MAXCDLIST) const;
    // Opens drive `ha` (closed again in TearDown); 0 when refused.
    HCDROM open(BYTE ha);
    // Sets the address mode and reads the TOC; returns the status.
    DWORD readToc(HCDROM h, bool msf, TOC& toc) const;
    // Reads [start, start + length) 26 sectors at a time, fewer at the end,
    // stopping at the first failing read, as the ripper does.
    RipResult rip(HCDROM h, uint32_t start, uint32_t length) const;

    std::string dir_;
    std::vector<HCDROM> opened_;
};

}
