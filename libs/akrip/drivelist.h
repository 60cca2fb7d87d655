// SPDX-License-Identifier: LGPL-2.1-or-later
// The drives the library offers: the machine's optical drives in
// device-name order, then the disc images (*.cue) of the discs folder in
// name order, at most MAXCDLIST in all. A drive is addressed by its
// position: host adapter = position, target 0, LUN 0, so each is one digit.
#ifndef AKRIP_DRIVELIST_H
#define AKRIP_DRIVELIST_H

#include "akrip32.h"

#include <memory>
#include <string>
#include <vector>

namespace akrip {

class Drive;

struct DriveEntry {
    enum class Kind { Physical, Image };
    Kind kind = Kind::Image;
    std::string path; // device node or CUE file
    std::string name; // image: the CUE's name without its extension
};

// The folder "Discs" beside the program (the directory of /proc/self/exe).
std::string defaultDiscsDir();

// The CUE files of a folder (extension matched without regard to letter
// case), regular files only, no hidden ones, sorted by name (bytes).
std::vector<std::string> cueFilesIn(const std::string& dir);

std::vector<DriveEntry> enumerateDrives(bool physical, const std::string& discsDir);

// Fills id and info of a drive record. A physical drive is asked for its
// vendor, product and revision; an image is called "IMAGE " + its name.
void describeDrive(const DriveEntry& entry, CDREC& rec);

std::unique_ptr<Drive> openDrive(const DriveEntry& entry);

}

#endif
