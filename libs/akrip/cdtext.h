// SPDX-License-Identifier: LGPL-2.1-or-later
// CD-TEXT of a disc as the library hands it out: the disc's and each
// track's title, performer and songwriter, UTF-8 without control characters.
#ifndef AKRIP_CDTEXT_H
#define AKRIP_CDTEXT_H

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

typedef struct _CdIo CdIo_t;

namespace akrip {

// One CD-TEXT item is at most 160 bytes on a disc; a value longer than this
// (a hostile CUE sheet) is cut on a character boundary.
constexpr std::size_t kMaxCdTextValue = 255;

struct CdTextItems {
    std::string title;
    std::string performer;
    std::string songwriter;

    bool empty() const { return title.empty() && performer.empty() && songwriter.empty(); }
};

struct CdText {
    // [0] the disc (album), [n] track n, 1 to 99.
    std::array<CdTextItems, 100> items;

    bool empty() const;
    // "TITLE0=...\n", "PERFORMER0=...\n", "SONGWRITER0=...\n", then the same
    // for each track in number order; empty items are left out. Whole lines
    // only, at most maxBytes bytes (the terminating zero not counted).
    std::string lines(std::size_t maxBytes) const;
};

// A CD-TEXT value as stored: control characters become spaces, NUL bytes
// go, blanks around it are trimmed and it is cut to kMaxCdTextValue bytes.
// `utf8` says how the bytes are encoded: UTF-8, else windows-1252.
std::string cdTextValue(std::string_view bytes, bool utf8);

// The CD-TEXT libcdio read from the disc of `cdio` (its first language
// block, tracks first..last as the TOC numbers them). Empty when the disc
// has none.
CdText cdTextFromCdio(CdIo_t* cdio, int firstTrack, int lastTrack);

}

#endif
