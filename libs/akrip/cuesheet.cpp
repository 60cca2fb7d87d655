// SPDX-License-Identifier: LGPL-2.1-or-later
#include "cuesheet.h"

#include "cddbtext.h"

#include <cctype>

namespace akrip {

namespace {

bool fail(std::string* error, const std::string& why)
{
    if (error)
        *error = why;
    return false;
}

std::string upper(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// Splits a line into words; a double-quoted word may hold spaces. An
// unterminated quote makes the line invalid.
bool splitWords(std::string_view line, std::vector<std::string>& words)
{
    words.clear();
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i >= line.size())
            break;
        std::string word;
        if (line[i] == '"') {
            const size_t close = line.find('"', i + 1);
            if (close == std::string_view::npos)
                return false;
            word.assign(line.substr(i + 1, close - i - 1));
            i = close + 1;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t')
                word.push_back(line[i++]);
        }
        words.push_back(std::move(word));
    }
    return true;
}

// A number of one to three decimal digits, nothing else.
bool parseSmall(const std::string& s, int& out)
{
    if (s.empty() || s.size() > 3)
        return false;
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    out = v;
    return true;
}

// mm:ss:ff, seconds below 60 and frames below 75, as a sector count.
bool parseTime(const std::string& s, int32_t& sectors)
{
    const size_t a = s.find(':');
    const size_t b = a == std::string::npos ? a : s.find(':', a + 1);
    if (b == std::string::npos || s.find(':', b + 1) != std::string::npos)
        return false;
    int m = 0, sec = 0, f = 0;
    if (!parseSmall(s.substr(0, a), m) || !parseSmall(s.substr(a + 1, b - a - 1), sec)
        || !parseSmall(s.substr(b + 1), f))
        return false;
    if (sec >= 60 || f >= 75)
        return false;
    sectors = (m * 60 + sec) * 75 + f;
    return true;
}

bool isDataMode(const std::string& mode)
{
    // Raw sectors only: the BIN must hold 2352 bytes for every sector.
    return mode == "MODE1/2352" || mode == "MODE2/2352";
}

}

std::optional<CueSheet> parseCueSheet(std::string_view text, std::string* error)
{
    if (text.size() > kMaxCueBytes) {
        fail(error, "CUE file too big");
        return std::nullopt;
    }
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    if (text.find('\0') != std::string_view::npos) {
        fail(error, "CUE file holds binary bytes");
        return std::nullopt;
    }

    // One encoding for the whole sheet, as its writer used one.
    const bool utf8 = cddb::isValidUtf8(text);
    CueSheet sheet;
    bool haveFile = false;
    std::vector<std::string> w;
    size_t lineNo = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const std::string where = "line " + std::to_string(lineNo) + ": ";
        if (!splitWords(line, w)) {
            fail(error, where + "unterminated quote");
            return std::nullopt;
        }
        if (w.empty())
            continue;
        const std::string key = upper(w[0]);
        CueTrack* track = sheet.tracks.empty() ? nullptr : &sheet.tracks.back();

        if (key == "TITLE" || key == "PERFORMER" || key == "SONGWRITER") {
            // CD-TEXT of the disc before the first TRACK, else of the track.
            // A value with blanks should be quoted; unquoted words are
            // taken together.
            std::string value;
            for (size_t i = 1; i < w.size(); ++i)
                value += (i > 1 ? " " : "") + w[i];
            CdTextItems& items = track ? track->text : sheet.disc;
            std::string& field = key == "TITLE" ? items.title : key == "PERFORMER" ? items.performer : items.songwriter;
            field = cdTextValue(value, utf8);
            continue;
        }
        if (key == "REM" || key == "CATALOG" || key == "ISRC" || key == "CDTEXTFILE" || key == "PREGAP"
            || key == "POSTGAP") {
            // Descriptions; PREGAP/POSTGAP silence is not in the BIN and
            // is not generated, as a burner of this image would not either.
            continue;
        }
        if (key == "FILE") {
            if (w.size() != 3) {
                fail(error, where + "FILE needs a name and a type");
                return std::nullopt;
            }
            if (haveFile) {
                fail(error, where + "only images of one BIN file are read");
                return std::nullopt;
            }
            if (upper(w[2]) != "BINARY") {
                fail(error, where + "only BINARY files are read");
                return std::nullopt;
            }
            if (w[1].empty()) {
                fail(error, where + "empty file name");
                return std::nullopt;
            }
            sheet.fileName = w[1];
            haveFile = true;
        } else if (key == "TRACK") {
            int number = 0;
            if (!haveFile || w.size() != 3 || !parseSmall(w[1], number)) {
                fail(error, where + "TRACK needs a FILE, a number and a mode");
                return std::nullopt;
            }
            const int expected = sheet.tracks.empty() ? 1 : sheet.tracks.back().number + 1;
            if (number != expected || number > 99) {
                fail(error, where + "track " + std::to_string(number) + " out of order");
                return std::nullopt;
            }
            if (track && track->index01 < 0) {
                fail(error, where + "track " + std::to_string(track->number) + " has no INDEX 01");
                return std::nullopt;
            }
            const std::string mode = upper(w[2]);
            CueTrack t;
            t.number = number;
            if (mode == "AUDIO")
                t.audio = true;
            else if (isDataMode(mode))
                t.audio = false;
            else {
                fail(error, where + "track mode " + w[2] + " not read");
                return std::nullopt;
            }
            sheet.tracks.push_back(t);
        } else if (key == "INDEX") {
            int number = 0;
            int32_t at = 0;
            if (!track || w.size() != 3 || !parseSmall(w[1], number) || number > 99 || !parseTime(w[2], at)) {
                fail(error, where + "bad INDEX");
                return std::nullopt;
            }
            if (number == 0) {
                if (track->index00 >= 0 || track->index01 >= 0) {
                    fail(error, where + "INDEX 00 repeated or after INDEX 01");
                    return std::nullopt;
                }
                track->index00 = at;
            } else if (number == 1) {
                if (track->index01 >= 0 || (track->index00 >= 0 && at < track->index00)) {
                    fail(error, where + "INDEX 01 repeated or before INDEX 00");
                    return std::nullopt;
                }
                track->index01 = at;
            } else if (track->index01 < 0 || at < track->index01) {
                // Later indexes only mark places inside the track.
                fail(error, where + "INDEX before INDEX 01");
                return std::nullopt;
            }
        } else if (key == "FLAGS") {
            if (!track) {
                fail(error, where + "FLAGS outside a track");
                return std::nullopt;
            }
            for (size_t i = 1; i < w.size(); ++i) {
                if (upper(w[i]) == "DCP")
                    track->copyPermitted = true;
            }
        } else {
            fail(error, where + "unknown command " + w[0].substr(0, 20));
            return std::nullopt;
        }
    }

    if (sheet.tracks.empty()) {
        fail(error, "no tracks");
        return std::nullopt;
    }
    if (sheet.tracks.back().index01 < 0) {
        fail(error, "track " + std::to_string(sheet.tracks.back().number) + " has no INDEX 01");
        return std::nullopt;
    }
    for (size_t i = 1; i < sheet.tracks.size(); ++i) {
        const CueTrack& prev = sheet.tracks[i - 1];
        const CueTrack& t = sheet.tracks[i];
        const int32_t begin = t.index00 >= 0 ? t.index00 : t.index01;
        if (begin <= prev.index01) {
            fail(error, "track " + std::to_string(prev.number) + " has no sectors");
            return std::nullopt;
        }
    }
    return sheet;
}

