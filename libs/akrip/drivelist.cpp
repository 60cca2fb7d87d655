// SPDX-License-Identifier: LGPL-2.1-or-later
#include "drivelist.h"

#include "imagedrive.h"
#include "physicaldrive.h"

#include <algorithm>
#include <cdio/cdio.h>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace akrip {

namespace {

// Copies text into a zero-terminated field of capacity bytes, cutting at a
// UTF-8 character boundary so no half character is left at the end.
void copyText(char* field, size_t capacity, const std::string& text)
{
    std::memset(field, 0, capacity);
    size_t n = std::min(text.size(), capacity - 1);
    if (n < text.size()) {
        while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
            --n;
    }
    std::memcpy(field, text.data(), n);
}

std::string trimmed(const char* s)
{
    std::string t(s);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t'))
        t.pop_back();
    const size_t lead = t.find_first_not_of(" \t");
    return lead == std::string::npos ? std::string() : t.substr(lead);
}

// Hidden files (a leading dot) are no discs, as in a file manager.
bool isCueName(const char* name)
{
    const size_t len = std::strlen(name);
    return name[0] != '.' && len > 4 && ::strcasecmp(name + len - 4, ".cue") == 0;
}

}

std::string defaultDiscsDir()
{
    char exe[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0)
        return "Discs";
    exe[n] = '\0';
    std::string dir(exe);
    const size_t cut = dir.rfind('/');
    dir = cut == std::string::npos || cut == 0 ? std::string("/") : dir.substr(0, cut);
    return dir + "/Discs";
}

std::vector<std::string> cueFilesIn(const std::string& dir)
{
    std::vector<std::string> names;
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return names;
    while (const dirent* e = ::readdir(d)) {
        if (!isCueName(e->d_name))
            continue;
        struct stat st {};
        const std::string path = dir + "/" + e->d_name;
        if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            names.emplace_back(e->d_name);
    }
    ::closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<DriveEntry> enumerateDrives(bool physical, const std::string& discsDir)
{
    std::vector<DriveEntry> drives;
    if (physical) {
        if (char** devices = cdio_get_devices(DRIVER_DEVICE)) {
            std::vector<std::string> names;
            for (char** d = devices; *d; ++d)
                names.emplace_back(*d);
            cdio_free_device_list(devices);
            std::sort(names.begin(), names.end());
            names.erase(std::unique(names.begin(), names.end()), names.end());
            for (const std::string& n : names)
                drives.push_back({DriveEntry::Kind::Physical, n, {}});
        }
    }
    for (const std::string& file : cueFilesIn(discsDir))
        drives.push_back({DriveEntry::Kind::Image, discsDir + "/" + file, file.substr(0, file.size() - 4)});
    if (drives.size() > MAXCDLIST)
        drives.resize(MAXCDLIST);
    return drives;
}

void describeDrive(const DriveEntry& entry, CDREC& rec)
{
    std::memset(rec.id, 0, sizeof rec.id);
    std::memset(&rec.info, 0, sizeof rec.info);
    if (entry.kind == DriveEntry::Kind::Image) {
        copyText(rec.info.vendor, sizeof rec.info.vendor, "IMAGE");
        copyText(rec.info.prodId, sizeof rec.info.prodId, entry.name);
        copyText(rec.info.rev, sizeof rec.info.rev, "1.0");
        copyText(rec.id, sizeof rec.id, "IMAGE " + entry.name);
        return;
    }
    std::string id;
    if (CdIo_t* cdio = cdio_open(entry.path.c_str(), DRIVER_DEVICE)) {
        cdio_hwinfo_t hw {};
        if (cdio_get_hwinfo(cdio, &hw)) {
            copyText(rec.info.vendor, sizeof rec.info.vendor, trimmed(hw.psz_vendor));
            copyText(rec.info.prodId, sizeof rec.info.prodId, trimmed(hw.psz_model));
            copyText(rec.info.rev, sizeof rec.info.rev, trimmed(hw.psz_revision));
            for (const char* part : {rec.info.vendor, rec.info.prodId, rec.info.rev}) {
                if (*part)
                    id += (id.empty() ? "" : " ") + std::string(part);
            }
        }
        cdio_destroy(cdio);
    }
    copyText(rec.info.vendSpec, sizeof rec.info.vendSpec, entry.path);
    copyText(rec.id, sizeof rec.id, id.empty() ? entry.path : id);
}

std::unique_ptr<Drive> openDrive(const DriveEntry& entry)
{
    if (entry.kind == DriveEntry::Kind::Image)
        return std::make_unique<ImageDrive>(entry.path);
    return std::make_unique<PhysicalDrive>(entry.path);
}

}
