// SPDX-License-Identifier: LGPL-2.1-or-later
// The drive entry points of the library and its test hooks.
#include "akrip32.h"
#include "akrip32_testing.h"

#include "discaccess.h"
#include "drivelist.h"
#include "handletable.h"

#include <cstring>
#include <mutex>
#include <optional>
#include <string>

namespace {

// Options of the library: set by the test hooks only; a program run keeps
// the defaults.
struct Options {
    std::mutex lock;
    std::optional<std::string> discsDir;
    bool physicalDrives = true;
    DWORD failFrom = 0;
    DWORD failStatus = 0;
};

Options& options()
{
    static Options o;
    return o;
}

akrip::HandleTable& handles()
{
    static akrip::HandleTable table;
    return table;
}

std::vector<akrip::DriveEntry> currentDrives()
{
    bool physical;
    std::string dir;
    {
        std::lock_guard guard(options().lock);
        physical = options().physicalDrives;
        dir = options().discsDir ? *options().discsDir : akrip::defaultDiscsDir();
    }
    return akrip::enumerateDrives(physical, dir);
}

// Reads the TOC of an open drive into its cached layout. Called with the
// drive locked.
bool refreshLayout(akrip::OpenDrive& open)
{
    open.layout = open.drive->readLayout();
    return open.layout.has_value();
}

}

namespace akrip {

bool readDiscLayout(HCDROM h, DiscLayout& out)
{
    const std::shared_ptr<OpenDrive> open = handles().find(h);
    if (!open)
        return false;
    std::lock_guard guard(open->lock);
    if (!refreshLayout(*open))
        return false;
    out = *open->layout;
    return true;
}

}

DWORD GetCDList(CDLIST* cd)
{
    if (!cd)
        return SS_INVALID_SRB;
    // Only the records the caller says it has are touched.
    const BYTE capacity = cd->max < MAXCDLIST ? cd->max : MAXCDLIST;
    std::memset(cd->cd, 0, capacity * sizeof(CDREC));
    cd->num = 0;
    const std::vector<akrip::DriveEntry> drives = currentDrives();
    for (size_t i = 0; i < drives.size() && i < capacity; ++i) {
        CDREC& rec = cd->cd[i];
        rec.ha = static_cast<BYTE>(i);
        rec.tgt = 0;
        rec.lun = 0;
        akrip::describeDrive(drives[i], rec);
        cd->num = static_cast<BYTE>(i + 1);
    }
    return SS_COMP;
}

HCDROM GetCDHandle(GETCDHAND* request)
{
    if (!request || request->size != sizeof(GETCDHAND) || request->tgt != 0 || request->lun != 0)
        return 0;
    // Drives are addressed by position; the list is read again so a drive
    // image added or removed since the last GetCDList is seen.
    const std::vector<akrip::DriveEntry> drives = currentDrives();
    if (request->ha >= drives.size())
        return 0;
    return handles().add(akrip::openDrive(drives[request->ha]));
}

BOOL CloseCDHandle(HCDROM hCD)
{
    return handles().remove(hCD) ? 1 : 0;
}

DWORD ModifyCDParms(HCDROM hCD, int which, DWORD value)
{
    const std::shared_ptr<akrip::OpenDrive> open = handles().find(hCD);
    if (!open || which != CDP_MSF || value > 1)
        return 0;
    std::lock_guard guard(open->lock);
    open->msf = value == 1;
    return 1;
}

DWORD ReadTOC(HCDROM hCD, TOC* toc)
{
    if (!toc)
        return SS_INVALID_SRB;
    std::memset(toc, 0, sizeof(TOC));
    const std::shared_ptr<akrip::OpenDrive> open = handles().find(hCD);
    if (!open)
        return SS_INVALID_HA;
    std::lock_guard guard(open->lock);
    if (!refreshLayout(*open))
        return SS_ERR;
    akrip::fillToc(*open->layout, open->msf, toc);
    return SS_COMP;
}

DWORD ReadCDAudioLBA(HCDROM hCD, TRACKBUF* t)
{
    if (!t)
        return SS_INVALID_SRB;
    t->len = 0;
    t->startOffset = 0;
    const std::shared_ptr<akrip::OpenDrive> open = handles().find(hCD);
    if (!open)
        return t->status = SS_INVALID_HA;
    // The buffer must hold every sector asked for (64-bit: no overflow).
    const uint64_t bytes = static_cast<uint64_t>(t->numFrames) * akrip::kSectorBytes;
    if (t->numFrames == 0 || bytes > t->maxLen)
        return t->status = SS_INVALID_SRB;

    DWORD failFrom, failStatus;
    {
        std::lock_guard guard(options().lock);
        failFrom = options().failFrom;
        failStatus = options().failStatus;
    }
    const uint64_t end = static_cast<uint64_t>(t->startFrame) + t->numFrames;
    if (failStatus != 0 && end > failFrom)
        return t->status = failStatus;

    std::lock_guard guard(open->lock);
    if (!open->layout && !refreshLayout(*open))
        return t->status = SS_ERR;
    // Past the lead-out, before track 1 or on a data sector the drive
    // reports an error and hands back nothing.
    if (!open->layout->isAudio(t->startFrame, t->numFrames))
        return t->status = SS_ERR;
    if (!open->drive->readAudio(static_cast<int32_t>(t->startFrame), t->numFrames, t->buf))
        return t->status = SS_ERR;
    t->len = static_cast<DWORD>(bytes);
    return t->status = SS_COMP;
}

DWORD ReadCDText(HCDROM hCD, char* text, int maxLen)
{
    if (!text || maxLen <= 0)
        return SS_INVALID_SRB;
    text[0] = '\0';
    const std::shared_ptr<akrip::OpenDrive> open = handles().find(hCD);
    if (!open)
        return SS_INVALID_HA;
    std::lock_guard guard(open->lock);
    // The disc may have changed since the last TOC: read it again.
    if (!refreshLayout(*open))
        return SS_ERR;
    const std::string lines = open->drive->cdText().lines(static_cast<size_t>(maxLen) - 1);
    std::memcpy(text, lines.c_str(), lines.size() + 1);
    return SS_COMP;
}

void AkripTestSetDiscsDir(const char* dir)
{
    std::lock_guard guard(options().lock);
    if (dir)
        options().discsDir = dir;
    else
        options().discsDir.reset();
}

void AkripTestUsePhysicalDrives(int use)
{
    std::lock_guard guard(options().lock);
    options().physicalDrives = use != 0;
}

void AkripTestFailReads(DWORD fromSector, DWORD status)
{
    std::lock_guard guard(options().lock);
    options().failFrom = fromSector;
    options().failStatus = status;
}

void AkripTestReset(void)
{
    {
        std::lock_guard guard(options().lock);
        options().discsDir.reset();
        options().physicalDrives = true;
        options().failFrom = 0;
        options().failStatus = 0;
    }
}