CdText CueSheet::cdText() const
{
    CdText text;
    text.items[0] = disc;
    for (const CueTrack& t : tracks)
        if (t.number >= 1 && t.number <= 99)
            text.items[static_cast<size_t>(t.number)] = t.text;
    return text;
}

std::optional<DiscLayout> layoutFromCue(const CueSheet& sheet, int64_t binSectors, std::string* error)
{
    if (sheet.tracks.empty()) {
        fail(error, "no tracks");
        return std::nullopt;
    }
    const int32_t base = sheet.tracks.front().index01;
    if (binSectors <= base) {
        fail(error, "BIN ends before track 1");
        return std::nullopt;
    }
    // The sheet decides which tracks the disc has and where they start; the
    // BIN only where the last one ends. A BIN that ends before a listed
    // track is cut short: every track stays in the TOC, with its length as
    // the sheet gives it, and reading a sector the BIN lacks is a read
    // error. A last track the BIN holds nothing of gets the shortest length
    // a track may have.
    const int32_t lastStart = sheet.tracks.back().index01;
    const int64_t end = binSectors > lastStart ? binSectors : int64_t(lastStart) + kMinTrackSectors;
    if (end - base > kMaxImageSectors) {
        fail(error, "image longer than 99:59:74");
        return std::nullopt;
    }
    const size_t count = sheet.tracks.size();

    DiscLayout layout;
    layout.leadOut = static_cast<int32_t>(end - base);
    for (size_t i = 0; i < count; ++i) {
        const CueTrack& t = sheet.tracks[i];
        TocTrack e;
        e.number = static_cast<uint8_t>(t.number);
        e.control = !t.audio ? kControlData : t.copyPermitted ? kControlAudioCopyPermitted : kControlAudio;
        e.lba = t.index01 - base;
        e.discLba = e.lba;
        const bool afterAudio = i > 0 && sheet.tracks[i - 1].audio;
        if (!t.audio && afterAudio && t.index00 >= 0 && t.index01 - t.index00 >= kSessionGapSectors) {
            // An Enhanced CD image: the audio ends at INDEX 00 and the
            // session gap lies before INDEX 01. Reported 11250 sectors after
            // the audio, so the audio track keeps its exact length by the
            // program's rule.
            e.lba = t.index00 + kSessionGapSectors - base;
        }
        layout.tracks.push_back(e);

        if (t.audio) {
            // An audio track's pregap (INDEX 00) is audio too; track 1's
            // pregap lies before LBA 0 and cannot be addressed.
            const int32_t first = i == 0 ? t.index01 : (t.index00 >= 0 ? t.index00 : t.index01);
            int64_t trackEnd = end;
            if (i + 1 < count) {
                const CueTrack& next = sheet.tracks[i + 1];
                trackEnd = next.index00 >= 0 ? next.index00 : next.index01;
            }
            layout.addAudio(first - base, static_cast<int32_t>(trackEnd - base));
        }
    }
    return layout;
}

std::string binBaseName(const std::string& fileLineName)
{
    const size_t cut = fileLineName.find_last_of("/\\");
    std::string name = cut == std::string::npos ? fileLineName : fileLineName.substr(cut + 1);
    if (name.empty() || name == "." || name == "..")
        return {};
    return name;
}

}
