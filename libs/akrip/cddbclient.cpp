// SPDX-License-Identifier: LGPL-2.1-or-later
// The CDDB entry points of the library: options, "cddb query" for the disc
// in a drive, "cddb read" for one match, and storing the received names in
// the CD Player database.
//
// What callers get:
// - Every text handed back is UTF-8 without control characters: server
//   text that is not valid UTF-8 is read as windows-1252.
// - CDDBQuery: up to query->num matches (the capacity going in), count in
//   query->num, records cut on character boundaries and zero-terminated;
//   returns the count. 0 matches for no match, a server error, an answer
//   cut short, a stalled or unreachable server (10 s to connect, 30 s in
//   all) or options that make no valid request (then nothing is sent).
// - CDDBGetDiskInfo: 1 and the entry's "KEY=value" lines, each ended by
//   "\n", continuation lines joined, TTITLEn in track order; whole lines
//   only, at most maxLen bytes with the terminating zero. 0 otherwise.
// - Option 8: the first entry received after a query is stored in
//   CDPLAYER.INI under the CD Player id of the queried disc (artist, title,
//   year, numtracks and one name per TTITLEn; a final data track gets no
//   name), so all names stored for a disc come from one match.
#include "akrip32.h"
#include "akrip32_testing.h"
#include "cddbcdplayerini.h"
#include "cddbhttp.h"
#include "cddbparser.h"
#include "cddbrequest.h"
#include "cddbtoc.h"
#include "discaccess.h"

#include <cstring>
#include <mutex>
#include <optional>


namespace akrip::cddb {
namespace {

// What a query leaves for the reads that follow it: the matches it handed
// out and the disc's CD Player id, so that option 8 stores the names of
// the right disc, once per query.
struct LastQuery
{
    bool valid = false;
    std::vector<CddbMatch> matches;
    std::string cdPlayerId;
    int trackCount = 0;   // tracks in the TOC
    bool lastIsData = false;
    bool stored = false;
};

struct ClientState
{
    std::mutex mutex;
    CddbOptions options;
    HttpLimits limits;
    std::optional<TOC> testToc;
    LastQuery last;
    std::string lastError;
};

// Apart from the state's lock: a cancel must not wait for a running request.
std::atomic<bool> g_cancelled{false};

ClientState& state()
{
    static ClientState s;
    return s;
}

void setError(const std::string& error)
{
    std::lock_guard lock(state().mutex);
    state().lastError = error;
}

std::string boundedText(const char* text, std::size_t max = 255)
{
    return text ? std::string(text, strnlen(text, max)) : std::string();
}

// The disc's TOC in logical block addresses as recorded (or the test TOC),
// read without touching the handle's address mode.
bool readToc(HCDROM hCD, TOC& toc)
{
    {
        std::lock_guard lock(state().mutex);
        if (state().testToc) {
            toc = *state().testToc;
            return hCD != 0;
        }
    }
    // Recorded starts: the data track of an Enhanced CD counts where it
    // lies on the disc, as every other CDDB client sees it.
    akrip::DiscLayout layout;
    if (hCD == 0 || !akrip::readDiscLayout(hCD, layout) || layout.tracks.empty()
        || layout.tracks.size() >= TRACKS_PER_DISK)
        return false;
    std::memset(&toc, 0, sizeof toc);
    toc.firstTrack = layout.tracks.front().number;
    toc.lastTrack = layout.tracks.back().number;
    const auto put = [&](std::size_t i, BYTE control, BYTE number, int32_t lba) {
        const uint32_t a = lba < 0 ? 0 : uint32_t(lba);
        toc.tracks[i].ADR = control;
        toc.tracks[i].trackNumber = number;
        toc.tracks[i].addr[0] = BYTE(a >> 24);
        toc.tracks[i].addr[1] = BYTE(a >> 16);
        toc.tracks[i].addr[2] = BYTE(a >> 8);
        toc.tracks[i].addr[3] = BYTE(a);
    };
    for (std::size_t i = 0; i < layout.tracks.size(); ++i)
        put(i, layout.tracks[i].control, layout.tracks[i].number, layout.tracks[i].discLba);
    put(layout.tracks.size(), 0x14, 0xAA, layout.leadOut);
    return true;
}

// Sends one command; the body of a 200 answer, or nothing.
std::optional<std::string> exchange(const std::string& command)
{
    CddbOptions options;
    HttpLimits limits;
    {
        std::lock_guard lock(state().mutex);
        options = state().options;
        limits = state().limits;
    }
    CddbRequest request;
    std::string error;
    if (!buildRequest(options, command, request, error)) {
        setError(error);
        return std::nullopt;
    }
    limits.cancel = &g_cancelled;
    HttpResult result = httpGet(request, limits, options.agent);
    if (!result.ok) {
        setError(result.error);
        return std::nullopt;
    }
    return std::move(result.body);
}

// A value as the INI reader gives it back: it trims and removes one pair
// of quotes, so values that would lose something are quoted.
std::string iniValue(const std::string& value)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    if (!value.empty() && (blank(value.front()) || blank(value.back()) || value.front() == '"' || value.front() == '\''))
        return '"' + value + '"';
    return value;
}

void storeNames(const CddbEntry& entry, const LastQuery& query)
{
    const std::string path = cdPlayerIniPath();
    if (path.empty() || query.cdPlayerId.empty())
        return;
    // Names by track position; a final data track gets no name, as when
    // the program writes the section itself.
    const std::vector<std::string> titles = entry.trackTitles();
    std::size_t count = std::size_t(query.trackCount - (query.lastIsData ? 1 : 0));
    if (titles.size() < count)
        count = titles.size();

    std::vector<std::pair<std::string, std::string>> keys = {
        {"EntryTypeInt", "1"},
        {"artist", iniValue(entry.artist())},
        {"title", iniValue(entry.title())},
        {"year", iniValue(entry.value("DYEAR"))},
        {"numtracks", std::to_string(count)},
    };
    for (std::size_t i = 0; i < count; ++i)
        keys.emplace_back(std::to_string(i), iniValue(titles[i]));
    // The section's numbered keys are replaced as a whole: names of an
    // earlier entry with more tracks would show up for tracks beyond this one.
    std::string reason;
    if (!updateIniFile(path, query.cdPlayerId, keys, count, &reason))
        setError("could not write " + path + ": " + reason);
}

}

