// SPDX-License-Identifier: GPL-2.0-or-later
// mkdiscimage: writes a CUE/BIN disc image with generated audio.
//   mkdiscimage --demo <path-without-extension>
//   mkdiscimage [--track SECONDS]... [--bytes N]... [--data [SECTORS]]
//               [--pattern] [--dcp] [--title TEXT] [--performer TEXT]
//               [--track-title TEXT]... <path-without-extension>
#include "discimage.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

namespace {

int usage()
{
    std::fputs("usage: mkdiscimage --demo <path-without-extension>\n"
               "       mkdiscimage [--track SECONDS]... [--bytes N]... [--data [SECTORS]]\n"
               "                   [--pattern] [--dcp] [--title TEXT] [--performer TEXT]\n"
               "                   [--track-title TEXT]... <path-without-extension>\n"
               "Writes <path>.cue and <path>.bin. --track adds an audio track of the given\n"
               "length in seconds, --bytes one of exactly N bytes of PCM; --data adds a final\n"
               "data track after an Enhanced-CD session gap; --pattern writes a test pattern\n"
               "instead of music; --dcp marks the audio as copy permitted. --title and\n"
               "--performer name the disc in CD-TEXT, each --track-title the next track.\n",
               stderr);
    return 2;
}

bool number(const char* text, double& out)
{
    char* end = nullptr;
    out = std::strtod(text, &end);
    return end != text && *end == '\0' && out > 0 && out < 100 * 60;
}

}

int main(int argc, char** argv)
{
    using namespace trackmill::discimage;
    DiscSpec discSpec;
    discSpec.content = Content::Music;
    std::string path;
    bool demo = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        double v = 0;
        if (arg == "--demo") {
            demo = true;
        } else if (arg == "--track" && hasValue && number(argv[i + 1], v)) {
            discSpec.trackBytes.push_back(bytesForSeconds(v));
            ++i;
        } else if (arg == "--bytes" && hasValue) {
            char* end = nullptr;
            const unsigned long long n = std::strtoull(argv[++i], &end, 10);
            if (*end != '\0' || n == 0 || n > 900000000ull)
                return usage();
            discSpec.trackBytes.push_back(n);
        } else if (arg == "--data") {
            discSpec.dataTrack = true;
            if (hasValue && number(argv[i + 1], v)) {
                discSpec.dataSectors = static_cast<uint32_t>(v);
                ++i;
            }
        } else if (arg == "--pattern") {
            discSpec.content = Content::TestPattern;
        } else if (arg == "--dcp") {
            discSpec.copyPermitted = true;
        } else if (arg == "--title" && hasValue) {
            discSpec.title = argv[++i];
        } else if (arg == "--performer" && hasValue) {
            discSpec.performer = argv[++i];
        } else if (arg == "--track-title" && hasValue) {
            discSpec.trackTitles.emplace_back(argv[++i]);
        } else if (!arg.empty() && arg[0] != '-' && path.empty()) {
            path = arg;
        } else {
            return usage();
        }
    }
    if (path.empty() || (demo && !discSpec.trackBytes.empty()) || (!demo && discSpec.trackBytes.empty()))
        return usage();
    if (demo)
        discSpec = demoDisc();
    try {
        const DiscLayout layout = writeDisc(path, discSpec);
        std::printf("%s: %zu audio tracks%s, %u sectors\n", layout.cuePath.c_str(), layout.trackStart.size(),
                    discSpec.dataTrack ? " and a data track" : "", layout.totalSectors);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mkdiscimage: %s\n", e.what());
        return 1;
    }
    return 0;
}
