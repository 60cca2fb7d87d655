// SPDX-License-Identifier: LGPL-2.1-or-later
// The AccurateRip entry points: the disc's identity and its dBAR file.
#include "accuraterip.h"

#include "akrip32.h"
#include "cddbhttp.h"
#include "cddbrequest.h"
#include "discaccess.h"

#include <cstdio>
#include <cstring>

namespace akrip {

namespace cddb {
void currentSettings(CddbOptions& options, HttpLimits& limits);
}

namespace {

uint32_t digitSum(uint32_t n)
{
    uint32_t sum = 0;
    for (; n > 0; n /= 10)
        sum += n % 10;
    return sum;
}

void setReason(char* reason, DWORD reasonLen, const std::string& text)
{
    if (!reason || reasonLen == 0)
        return;
    const size_t n = text.size() < reasonLen - 1 ? text.size() : reasonLen - 1;
    std::memcpy(reason, text.data(), n);
    reason[n] = 0;
}

bool isLoopbackHost(const std::string& server)
{
    std::string host = server;
    if (!host.empty() && host.front() == '[')
        return host.rfind("[::1]", 0) == 0;
    host = host.substr(0, host.find(':'));
    return host == "localhost" || host.rfind("127.", 0) == 0;
}

}

bool accurateRipId(const DiscLayout& layout, ARDISCID& id)
{
    std::memset(&id, 0, sizeof id);
    uint32_t id1 = 0, id2 = 0, cddbSum = 0, audio = 0;
    for (size_t i = 0; i < layout.tracks.size(); ++i) {
        const TocTrack& t = layout.tracks[i];
        const uint32_t start = uint32_t(t.discLba < 0 ? 0 : t.discLba);
        // Whole seconds with the 2 s lead-in, as every CDDB id counts them.
        cddbSum += digitSum((start + kLeadInSectors) / 75);
        if (t.control == kControlData)
            continue;
        if (audio == 0)
            id.firstAudio = uint8_t(i + 1);
        ++audio;
        id1 += start;
        id2 += (start > 0 ? start : 1) * audio;
    }
    if (audio == 0 || layout.tracks.empty())
        return false;
    const uint32_t leadOut = uint32_t(layout.leadOut);
    id1 += leadOut;
    id2 += (leadOut > 0 ? leadOut : 1) * (audio + 1);
    const uint32_t seconds = leadOut / 75 - uint32_t(layout.tracks.front().discLba) / 75;
    id.id1 = id1;
    id.id2 = id2;
    id.cddb = ((cddbSum % 255) << 24) | (seconds << 8) | uint32_t(layout.tracks.size());
    id.audioTracks = uint8_t(audio);
    std::snprintf(id.name, sizeof id.name, "dBAR-%03u-%08x-%08x-%08x.bin", audio, id.id1, id.id2, id.cddb);
    return true;
}

std::string accurateRipPath(const ARDISCID& id)
{
    static const char hex[] = "0123456789abcdef";
    std::string path = "/accuraterip/";
    for (int shift = 0; shift <= 8; shift += 4) {
        path += hex[(id.id1 >> shift) & 0xF];
        path += '/';
    }
    return path + std::string(id.name, strnlen(id.name, sizeof id.name));
}

}

DWORD GetAccurateRipId(HCDROM hCD, ARDISCID* id)
{
    if (!id)
        return SS_INVALID_SRB;
    std::memset(id, 0, sizeof *id);
    akrip::DiscLayout layout;
    if (!akrip::readDiscLayout(hCD, layout))
        return SS_ERR;
    return akrip::accurateRipId(layout, *id) ? SS_COMP : SS_ERR;
}

DWORD AccurateRipQuery(const ARDISCID* id, const char* server, BYTE* buf, DWORD maxLen, DWORD* len, char* reason,
                       DWORD reasonLen)
{
    using namespace akrip;
    using namespace akrip::cddb;
    if (len)
        *len = 0;
    setReason(reason, reasonLen, "");
    if (!id || !buf || !len || id->audioTracks == 0) {
        setReason(reason, reasonLen, "no disc identity");
        return AR_FAILED;
    }
    CddbOptions options;
    HttpLimits limits;
    currentSettings(options, limits);
    const std::string host = server && *server ? std::string(server, strnlen(server, 260)) : "www.accuraterip.com";
    // Test processes reach nothing but their own machine, and do not wait
    // for a name server to say so.
    if (loopbackOnly() && !isLoopbackHost(host)) {
        setReason(reason, reasonLen, "only loopback servers are reached");
        return AR_FAILED;
    }
    CddbRequest request;
    std::string error;
    if (!buildGetRequest(options, host, accurateRipPath(*id), request, error)) {
        setReason(reason, reasonLen, error);
        return AR_FAILED;
    }
    // The CDDB lookup's own time limit and cancellation are not this
    // request's: it keeps the per-request limits alone.
    limits.deadline = std::chrono::steady_clock::time_point::max();
    limits.cancel = nullptr;
    limits.maxBody = maxLen;
    HttpResult result = httpGet(request, limits, options.agent);
    if (result.status == 404) {
        setReason(reason, reasonLen, "HTTP status 404");
        return AR_NOT_FOUND;
    }
    if (!result.ok) {
        setReason(reason, reasonLen, result.error);
        return AR_FAILED;
    }
    std::memcpy(buf, result.body.data(), result.body.size());
    *len = DWORD(result.body.size());
    return AR_FOUND;
}
