// SPDX-License-Identifier: GPL-2.0-or-later
// A scripted CD ripping library: drives, handles and TOCs as told, the calls recorded.
#pragma once

#include "cd/cdlibrary.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace trackmill::test {

class FakeCdLibrary : public CdLibrary
{
public:
    struct Drive { BYTE ha, tgt, lun; const char* id; };
    std::vector<Drive> drives;
    BYTE reportedCount = 0xFF;  // 0xFF: the true count
    HCDROM nextHandle = 7;      // 0: refuse handles
    bool refuseClose = false;
    bool tocReadable = true;
    TOC toc{};
    std::string cdText;  // ReadCDText's lines

    std::vector<GETCDHAND> handleRequests;
    std::vector<std::pair<int, DWORD>> parms;  // ModifyCDParms calls
    int tocReads = 0;

    DWORD getCDList(CDLIST* list) override
    {
        list->num = reportedCount == 0xFF ? BYTE(drives.size()) : reportedCount;
        for (size_t i = 0; i < drives.size() && i < list->max; ++i) {
            list->cd[i].ha = drives[i].ha;
            list->cd[i].tgt = drives[i].tgt;
            list->cd[i].lun = drives[i].lun;
            std::strncpy(list->cd[i].id, drives[i].id, MAXIDLEN);
        }
        return 1;
    }
    HCDROM getCDHandle(GETCDHAND* request) override
    {
        handleRequests.push_back(*request);
        return nextHandle;
    }
    BOOL closeCDHandle(HCDROM) override { return refuseClose ? 0 : 1; }
    DWORD modifyCDParms(HCDROM, int which, DWORD value) override
    {
        parms.emplace_back(which, value);
        return 1;
    }
    DWORD readTOC(HCDROM, TOC* out) override
    {
        ++tocReads;
        return tocReadable ? (*out = toc, 1) : 0;
    }
    DWORD readCDText(HCDROM, char* out, int maxLen) override
    {
        if (!tocReadable || maxLen <= 0)
            return SS_ERR;
        std::strncpy(out, cdText.c_str(), size_t(maxLen) - 1);
        out[maxLen - 1] = 0;
        return SS_COMP;
    }
    DWORD version() override { return 0x0203; }
};

// A TOC from (control byte, start address) per track and the lead-out.
struct TocEntry { BYTE control; qint64 start; };

inline TOC makeToc(int first, int last, const std::vector<TocEntry>& entries)
{
    TOC toc{};
    toc.firstTrack = BYTE(first);
    toc.lastTrack = BYTE(last);
    for (size_t i = 0; i < entries.size() && i < TRACKS_PER_DISK; ++i) {
        toc.tracks[i].ADR = entries[i].control;
        toc.tracks[i].trackNumber = BYTE(i + 1);
        for (int b = 0; b < 4; ++b)
            toc.tracks[i].addr[b] = BYTE(quint32(entries[i].start) >> (24 - 8 * b));
    }
    return toc;
}

// Audio tracks of the given lengths (sectors) from address 0, then the lead-out.
inline TOC audioToc(const std::vector<qint64>& lengths)
{
    std::vector<TocEntry> entries;
    qint64 at = 0;
    for (qint64 length : lengths) {
        entries.push_back({0x10, at});
        at += length;
    }
    entries.push_back({0x10, at});
    return makeToc(1, int(lengths.size()), entries);
}

}
