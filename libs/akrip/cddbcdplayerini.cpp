// SPDX-License-Identifier: LGPL-2.1-or-later
#include "cddbcdplayerini.h"

#include "iniformat.h"
#include "inifileio.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace akrip::cddb {

namespace {

bool makeDirs(const std::string& dir)
{
    for (std::size_t pos = 1; pos <= dir.size(); ++pos) {
        if (pos == dir.size() || dir[pos] == '/') {
            const std::string part = dir.substr(0, pos);
            if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
                return false;
        }
    }
    return true;
}

}

std::string cdPlayerIniPath()
{
    std::string base;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || home[0] != '/')
            return {};
        base = std::string(home) + "/.config";
    }
    return base + "/Trackmill/CDPLAYER.INI";
}

std::string setIniKeys(std::string_view ini, std::string_view section,
                       const std::vector<std::pair<std::string, std::string>>& keys,
                       std::size_t numbered)
{
    trackmill::ini::Document doc = trackmill::ini::Document::parse(ini);
    for (const auto& [key, value] : keys)
        doc.setValue(section, key, value);
    doc.removeNumberedKeys(section, numbered);
    return doc.bytes();
}

bool updateIniFile(const std::string& path, std::string_view section,
                   const std::vector<std::pair<std::string, std::string>>& keys,
                   std::size_t numbered, std::string* error)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || !makeDirs(path.substr(0, slash))) {
        *error = slash == std::string::npos ? "not an absolute path" : std::strerror(errno);
        return false;
    }
    // Writing over a file that could not be read would throw its other
    // discs away.
    const trackmill::ini::ReadResult old = trackmill::ini::readFile(path);
    if (!old.ok()) {
        *error = old.error;
        return false;
    }
    const std::string updated = setIniKeys(old.bytes, section, keys, numbered);
    if (old.status == trackmill::ini::ReadResult::Ok && updated == old.bytes)
        return true;
    return trackmill::ini::writeFileAtomically(path, updated, error);
}

}
