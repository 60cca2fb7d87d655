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
#include <vector>

namespace {

// Options of the library: set by the test hooks only; a program run keeps
// the defaults.
struct Options {
    std::mutex lock;
    std::optional<std::string> discsDir;
    bool physicalDrives = true;
    DWORD failFrom = 0;
    DWORD failStatus = 0;
    // Sectors whose reads come back short, and how many more times.
    struct FailingSector {
        DWORD sector;
        DWORD remaining; // AKRIP_FAULT_ALWAYS: every time
    };
    std::vector<FailingSector> failingSectors;
    DWORD jitterEvery = 0; // every n-th low-level read is shifted
    int32_t jitterSamples = 0;
    uint64_t rawReads = 0;
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
// Adds what the handle's verified reader met to the handle's figures.
void keepStats(akrip::OpenDrive& open)
{
    if (!open.secureReader)
        return;
    const CDREADSTATS s = open.secureReader->takeStats();
    open.stats.sectors += s.sectors;
    open.stats.rereads += s.rereads;
    open.stats.repairs += s.repairs;
    open.stats.skips += s.skips;
    if (open.stats.errorSector == 0xFFFFFFFFu)
        open.stats.errorSector = s.errorSector;
}

bool sameLayout(const akrip::DiscLayout& a, const akrip::DiscLayout& b)
{
    if (a.leadOut != b.leadOut || a.tracks.size() != b.tracks.size() || a.audio.size() != b.audio.size())
        return false;
    for (size_t i = 0; i < a.tracks.size(); ++i) {
        const akrip::TocTrack& x = a.tracks[i];
        const akrip::TocTrack& y = b.tracks[i];
        if (x.number != y.number || x.control != y.control || x.lba != y.lba || x.discLba != y.discLba)
            return false;
    }
    for (size_t i = 0; i < a.audio.size(); ++i)
        if (a.audio[i].first != b.audio[i].first || a.audio[i].end != b.audio[i].end)
            return false;
    return true;
}

bool refreshLayout(akrip::OpenDrive& open)
{
    std::optional<akrip::DiscLayout> layout = open.drive->readLayout();
    // The verified reader belongs to the layout it was made for; the same
    // disc read again keeps it (another thread may ask for the TOC while
    // a track is read).
    if (!layout || !open.layout || !sameLayout(*layout, *open.layout)) {
        keepStats(open);
        open.secureReader.reset();
    }
    open.layout = std::move(layout);
    return open.layout.has_value();
}

// A test's jittering drive: count sectors read as if the drive had
// started `samples` stereo samples (4 bytes each) away from lba. Samples
// that are not audio come back as zeros.
bool shiftedRead(akrip::OpenDrive& open, int32_t lba, uint32_t count, int32_t samples, uint8_t* out)
{
    constexpr int64_t kSamples = akrip::kSectorBytes / 4;
    const int64_t firstSample = int64_t(lba) * kSamples + samples;
    const int64_t firstSector = firstSample >= 0 ? firstSample / kSamples : (firstSample - kSamples + 1) / kSamples;
    std::vector<uint8_t> raw(size_t(count + 1) * akrip::kSectorBytes, 0);
    for (uint32_t i = 0; i <= count; ++i) {
        const int64_t sector = firstSector + i;
        if (open.layout->isAudio(sector, 1)
            && !open.drive->readAudio(int32_t(sector), 1, raw.data() + size_t(i) * akrip::kSectorBytes))
            return false;
    }
    const size_t skip = size_t(firstSample - firstSector * kSamples) * 4;
    std::memcpy(out, raw.data() + skip, size_t(count) * akrip::kSectorBytes);
    return true;
}

// One low-level read of the drive, with the test faults: how many sectors
// from lba were read (fewer: the drive stopped at a failing sector).
uint32_t rawRead(akrip::OpenDrive& open, int32_t lba, uint32_t count, uint8_t* out)
{
    uint32_t n = count;
    while (n > 0 && !open.layout->isAudio(lba, n))
        --n;
    bool jitter = false;
    int32_t samples = 0;
    {
        std::lock_guard guard(options().lock);
        Options& o = options();
        for (Options::FailingSector& f : o.failingSectors) {
            if (f.remaining == 0 || int64_t(f.sector) < lba || int64_t(f.sector) >= int64_t(lba) + n)
                continue;
            n = f.sector - DWORD(lba);
            if (f.remaining != AKRIP_FAULT_ALWAYS)
                --f.remaining;
        }
        ++o.rawReads;
        if (o.jitterEvery != 0 && o.rawReads % o.jitterEvery == 0) {
            jitter = true;
            samples = o.jitterSamples;
        }
    }
    if (n == 0)
        return 0;
    const bool ok = jitter ? shiftedRead(open, lba, n, samples, out) : open.drive->readAudio(lba, n, out);
    return ok ? n : 0;
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
    if (!open)
        return 0;
    std::lock_guard guard(open->lock);
    switch (which) {
    case CDP_MSF:
        if (value > 1)
            return 0;
        open->msf = value == 1;
        return 1;
    case CDP_SECURE:
        if (value > 1)
            return 0;
        open->secure = value == 1;
        return 1;
    case CDP_RETRIES:
        if (value < 5 || value > akrip::SecureReader::kMaxRetries || value % 5 != 0)
            return 0;
        open->retries = value;
        keepStats(*open);
        open->secureReader.reset();
        return 1;
    default:
        return 0;
    }
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
    const int32_t lba = static_cast<int32_t>(t->startFrame);
    if (!open->secure) {
        if (rawRead(*open, lba, t->numFrames, t->buf) != t->numFrames)
            return t->status = SS_ERR;
        t->len = static_cast<DWORD>(bytes);
        return t->status = SS_COMP;
    }
    if (!open->secureReader) {
        akrip::OpenDrive* const drive = open.get();
        std::string error;
        // The handle stays locked while paranoia reads through it.
        open->secureReader = akrip::SecureReader::open(
            *open->layout, [drive](int32_t at, uint32_t count, uint8_t* out) { return rawRead(*drive, at, count, out); },
            open->retries, &error);
        if (!open->secureReader)
            return t->status = SS_ERR;
    }
    const uint32_t done = open->secureReader->read(lba, t->numFrames, t->buf);
    t->len = done * akrip::kSectorBytes;
    return t->status = done == t->numFrames ? SS_COMP : SS_ERR;
}

DWORD GetCDReadStats(HCDROM hCD, CDREADSTATS* stats)
{
    if (!stats)
        return SS_INVALID_SRB;
    std::memset(stats, 0, sizeof *stats);
    stats->errorSector = 0xFFFFFFFFu;
    const std::shared_ptr<akrip::OpenDrive> open = handles().find(hCD);
    if (!open)
        return SS_INVALID_HA;
    std::lock_guard guard(open->lock);
    keepStats(*open);
    *stats = open->stats;
    open->stats = CDREADSTATS{0, 0, 0, 0, 0xFFFFFFFFu};
    return SS_COMP;
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

void AkripTestFailSector(DWORD sector, DWORD times)
{
    std::lock_guard guard(options().lock);
    std::vector<Options::FailingSector>& list = options().failingSectors;
    for (Options::FailingSector& f : list) {
        if (f.sector == sector) {
            f.remaining = times;
            return;
        }
    }
    if (times != 0)
        list.push_back({sector, times});
}

void AkripTestJitterReads(DWORD everyNth, int32_t samples)
{
    std::lock_guard guard(options().lock);
    options().jitterEvery = samples > -588 && samples < 588 ? everyNth : 0;
    options().jitterSamples = samples;
    options().rawReads = 0;
}

void AkripTestReset(void)
{
    {
        std::lock_guard guard(options().lock);
        options().discsDir.reset();
        options().physicalDrives = true;
        options().failFrom = 0;
        options().failStatus = 0;
        options().failingSectors.clear();
        options().jitterEvery = 0;
        options().jitterSamples = 0;
        options().rawReads = 0;
    }
}
