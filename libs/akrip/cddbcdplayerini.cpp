// SPDX-License-Identifier: LGPL-2.1-or-later
#include "cddbcdplayerini.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace akrip::cddb {

namespace {

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = char(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

// The section name of a header line "[name]", or nothing.
bool sectionHeader(std::string_view line, std::string_view& name)
{
    line = trim(line);
    if (line.size() < 2 || line.front() != '[')
        return false;
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos)
        return false;
    name = trim(line.substr(1, close - 1));
    return true;
}

bool keyOfLine(std::string_view line, std::string_view& key)
{
    const std::string_view t = trim(line);
    if (t.empty() || t.front() == ';' || t.front() == '[')
        return false;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return false;
    key = trim(line.substr(0, eq));
    return !key.empty();
}

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
                       const std::vector<std::pair<std::string, std::string>>& keys)
{
    // Every line keeps its own line break; new lines take the one of the
    // file's first line (CR LF for a new file).
    const std::size_t firstBreak = ini.find('\n');
    const std::string newline = firstBreak != std::string_view::npos && (firstBreak == 0 || ini[firstBreak - 1] != '\r')
                                    ? "\n" : "\r\n";
    std::vector<std::string> lines, breaks;
    for (std::size_t start = 0; start < ini.size();) {
        std::size_t nl = ini.find('\n', start);
        std::string_view line = ini.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
        std::string_view lineBreak;
        if (nl != std::string_view::npos) {
            lineBreak = "\n";
            if (!line.empty() && line.back() == '\r') {
                line.remove_suffix(1);
                lineBreak = "\r\n";
            }
        }
        lines.emplace_back(line);
        breaks.emplace_back(lineBreak);
        start = nl == std::string_view::npos ? ini.size() : nl + 1;
    }
    const auto insertLine = [&](std::size_t at, std::string text) {
        if (at > 0 && breaks[at - 1].empty())
            breaks[at - 1] = newline;
        lines.insert(lines.begin() + std::ptrdiff_t(at), std::move(text));
        breaks.insert(breaks.begin() + std::ptrdiff_t(at), newline);
    };

    // Where the section starts and ends. New keys go after its last key
    // line, so blank lines and comments before the next section stay
    // there; a section without keys takes them after its last text.
    std::size_t header = lines.size(), end = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view name;
        if (sectionHeader(lines[i], name)) {
            if (header != lines.size()) {
                end = i;
                break;
            }
            if (sameName(name, section))
                header = i;
        }
    }
    if (header == lines.size()) {
        if (!lines.empty() && !trim(lines.back()).empty())
            insertLine(lines.size(), {});
        insertLine(lines.size(), std::string("[").append(section).append("]"));
        header = lines.size() - 1;
        end = lines.size();
    }

    for (const auto& [key, value] : keys) {
        bool replaced = false;
        std::size_t insertAt = header + 1;
        for (std::size_t i = header + 1; i < end; ++i) {
            std::string_view existing;
            if (keyOfLine(lines[i], existing)) {
                insertAt = i + 1;
                if (sameName(existing, key)) {
                    // The key keeps its spelling, as the profile services do.
                    lines[i] = std::string(existing) + "=" + value;
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) {
            if (insertAt == header + 1)
                for (std::size_t i = header + 1; i < end; ++i)
                    if (!trim(lines[i]).empty())
                        insertAt = i + 1;
            insertLine(insertAt, key + "=" + value);
            ++end;
        }
    }

    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i)
        out += lines[i] + breaks[i];
    return out;
}

bool updateIniFile(const std::string& path, std::string_view section,
                   const std::vector<std::pair<std::string, std::string>>& keys)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos || !makeDirs(path.substr(0, slash)))
        return false;

    std::string old;
    {
        std::ifstream in(path, std::ios::binary);
        if (in) {
            std::ostringstream buffer;
            buffer << in.rdbuf();
            old = buffer.str();
        }
    }
    const std::string updated = setIniKeys(old, section, keys);

    std::string temp = path + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0)
        return false;
    bool ok = true;
    for (std::size_t done = 0; ok && done < updated.size();) {
        const ssize_t n = write(fd, updated.data() + done, updated.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            done += std::size_t(n);
    }
    // mkstemp makes the file 0600; the database is an ordinary config file.
    ok = fchmod(fd, 0644) == 0 && ok;
    ok = fsync(fd) == 0 && ok;
    ok = close(fd) == 0 && ok;
    if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    return true;
}

}
