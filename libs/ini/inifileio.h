// SPDX-License-Identifier: LGPL-2.1-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace trackmill::ini {

// The largest INI file read: 16 MiB. The settings file and a language file
// are a few KiB, a CD player database of ten thousand discs about 10 MiB;
// anything larger is not one of ours (a link to /dev/zero, a disc image
// saved under the wrong name) and is refused rather than read into memory.
inline constexpr std::size_t kMaxFileBytes = 16u << 20;

struct ReadResult
{
    enum Status {
        Ok,       // bytes holds the file
        Missing,  // no such file (also a dangling link): reads as empty
        Failed,   // error says why; bytes is empty
    };
    Status status = Missing;
    std::string bytes;
    std::string error;  // e.g. "not a regular file", "larger than 16777216 bytes"

    bool ok() const { return status != Failed; }
};

// Reads a whole file. Only a regular file is read: it is opened without
// blocking and checked with fstat, so a FIFO cannot hang the reader, and a
// device such as /dev/zero cannot grow it without end. A file of more than
// maxBytes is refused.
ReadResult readFile(const std::string& path, std::size_t maxBytes = kMaxFileBytes);

// The file that a write of `path` replaces: `path` itself, or the final
// target when it is a symbolic link (also a dangling one), so the link stays
// a link. Relative links are taken relative to the link's folder.
std::string writeTarget(const std::string& path);

// Replaces the file atomically: the bytes go to a temporary file
// ".<name>.<random>" in the target's folder, are synced and renamed over
// the target. A symbolic link is written through (writeTarget), an
// existing file keeps its mode (a new one gets 0666 less the umask). On
// failure the old file is unchanged, no temporary file is left, and error
// holds the system's reason. The folder must exist.
bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string* error);

// Whether `name` is the name of a temporary file that writeFileAtomically
// makes for a target named `targetName`.
bool isTemporaryName(std::string_view name, std::string_view targetName);

// Removes the temporary files that a save killed before its rename left
// beside the target of `path`: regular files of ours, of the name pattern
// above, not modified for minAgeSeconds (a save of another process that is
// under way is left alone). Returns how many were removed.
int removeStaleTemporaryFiles(const std::string& path, int minAgeSeconds = 60);

}
