// SPDX-License-Identifier: LGPL-2.1-or-later
// The entry points. A job state is a settings record for the next job and
// at most one open job, guarded by the state's mutex (the entry points may
// be called from any thread, though one job is driven from one thread).
// The handle-less entry points work on the default state; each handle is a
// state of its own, so jobs on different handles run side by side.
#include "gogo.h"

#include "encoderjob.h"
#include "unitstates.h"

#include <lame/lame.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>

struct GogoHandle
{
    std::mutex mutex;
    gogo::JobSettings settings;
    bool initialized = false;
    std::unique_ptr<gogo::EncoderJob> job;
};

namespace {

GogoHandle g_default;

bool isFlag(UPARAM v)
{
    return v == 0 || v == 1;
}

bool isOutputRate(UPARAM v)
{
    switch (v) {
    case 8000: case 11025: case 12000: case 16000: case 22050: case 24000:
    case 32000: case 44100: case 48000:
        return true;
    default:
        return false;
    }
}

MERET configure(gogo::JobSettings& s, MPARAM item, UPARAM v1, UPARAM v2)
{
    switch (item) {
    case GOGO_ITEM_INPUT:
        if (v1 == GOGO_INPUT_FILE && v2) {
            s.inputMode = GOGO_INPUT_FILE;
            s.inputPath = reinterpret_cast<const char*>(v2);
            return GOGO_OK;
        }
        if (v1 == GOGO_INPUT_READER && v2) {
            // Copied: the caller's record need only live during this call.
            s.reader = *reinterpret_cast<const GogoReaderRecord*>(v2);
            s.inputMode = GOGO_INPUT_READER;
            return GOGO_OK;
        }
        return GOGO_ERR_PARAMETER;
    case GOGO_ITEM_OUTPUT:
        if (v1 != 0 || !v2)
            return GOGO_ERR_PARAMETER;
        s.outputPath = reinterpret_cast<const char*>(v2);
        s.outputSet = true;
        return GOGO_OK;
    case GOGO_ITEM_CHANNEL_MODE:
        if (v1 > 4)
            return GOGO_ERR_PARAMETER;
        s.channelMode = static_cast<int>(v1);
        return GOGO_OK;
    case GOGO_ITEM_BITRATE:
        if (v1 < 8 || v1 > 320)
            return GOGO_ERR_PARAMETER;
        s.bitrateKbps = static_cast<int>(v1);
        return GOGO_OK;
    case GOGO_ITEM_OUTPUT_RATE:
        if (!isOutputRate(v1))
            return GOGO_ERR_PARAMETER;
        s.outputRate = static_cast<int>(v1);
        return GOGO_OK;
    case GOGO_ITEM_PSYCHO:
        if (!isFlag(v1))
            return GOGO_ERR_PARAMETER;
        s.psycho = v1 == 1;
        return GOGO_OK;
    case GOGO_ITEM_LOWPASS_16K:
        if (!isFlag(v1))
            return GOGO_ERR_PARAMETER;
        s.lowpass16k = v1 == 1;
        return GOGO_OK;
    case GOGO_ITEM_USE_MMX:
    case GOGO_ITEM_USE_3DNOW:
    case GOGO_ITEM_USE_SSE:
    case GOGO_ITEM_USE_EX_3DNOW:
    case GOGO_ITEM_USE_SPC1:
    case GOGO_ITEM_USE_SPC2:
        if (!isFlag(v1))
            return GOGO_ERR_PARAMETER;
        if (item == GOGO_ITEM_USE_MMX)
            s.useMmx = v1 == 1;
        else if (item == GOGO_ITEM_USE_3DNOW)
            s.use3dnow = v1 == 1;
        else if (item == GOGO_ITEM_USE_SSE)
            s.useSse = v1 == 1;
        return GOGO_OK;
    case GOGO_ITEM_EMPHASIS:
        if (v1 != 0 && v1 != 1 && v1 != 3)
            return GOGO_ERR_PARAMETER;
        s.emphasis = static_cast<int>(v1);
        return GOGO_OK;
    case GOGO_ITEM_VBR_LEVEL:
        if (v1 > 9)
            return GOGO_ERR_PARAMETER;
        s.vbr = true;
        s.vbrLevel = static_cast<int>(v1);
        return GOGO_OK;
    case GOGO_ITEM_PROCESSORS:
        return v1 >= 1 && v1 <= 4 ? GOGO_OK : GOGO_ERR_PARAMETER;
    case GOGO_ITEM_OUTPUT_FORMAT:
        if (v1 > 2)
            return GOGO_ERR_PARAMETER;
        s.outputFormat = static_cast<int>(v1);
        return GOGO_OK;
    case GOGO_ITEM_VBR_RANGE:
        if (v1 > 320 || v2 > 320)
            return GOGO_ERR_PARAMETER;
        s.vbrMinKbps = static_cast<int>(v1);
        s.vbrMaxKbps = static_cast<int>(v2);
        if (s.vbrMinKbps && s.vbrMaxKbps && s.vbrMinKbps > s.vbrMaxKbps)
            std::swap(s.vbrMinKbps, s.vbrMaxKbps);
        return GOGO_OK;
    case GOGO_ITEM_FILTER_BANDS:
        if (v1 > 100 || v2 > 100)
            return GOGO_ERR_PARAMETER;
        s.filterLow = static_cast<int>(v1);
        s.filterHigh = static_cast<int>(v2);
        return GOGO_OK;
    case GOGO_ITEM_MS_STEREO:
        if (v1 > 100 || v2 > 100)
            return GOGO_ERR_PARAMETER;
        s.msPower = static_cast<int>(v2);
        return GOGO_OK;
    default:
        return GOGO_ERR_PARAMETER;
    }
}

MERET initializeWork(GogoHandle& h)
{
    std::lock_guard lock(h.mutex);
    // One job per state: a job still open belongs to someone else (or was
    // never ended) and may be running on another thread right now.
    if (h.job)
        return GOGO_ERR_SEQUENCE;
    h.settings = gogo::JobSettings();
    h.initialized = true;
    return GOGO_OK;
}

MERET setConfigure(GogoHandle& h, MPARAM item, UPARAM value1, UPARAM value2)
{
    std::lock_guard lock(h.mutex);
    if (!h.initialized || h.job)
        return GOGO_ERR_SEQUENCE;
    try {
        return configure(h.settings, item, value1, value2);
    } catch (const std::bad_alloc&) {
        return GOGO_ERR_MEMORY;
    }
}

MERET getConfigure(GogoHandle& h, MPARAM item, void* value)
{
    std::lock_guard lock(h.mutex);
    if (item != GOGO_ITEM_FRAME_COUNT || !value)
        return GOGO_ERR_PARAMETER;
    if (!h.job)
        return GOGO_ERR_SEQUENCE;
    const int32_t frames = h.job->totalFrames();
    std::memcpy(value, &frames, sizeof frames);
    return GOGO_OK;
}

MERET detectConfigure(GogoHandle& h)
{
    std::lock_guard lock(h.mutex);
    if (!h.initialized || h.job)
        return GOGO_ERR_SEQUENCE;
    try {
        auto job = std::make_unique<gogo::EncoderJob>();
        if (MERET r = job->open(h.settings))
            return r;
        h.job = std::move(job);
        return GOGO_OK;
    } catch (const std::bad_alloc&) {
        return GOGO_ERR_MEMORY;
    } catch (...) {
        return GOGO_ERR_INTERNAL;
    }
}

MERET processFrame(GogoHandle& h)
{
    // The reader function may take its time; the job belongs to the one
    // thread that drives it, so the lock only guards the job's existence.
    gogo::EncoderJob* job;
    {
        std::lock_guard lock(h.mutex);
        job = h.job.get();
    }
    if (!job)
        return GOGO_ERR_SEQUENCE;
    try {
        return job->processFrame();
    } catch (const std::bad_alloc&) {
        return GOGO_ERR_MEMORY;
    } catch (...) {
        return GOGO_ERR_INTERNAL;
    }
}

MERET closeCoder(GogoHandle& h)
{
    std::lock_guard lock(h.mutex);
    if (!h.job)
        return GOGO_ERR_SEQUENCE;
    return h.job->close();
}

MERET endCoder(GogoHandle& h)
{
    std::lock_guard lock(h.mutex);
    h.job.reset();
    h.initialized = false;
    return GOGO_OK;
}

}

