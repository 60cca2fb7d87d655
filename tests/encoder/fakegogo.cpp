// SPDX-License-Identifier: GPL-2.0-or-later
// A stand-in for the encoder library that records what it is told and
// answers as a test scripts it. Built twice: complete, and (with
// FAKE_GOGO_INCOMPLETE) lacking MPGE_getVersion.
#include "gogo.h"

#include <cstring>
#include <mutex>
#include <string>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

std::mutex g_mutex;
std::string g_sent;  // "item=v1,v2;" per call; a path or a reader record in place of its pointer
int32_t g_version = (GOGO_VERSION_MAJOR << 8) | GOGO_VERSION_MINOR, g_units = 0;
MERET g_initResult = 0, g_detectResult = 0, g_endResult = 1;
int g_framesBeforeEnd = 5, g_processed = 0, g_closed = 0;

}

// Forgets what was sent; `init` and `detect` answer the setup calls, then
// `frames` calls of MPGE_processFrame return 0 and the next ones `end`.
FAKE_EXPORT void fake_gogo_reset(int32_t version, int32_t units, MERET init, MERET detect, int frames, MERET end)
{
    std::lock_guard lock(g_mutex);
    g_sent.clear();
    g_version = version;
    g_units = units;
    g_initResult = init;
    g_detectResult = detect;
    g_framesBeforeEnd = frames;
    g_endResult = end;
    g_processed = g_closed = 0;
}

FAKE_EXPORT const char* fake_gogo_sent()
{
    std::lock_guard lock(g_mutex);
    return g_sent.c_str();
}

FAKE_EXPORT int fake_gogo_closed()
{
    std::lock_guard lock(g_mutex);
    return g_closed;
}

extern "C" {

MERET MPGE_initializeWork(void)
{
    std::lock_guard lock(g_mutex);
    g_processed = 0;
    return g_initResult;
}

MERET MPGE_setConfigure(MPARAM item, UPARAM v1, UPARAM v2)
{
    std::lock_guard lock(g_mutex);
    std::string value = std::to_string(v2);
    if ((item == GOGO_ITEM_INPUT && v1 == GOGO_INPUT_FILE) || item == GOGO_ITEM_OUTPUT)
        value = reinterpret_cast<const char*>(v2);
    if (item == GOGO_ITEM_INPUT && v1 == GOGO_INPUT_READER) {
        const auto* r = reinterpret_cast<const GogoReaderRecord*>(v2);
        value = (r->reader ? "reader " : "null ") + std::to_string(r->size) + " " + std::to_string(r->bitsPerSample)
                + " " + std::to_string(r->sampleRate) + " " + std::to_string(r->channels);
    }
    g_sent += std::to_string(item) + "=" + std::to_string(v1) + "," + value + ";";
    return 0;
}

MERET MPGE_getConfigure(MPARAM item, void* value)
{
    const int32_t frames = 1000;
    if (item != GOGO_ITEM_FRAME_COUNT)
        return GOGO_ERR_PARAMETER;
    std::memcpy(value, &frames, sizeof frames);
    return 0;
}

MERET MPGE_detectConfigure(void)
{
    std::lock_guard lock(g_mutex);
    return g_detectResult;
}

MERET MPGE_processFrame(void)
{
    std::lock_guard lock(g_mutex);
    return g_processed++ < g_framesBeforeEnd ? 0 : g_endResult;
}

MERET MPGE_closeCoder(void)
{
    std::lock_guard lock(g_mutex);
    ++g_closed;
    return 0;
}

MERET MPGE_endCoder(void) { return 0; }

MERET MPGE_getUnitStates(int32_t* flags)
{
    std::lock_guard lock(g_mutex);
    *flags = g_units;
    return 0;
}

#ifndef FAKE_GOGO_INCOMPLETE
MERET MPGE_getVersion(int32_t* code, char* text)
{
    std::lock_guard lock(g_mutex);
    *code = g_version;
    std::strcpy(text, "GOGO vFAKE");
    return 0;
}
#endif

}
