// SPDX-License-Identifier: LGPL-2.1-or-later
// A CUE sheet of a disc image with one BIN file of raw 2352-byte sectors,
// and the disc layout it describes. Every CUE file is treated as hostile
// input: anything the reader does not understand rejects the sheet.
#ifndef AKRIP_CUESHEET_H
#define AKRIP_CUESHEET_H

#include "cdtext.h"
#include "disclayout.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace akrip {

// CUE files are small; a bigger file is not a CUE sheet.
constexpr size_t kMaxCueBytes = 256 * 1024;

// Longest image taken: 99:59:74 in MSF, so every address fits the TOC.
constexpr int64_t kMaxImageSectors = 100 * 60 * 75 - kLeadInSectors;

// The shortest track a CD may hold, 4 seconds: the length given to a last
// track that the BIN holds no sector of.
constexpr int64_t kMinTrackSectors = 4 * 75;

struct CueTrack {
    int number = 0;
    bool audio = true;
    bool copyPermitted = false;
    int32_t index00 = -1; // sector in the BIN, -1 when absent
    int32_t index01 = -1;
    CdTextItems text; // TITLE, PERFORMER, SONGWRITER after its TRACK line
};

struct CueSheet {
    std::string fileName; // as written on the FILE line
    std::vector<CueTrack> tracks;
    CdTextItems disc; // TITLE, PERFORMER, SONGWRITER before the first TRACK
    // The sheet's texts as CD-TEXT: UTF-8 when the whole file is valid
    // UTF-8 (with or without a byte-order mark), else read as windows-1252.
    CdText cdText() const;
};

// Parses the text of a CUE file. On failure returns nothing and, when
// error is given, a one-line reason.
std::optional<CueSheet> parseCueSheet(std::string_view text, std::string* error = nullptr);

// The layout of a parsed sheet whose BIN holds binSectors whole sectors.
// Every track of the sheet is listed with the start the sheet gives it; the
// BIN's end is the lead-out unless the BIN ends before the last track
// starts, which then gets kMinTrackSectors. In a cut-short image the
// sectors the BIN lacks are listed and fail to read. LBA 0 is track 1's
// INDEX 01.
std::optional<DiscLayout> layoutFromCue(const CueSheet& sheet, int64_t binSectors, std::string* error = nullptr);

// The name of the BIN file a FILE line refers to, within the CUE's folder:
// the last path component (CUE files made on Windows carry backslashes).
// Empty when the name cannot be a file name there.
std::string binBaseName(const std::string& fileLineName);

}

#endif
