// SPDX-License-Identifier: LGPL-2.1-or-later
#include "securereader.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace akrip {

namespace {

// The reader whose paranoia call runs on this thread: paranoia's callbacks
// and its read function get no pointer of ours.
thread_local SecureReader* t_active = nullptr;


void onEvent(long position, paranoia_cb_mode_t mode)
{
    if (t_active)
        t_active->event(position, int(mode));
}

std::string msf(int32_t sector)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", sector / (60 * 75), sector / 75 % 60, sector % 75);
    return text;
}

// A temporary folder removed with what it holds.
struct TempDir {
    std::string path;
    ~TempDir()
    {
        if (path.empty())
            return;
        ::unlink((path + "/toc.cue").c_str());
        ::unlink((path + "/toc.bin").c_str());
        ::rmdir(path.c_str());
    }
};

bool writeAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

}

std::string paranoiaCueSheet(const DiscLayout& layout, const std::string& binName, int32_t* sectors)
{
    // Paranoia keeps its reads inside the stretch of audio tracks around its
    // cursor, bounded by data tracks: so every stretch of audio ends where a
    // data track begins, and the BIN where the last stretch ends.
    std::string cue = "FILE \"" + binName + "\" BINARY\n";
    int number = 0;
    const auto track = [&](bool audio, int32_t start) {
        char line[80];
        std::snprintf(line, sizeof line, "  TRACK %02d %s\n    INDEX 01 %s\n", ++number,
                      audio ? "AUDIO" : "MODE1/2352", msf(start).c_str());
        cue += line;
    };
    if (!layout.audio.empty() && layout.audio.front().first > 0)
        track(false, 0);
    for (size_t r = 0; r < layout.audio.size(); ++r) {
        const SectorRange& range = layout.audio[r];
        bool first = true;
        for (const TocTrack& t : layout.tracks) {
            if (t.control == kControlData || t.lba < range.first || t.lba >= range.end)
                continue;
            // A stretch always starts with a track of its own.
            if (first && t.lba != range.first)
                track(true, range.first);
            track(true, t.lba);
            first = false;
        }
        if (first)
            track(true, range.first);
        if (r + 1 < layout.audio.size())
            track(false, range.end);
    }
    *sectors = layout.audio.empty() ? 0 : layout.audio.back().end;
    return cue;
}