extern "C" {

MERET MPGE_initializeWork(void) { return initializeWork(g_default); }
MERET MPGE_setConfigure(MPARAM item, UPARAM value1, UPARAM value2) { return setConfigure(g_default, item, value1, value2); }
MERET MPGE_getConfigure(MPARAM item, void* value) { return getConfigure(g_default, item, value); }
MERET MPGE_detectConfigure(void) { return detectConfigure(g_default); }
MERET MPGE_processFrame(void) { return processFrame(g_default); }
MERET MPGE_closeCoder(void) { return closeCoder(g_default); }
MERET MPGE_endCoder(void) { return endCoder(g_default); }

MERET MPGE_createHandle(GOGO_HANDLE* handle)
{
    if (!handle)
        return GOGO_ERR_PARAMETER;
    *handle = new (std::nothrow) GogoHandle;
    return *handle ? GOGO_OK : GOGO_ERR_MEMORY;
}

MERET MPGE_destroyHandle(GOGO_HANDLE handle)
{
    if (!handle)
        return GOGO_ERR_PARAMETER;
    // The job's destructor closes an open job (the partial output is kept).
    delete handle;
    return GOGO_OK;
}

MERET MPGE_initializeWorkH(GOGO_HANDLE h) { return h ? initializeWork(*h) : GOGO_ERR_PARAMETER; }
MERET MPGE_setConfigureH(GOGO_HANDLE h, MPARAM item, UPARAM value1, UPARAM value2)
{
    return h ? setConfigure(*h, item, value1, value2) : GOGO_ERR_PARAMETER;
}
MERET MPGE_getConfigureH(GOGO_HANDLE h, MPARAM item, void* value) { return h ? getConfigure(*h, item, value) : GOGO_ERR_PARAMETER; }
MERET MPGE_detectConfigureH(GOGO_HANDLE h) { return h ? detectConfigure(*h) : GOGO_ERR_PARAMETER; }
MERET MPGE_processFrameH(GOGO_HANDLE h) { return h ? processFrame(*h) : GOGO_ERR_PARAMETER; }
MERET MPGE_closeCoderH(GOGO_HANDLE h) { return h ? closeCoder(*h) : GOGO_ERR_PARAMETER; }
MERET MPGE_endCoderH(GOGO_HANDLE h) { return h ? endCoder(*h) : GOGO_ERR_PARAMETER; }

MERET MPGE_getUnitStates(int32_t* flags)
{
    if (!flags)
        return GOGO_ERR_PARAMETER;
    *flags = gogo::unitStates();
    return GOGO_OK;
}

MERET MPGE_getVersion(int32_t* code, char* text)
{
    if (!code || !text)
        return GOGO_ERR_PARAMETER;
    *code = (GOGO_VERSION_MAJOR << 8) | GOGO_VERSION_MINOR;
    std::snprintf(text, GOGO_VERSION_TEXT_SIZE, "GOGO v%d.%02d, Trackmill MP3 encoder on LAME %s",
                  GOGO_VERSION_MAJOR, GOGO_VERSION_MINOR, get_lame_version());
    return GOGO_OK;
}

}
