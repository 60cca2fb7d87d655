// SPDX-License-Identifier: LGPL-2.1-or-later
// Stores names received from a CDDB server in the CD Player database
// (CDPLAYER.INI in the user's configuration folder for Trackmill). The
// program reads that file with its own INI layer; this small writer exists
// because the library does not link Qt.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace akrip::cddb {

// $XDG_CONFIG_HOME/Trackmill/CDPLAYER.INI ($HOME/.config when the variable
// is unset or not absolute); empty when neither is known.
std::string cdPlayerIniPath();

// Sets keys of one section in the INI text `ini` with the private profile
// rules: section and key names match without regard to ASCII case, a key
// is replaced in place (first occurrence) or appended after the section's
// last key, a missing section is appended at the end. Lines of every other
// section, comments and unknown lines stay byte for byte, each with its own
// line break. Keys and values must not hold line breaks.
std::string setIniKeys(std::string_view ini, std::string_view section,
                       const std::vector<std::pair<std::string, std::string>>& keys);

// setIniKeys on the file at `path`, written to a temporary file in the same
// folder and renamed over the old one; the folder is created when missing.
bool updateIniFile(const std::string& path, std::string_view section,
                   const std::vector<std::pair<std::string, std::string>>& keys);

}
