// SPDX-License-Identifier: LGPL-2.1-or-later
// Stores names received from a CDDB server in the CD Player database
// (CDPLAYER.INI in the user's configuration folder for Trackmill), through
// the INI layer the program uses for the same file (libs/ini, no Qt).
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace akrip::cddb {

// $XDG_CONFIG_HOME/Trackmill/CDPLAYER.INI ($HOME/.config when the variable
// is unset or not absolute); empty when neither is known.
std::string cdPlayerIniPath();

// Sets keys of one section in the INI text `ini` with the rules of the
// program's INI layer (libs/ini): names match without regard to ASCII case,
// a key is replaced in place (first occurrence) or appended after the
// section's last key, a missing section is appended at the end; lines of
// every other section, comments and unknown lines stay byte for byte. Then
// the section's numbered keys from `numbered` on are removed, so a disc
// stored with fewer track names than before keeps none of the old ones
// (pass the count of numbered keys among `keys`).
std::string setIniKeys(std::string_view ini, std::string_view section,
                       const std::vector<std::pair<std::string, std::string>>& keys,
                       std::size_t numbered = std::size_t(-1));

// setIniKeys on the file at `path`, replaced atomically (a symbolic link
// stays a link, the file keeps its mode); the folder is created when
// missing. A file that is not a regular file or is too large is left alone.
// On failure `error` says why.
bool updateIniFile(const std::string& path, std::string_view section,
                   const std::vector<std::pair<std::string, std::string>>& keys,
                   std::size_t numbered, std::string* error);

}