void currentSettings(CddbOptions& options, HttpLimits& limits)
{
    std::lock_guard lock(state().mutex);
    options = state().options;
    limits = state().limits;
}

}

using namespace akrip::cddb;

void CDDBSetOption(int what, const char* text, int value)
{
    std::lock_guard lock(state().mutex);
    CddbOptions& o = state().options;
    switch (what) {
    case CDDB_OPT_SERVER: o.server = boundedText(text); break;
    case CDDB_OPT_PROXY: o.proxy = boundedText(text); break;
    case CDDB_OPT_USEPROXY: o.useProxy = value != 0; break;
    case CDDB_OPT_AGENT: o.agent = boundedText(text); break;
    case CDDB_OPT_USER: o.email = boundedText(text); break;
    case CDDB_OPT_PROXYPORT: o.proxyPort = value; break;
    case CDDB_OPT_CGI: o.cgi = boundedText(text); break;
    case CDDB_OPT_HTTPPORT: o.httpPort = value; break;
    case CDDB_OPT_USECDPLAYERINI: o.storeInCdPlayerIni = value != 0; break;
    case CDDB_OPT_TIMELIMIT:
        state().limits.deadline = value > 0 ? std::chrono::steady_clock::now() + std::chrono::milliseconds(value)
                                            : std::chrono::steady_clock::time_point::max();
        g_cancelled = false;
        break;
    default: break;
    }
}