std::unique_ptr<SecureReader> SecureReader::open(const DiscLayout& layout, RawRead raw, uint32_t retries,
                                                 std::string* error)
{
    std::unique_ptr<SecureReader> reader(new SecureReader);
    reader->raw_ = std::move(raw);
    reader->layout_ = layout;
    reader->retries_ = retries;
    if (layout.audio.empty()) {
        *error = "no audio on the disc";
        return nullptr;
    }

    TempDir dir;
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/akrip-toc-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        *error = std::string("cannot make a temporary folder: ") + std::strerror(errno);
        return nullptr;
    }
    dir.path = pattern;
    int32_t sectors = 0;
    const std::string cue = paranoiaCueSheet(layout, "toc.bin", &sectors);
    // The BIN only gives the sheet its lead-out: a sparse file, never read.
    const int binFd = ::open((dir.path + "/toc.bin").c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    const bool binOk = binFd >= 0 && ::ftruncate(binFd, off_t(sectors) * kSectorBytes) == 0;
    if (binFd >= 0)
        ::close(binFd);
    const int cueFd = ::open((dir.path + "/toc.cue").c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    const bool cueOk = cueFd >= 0 && writeAll(cueFd, cue);
    if (cueFd >= 0)
        ::close(cueFd);
    if (!binOk || !cueOk) {
        *error = "cannot write the table of contents for paranoia";
        return nullptr;
    }

    // The sheet's short tracks are no news to anyone: libcdio keeps its
    // warnings about them to itself.
    const cdio_log_level_t level = cdio_loglevel_default;
    cdio_loglevel_default = CDIO_LOG_ERROR;
    reader->cdio_ = cdio_open_cue((dir.path + "/toc.cue").c_str());
    cdio_loglevel_default = level;
    if (!reader->cdio_) {
        *error = "libcdio did not take the table of contents";
        return nullptr;
    }
    reader->drive_ = cdio_cddap_identify_cdio(reader->cdio_, CDDA_MESSAGE_FORGETIT, nullptr);
    if (!reader->drive_) {
        *error = "paranoia did not take the drive";
        return nullptr;
    }
    // Our reads hand back the disc's little-endian samples as they are:
    // paranoia must neither guess the byte order nor swap.
    reader->drive_->bigendianp = 0;
    reader->drive_->b_swap_bytes = false;
    if (cdio_cddap_open(reader->drive_) != 0) {
        *error = "paranoia could not open the table of contents";
        return nullptr;
    }
    reader->drive_->read_audio = &SecureReader::readAudio;
    reader->drive_->set_speed = nullptr;
    reader->paranoia_ = cdio_paranoia_init(reader->drive_);
    if (!reader->paranoia_) {
        *error = "paranoia could not start";
        return nullptr;
    }
    // Full mode less "never skip": paranoia gives up after the retries, and
    // every skip it reports fails the read.
    cdio_paranoia_modeset(reader->paranoia_, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
    reader->stats_.errorSector = 0xFFFFFFFFu;
    return reader;
}

SecureReader::~SecureReader()
{
    if (paranoia_)
        cdio_paranoia_free(paranoia_);
    if (drive_)
        cdio_cddap_close_no_free_cdio(drive_);
    if (cdio_)
        cdio_destroy(cdio_);
}

long SecureReader::readAudio(cdrom_drive_t*, void* buffer, int32_t begin, long sectors)
{
    if (!t_active || sectors <= 0 || begin < 0)
        return 0;
    return long(t_active->raw_(begin, uint32_t(sectors), static_cast<uint8_t*>(buffer)));
}

void SecureReader::event(long position, int mode)
{
    switch (paranoia_cb_mode_t(mode)) {
    case PARANOIA_CB_READERR:
        ++stats_.rereads;
        // The first sector the drive did not hand back (positions are in
        // 16-bit words, 1176 a sector).
        if (position >= 0)
            lastUnread_ = position / CD_FRAMEWORDS;
        break;
    case PARANOIA_CB_FIXUP_EDGE:
    case PARANOIA_CB_FIXUP_ATOM:
    case PARANOIA_CB_FIXUP_DROPPED:
    case PARANOIA_CB_FIXUP_DUPED:
    case PARANOIA_CB_DRIFT:
        ++stats_.repairs;
        break;
    case PARANOIA_CB_SKIP:
        ++stats_.skips;
        ++skipsInRead_;
        break;
    default:
        break;
    }
}

uint32_t SecureReader::read(int32_t lba, uint32_t count, uint8_t* out)
{
    SecureReader* const outer = t_active;
    t_active = this;
    uint32_t done = 0;
    for (; done < count; ++done) {
        const int64_t at = int64_t(lba) + done;
        if (cursor_ != at || at > rangeLast_)
            reposition(int32_t(at));
        skipsInRead_ = 0;
        lastUnread_ = -1;
        const int16_t* sector = cdio_paranoia_read_limited(paranoia_, onEvent, int(retries_));
        if (!sector || skipsInRead_ > 0) {
            // What paranoia gave up on is unverified (zeros): the sector is a
            // read error, never audio. The cursor is lost with it.
            // Paranoia gives up where it cannot verify, which may be some
            // sectors before the one the drive would not read: name that one.
            const int64_t bad = lastUnread_ >= at && lastUnread_ < at + 64 ? lastUnread_ : at;
            if (stats_.errorSector == 0xFFFFFFFFu)
                stats_.errorSector = uint32_t(bad);
            cursor_ = -1;
            break;
        }
        std::memcpy(out + size_t(done) * kSectorBytes, sector, kSectorBytes);
        ++cursor_;
        ++stats_.sectors;
    }
    t_active = outer;
    return done;
}

void SecureReader::reposition(int32_t lba)
{
    // Paranoia verifies within the track being read: it reads no further
    // than the track's last sector, so a bad sector in the next track does
    // not cost this one its end. A track's sectors run to the next track's
    // start or to the end of its stretch of audio.
    int64_t last = lba;
    for (const SectorRange& range : layout_.audio) {
        if (lba < range.first || lba >= range.end)
            continue;
        last = range.end - 1;
        for (const TocTrack& t : layout_.tracks)
            if (t.control != kControlData && t.lba > lba && t.lba <= last)
                last = t.lba - 1;
    }
    cdio_paranoia_seek(paranoia_, lba, SEEK_SET);
    cdio_paranoia_set_range(paranoia_, lba, long(last));
    cursor_ = lba;
    rangeLast_ = last;
}

CDREADSTATS SecureReader::takeStats()
{
    const CDREADSTATS s = stats_;
    stats_ = CDREADSTATS{};
    stats_.errorSector = 0xFFFFFFFFu;
    return s;
}

}
