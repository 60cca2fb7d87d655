// SPDX-License-Identifier: LGPL-2.1-or-later
// Text handling of the CDDB client: every text that leaves the library is
// UTF-8 without control characters, whatever bytes the server sent.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace akrip::cddb {

// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF).
bool isValidUtf8(std::string_view bytes);

// Server text to clean UTF-8: valid UTF-8 stays as it is, anything else is
// read as windows-1252 (what old entries really hold). NUL bytes are
// dropped and other C0 control characters become spaces, so a value can
// never break a line or end a C string early.
std::string toCleanUtf8(std::string_view bytes);
// The same for bytes whose encoding is known (a CUE sheet is decided as a
// whole): utf8 true keeps them as they are, false reads windows-1252.
std::string toCleanUtf8(std::string_view bytes, bool utf8);

// The longest prefix of the UTF-8 text `text` of at most maxBytes bytes that
// does not end inside a character.
std::string_view truncateUtf8(std::string_view text, std::size_t maxBytes);

// Copies `text` into a fixed field of `size` bytes (size >= 1), cut on a
// character boundary and always zero-terminated; the rest is zero-filled.
void copyToField(char* field, std::size_t size, std::string_view text);

}
