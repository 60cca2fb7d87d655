// SPDX-License-Identifier: LGPL-2.1-or-later
#include "imagedrive.h"

#include "cuesheet.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace akrip {

namespace {

bool isRegularFile(const std::string& path, struct stat* st)
{
    return ::stat(path.c_str(), st) == 0 && S_ISREG(st->st_mode);
}

// Reads a small regular file whole; refuses anything else (a FIFO named
// x.cue would block the drive list forever).
bool readSmallFile(const std::string& path, std::string& out)
{
    struct stat st {};
    if (!isRegularFile(path, &st) || static_cast<uint64_t>(st.st_size) > kMaxCueBytes)
        return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    out.clear();
    char buf[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::close(fd);
            return n == 0;
        }
        out.append(buf, static_cast<size_t>(n));
        if (out.size() > kMaxCueBytes) {
            ::close(fd);
            return false;
        }
    }
}

std::string dirOf(const std::string& path)
{
    const size_t cut = path.rfind('/');
    if (cut == std::string::npos)
        return ".";
    return cut == 0 ? "/" : path.substr(0, cut);
}

}

std::string resolveBinPath(const std::string& cueDir, const std::string& fileLineName)
{
    const std::string name = binBaseName(fileLineName);
    if (name.empty())
        return {};
    struct stat st {};
    const std::string exact = cueDir + "/" + name;
    if (isRegularFile(exact, &st))
        return exact;
    DIR* dir = ::opendir(cueDir.c_str());
    if (!dir)
        return {};
    std::string found;
    int matches = 0;
    while (const dirent* e = ::readdir(dir)) {
        if (::strcasecmp(e->d_name, name.c_str()) == 0) {
            const std::string candidate = cueDir + "/" + e->d_name;
            if (isRegularFile(candidate, &st)) {
                found = candidate;
                ++matches;
            }
        }
    }
    ::closedir(dir);
    // Two names differing only in case: which one was meant is unknown.
    return matches == 1 ? found : std::string();
}

ImageDrive::ImageDrive(std::string cuePath)
    : cuePath_(std::move(cuePath))
{
}

ImageDrive::~ImageDrive()
{
    closeBin();
}

void ImageDrive::closeBin()
{
    if (binFd_ >= 0)
        ::close(binFd_);
    binFd_ = -1;
}

std::optional<DiscLayout> ImageDrive::readLayout()
{
    closeBin();
    cdText_ = CdText{};
    const int64_t seenSectors = lastBinSectors_;
    lastBinSectors_ = -1;
    std::string text;
    if (!readSmallFile(cuePath_, text)) {
        error_ = "cannot read the CUE file";
        return std::nullopt;
    }
    std::optional<CueSheet> sheet = parseCueSheet(text, &error_);
    if (!sheet)
        return std::nullopt;
    const std::string binPath = resolveBinPath(dirOf(cuePath_), sheet->fileName);
    if (binPath.empty()) {
        error_ = "BIN file not found";
        return std::nullopt;
    }
    const int fd = ::open(binPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        error_ = "cannot open the BIN file";
        return std::nullopt;
    }
    // A trailing part sector is not a sector.
    int64_t binSectors = static_cast<int64_t>(st.st_size) / kSectorBytes;
    // The BIN shrank since the last TOC of this image: its tracks keep the
    // length they had, and the sectors now missing fail to read.
    if (seenSectors > binSectors && text == lastCueText_ && st.st_dev == lastBinDev_
        && st.st_ino == lastBinIno_)
        binSectors = seenSectors;
    std::optional<DiscLayout> layout = layoutFromCue(*sheet, binSectors, &error_);
    if (!layout) {
        ::close(fd);
        return std::nullopt;
    }
    binFd_ = fd;
    lbaOffsetBytes_ = static_cast<int64_t>(sheet->tracks.front().index01) * kSectorBytes;
    lastCueText_ = std::move(text);
    lastBinDev_ = st.st_dev;
    lastBinIno_ = st.st_ino;
    lastBinSectors_ = binSectors;
    cdText_ = sheet->cdText();
    error_.clear();
    return layout;
}

bool ImageDrive::readAudio(int32_t lba, uint32_t count, uint8_t* out)
{
    if (binFd_ < 0 || lba < 0)
        return false;
    size_t want = static_cast<size_t>(count) * kSectorBytes;
    off_t at = static_cast<off_t>(lbaOffsetBytes_ + static_cast<int64_t>(lba) * kSectorBytes);
    while (want > 0) {
        const ssize_t n = ::pread(binFd_, out, want, at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false; // beyond the end of the BIN: cut short, or shrunk since the TOC was read
        out += n;
        at += n;
        want -= static_cast<size_t>(n);
    }
    return true;
}

}