DWORD CDDBQuery(HCDROM hCD, CDDBQUERY* query)
{
    if (!query)
        return 0;
    const DWORD capacity = query->q ? query->num : 0;
    query->num = 0;
    {
        std::lock_guard lock(state().mutex);
        state().last = LastQuery{};
        state().lastError.clear();
    }
    if (capacity == 0) {
        setError("no room for matches");
        return 0;
    }

    TOC toc;
    if (!readToc(hCD, toc)) {
        setError("no table of contents");
        return 0;
    }
    const CddbDisc disc = discFromToc(toc, false);
    if (!disc.valid) {
        setError("table of contents not usable");
        return 0;
    }

    const auto body = exchange("cddb query " + disc.queryArguments());
    if (!body)
        return 0;
    const QueryAnswer answer = parseQueryAnswer(*body, capacity);
    if (answer.matches.empty() && answer.code != 202)
        setError("query answered " + std::to_string(answer.code));

    for (DWORD i = 0; i < answer.matches.size(); ++i)
        answer.matches[i].toRecord(query->q[i]);
    query->num = DWORD(answer.matches.size());

    std::lock_guard lock(state().mutex);
    LastQuery& last = state().last;
    last.valid = true;
    last.matches = answer.matches;
    last.cdPlayerId = disc.cdPlayerId;
    last.trackCount = int(disc.offsets.size());
    last.lastIsData = toc.tracks[disc.offsets.size() - 1].ADR == 0x14;
    return query->num;
}

DWORD CDDBGetDiskInfo(CDDBQUERYITEM* item, char* entry, int maxLen)
{
    if (!item || !entry || maxLen <= 0)
        return 0;
    entry[0] = 0;
    setError({});

    // The record may come from anywhere: take its texts only within their
    // fields, and only when they still look like a category and an id.
    CddbMatch wanted;
    wanted.category = boundedText(item->categ, sizeof item->categ);
    wanted.discId = boundedText(item->cddbId, sizeof item->cddbId);
    if (!isValidCategory(wanted.category) || !isValidDiscId(wanted.discId)) {
        setError("not a match record");
        return 0;
    }
    for (char& c : wanted.discId)
        if (c >= 'A' && c <= 'F')
            c = char(c - 'A' + 'a');

    const auto body = exchange("cddb read " + wanted.category + ' ' + wanted.discId);
    if (!body)
        return 0;
    const ReadAnswer answer = parseReadAnswer(*body);
    if (!answer.ok) {
        setError("read answered " + std::to_string(answer.code));
        return 0;
    }
    const std::string text = answer.entry.text(std::size_t(maxLen));
    std::memcpy(entry, text.c_str(), text.size() + 1);

    // Option 8: the first entry received after a query goes into the CD
    // Player database, so all names stored for a disc come from one match.
    LastQuery last;
    bool store = false;
    {
        std::lock_guard lock(state().mutex);
        LastQuery& l = state().last;
        if (state().options.storeInCdPlayerIni && l.valid && !l.stored) {
            for (const CddbMatch& m : l.matches)
                if (m.category == wanted.category && m.discId == wanted.discId)
                    store = true;
        }
        if (store) {
            l.stored = true;
            last = l;
        }
    }
    if (store)
        storeNames(answer.entry, last);
    return 1;
}

DWORD CDDBGetServerList(CDDBSITELIST* list)
{
    // The server list of the old freedb network is gone; there is nothing
    // to offer but the server the caller already knows.
    if (list)
        list->num = 0;
    return 0;
}

void CDDBCancel(void)
{
    g_cancelled = true;
}

void AkripTestSetCddbTimeouts(long connectMs, long totalMs)
{
    std::lock_guard lock(state().mutex);
    const HttpLimits defaults;
    state().limits.connectMs = connectMs > 0 ? connectMs : defaults.connectMs;
    state().limits.totalMs = totalMs > 0 ? totalMs : defaults.totalMs;
}

void AkripTestSetCddbToc(const TOC* toc)
{
    std::lock_guard lock(state().mutex);
    if (toc)
        state().testToc = *toc;
    else
        state().testToc.reset();
}

const char* AkripTestCddbLastError(void)
{
    static thread_local std::string copy;
    std::lock_guard lock(state().mutex);
    copy = state().lastError;
    return copy.c_str();
}

void AkripTestCddbLoopbackOnly(int on)
{
    setLoopbackOnly(on != 0);
}

void AkripTestResetCddb(void)
{
    std::lock_guard lock(state().mutex);
    state().options = CddbOptions{};
    state().limits = HttpLimits{};
    state().testToc.reset();
    state().last = LastQuery{};
    state().lastError.clear();
    g_cancelled = false;
}
