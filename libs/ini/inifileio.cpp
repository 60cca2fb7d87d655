// SPDX-License-Identifier: LGPL-2.1-or-later
#include "inifileio.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trackmill::ini {

namespace {

// Random temporary names have this many base-36 digits; earlier versions
// of the program wrote from one to this many.
constexpr std::size_t kSuffixDigits = 7;

std::string systemError(int code)
{
    return std::strerror(code);
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string randomSuffix()
{
    std::uint64_t bits = 0;
    if (getrandom(&bits, sizeof bits, 0) != ssize_t(sizeof bits))
        bits = std::uint64_t(std::time(nullptr)) * 6364136223846793005u + std::uint64_t(getpid());
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string out(kSuffixDigits, '0');
    for (char& c : out) {
        c = kDigits[bits % 36];
        bits /= 36;
    }
    return out;
}

void closeKeepingErrno(int fd)
{
    const int saved = errno;
    ::close(fd);
    errno = saved;
}

}

ReadResult readFile(const std::string& path, std::size_t maxBytes)
{
    ReadResult result;
    const auto fail = [&](std::string error) {
        result.status = ReadResult::Failed;
        result.bytes.clear();
        result.error = std::move(error);
        return result;
    };
    // Looked at before opening too: opening a device can have effects of
    // its own (a tape rewinds), and a FIFO would wait for a writer.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT ? result : fail(systemError(errno));
    if (!S_ISREG(st.st_mode))
        return fail("not a regular file");

    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return errno == ENOENT ? result : fail(systemError(errno));
    // The file may have been swapped since the stat above.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int code = errno;
        ::close(fd);
        return fail(code ? systemError(code) : "not a regular file");
    }
    const std::string tooBig = "larger than " + std::to_string(maxBytes) + " bytes";
    if (std::uint64_t(st.st_size) > maxBytes) {
        ::close(fd);
        return fail(tooBig);
    }
    // Read up to one byte past the cap, in case the file grows meanwhile.
    result.bytes.resize(std::size_t(st.st_size) + 1);
    std::size_t done = 0;
    for (;;) {
        if (done == result.bytes.size()) {
            if (done > maxBytes)
                break;
            result.bytes.resize(std::min(maxBytes + 1, done * 2 + 4096));
        }
        const ssize_t n = ::read(fd, result.bytes.data() + done, result.bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int code = errno;
            ::close(fd);
            return fail(systemError(code));
        }
        if (n == 0)
            break;
        done += std::size_t(n);
    }
    ::close(fd);
    if (done > maxBytes)
        return fail(tooBig);
    result.bytes.resize(done);
    result.status = ReadResult::Ok;
    return result;
}

std::string writeTarget(const std::string& path)
{
    std::string current = path;
    // As many links as the kernel follows before ELOOP.
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        if (char* real = ::realpath(current.c_str(), nullptr)) {
            std::string resolved(real);
            std::free(real);
            return resolved;
        }
        // A dangling link: follow it by hand to the name it will create.
        std::string link(std::size_t(st.st_size > 0 ? st.st_size : PATH_MAX), '\0');
        const ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
        if (n <= 0)
            return current;
        link.resize(std::size_t(n));
        current = link.front() == '/' ? link : folderOf(current) + '/' + link;
    }
    return current;
}

bool isTemporaryName(std::string_view name, std::string_view targetName)
{
    if (name.size() < targetName.size() + 3 || name[0] != '.'
        || name.substr(1, targetName.size()) != targetName || name[targetName.size() + 1] != '.')
        return false;
    const std::string_view suffix = name.substr(targetName.size() + 2);
    if (suffix.empty() || suffix.size() > kSuffixDigits)
        return false;
    for (const char c : suffix) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z')))
            return false;
    }
    // An editor's swap file of the target (".Trackmill.INI.swp", ".swo"...)
    // has the same shape; it is not ours.
    return !(suffix.size() == 3 && suffix.substr(0, 2) == "sw" && suffix[2] >= 'a');
}

bool writeFileAtomically(const std::string& path, std::string_view bytes, std::string* error)
{
    const std::string target = writeTarget(path);
    const std::string folder = folderOf(target);
    const std::string name = nameOf(target);
    const auto fail = [&](int code) {
        if (error)
            *error = systemError(code);
        return false;
    };

    // 0666 minus the umask for a new file; an existing file keeps its mode.
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    int fd = -1;
    std::string temp;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = folder + "/." + name + '.' + randomSuffix();
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return fail(errno);
    const auto abandon = [&](int code) {
        ::close(fd);
        ::unlink(temp.c_str());
        return fail(code);
    };

    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return abandon(n < 0 ? errno : ENOSPC);
        done += std::size_t(n);
    }
    if (exists && ::fchmod(fd, old.st_mode & 07777) != 0)
        return abandon(errno);
    if (::fsync(fd) != 0)
        return abandon(errno);
    if (::close(fd) != 0) {
        const int code = errno;
        ::unlink(temp.c_str());
        return fail(code);
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int code = errno;
        ::unlink(temp.c_str());
        return fail(code);
    }
    // Make the rename itself durable; failing that is not worth an error.
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        closeKeepingErrno(dirFd);
    }
    return true;
}

int removeStaleTemporaryFiles(const std::string& path, int minAgeSeconds)
{
    const std::string target = writeTarget(path);
    const std::string folder = folderOf(target);
    const std::string name = nameOf(target);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return 0;
    const std::time_t now = std::time(nullptr);
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (!isTemporaryName(entry->d_name, name))
            continue;
        const std::string candidate = folder + '/' + entry->d_name;
        struct stat st {};
        if (::lstat(candidate.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        if (now - st.st_mtime < minAgeSeconds)
            continue;
        if (::unlink(candidate.c_str()) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

}
