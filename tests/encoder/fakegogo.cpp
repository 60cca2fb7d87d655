// SPDX-License-Identifier: GPL-2.0-or-later
// A stand-in for the encoder library that records what it is told and
// answers as a test scripts it. Built twice: complete, and (with
// FAKE_GOGO_INCOMPLETE) lacking MPGE_getVersion.
#include "gogo.h"

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

struct Call
{
    int item;
    UPARAM v1;
    UPARAM v2;
    std::string text;  // items 1 and 2 in file mode: the path
    GogoReaderRecord record{};
};

std::mutex g_mutex;
std::vector<Call> g_calls;
int32_t g_version = 0x030A;
int32_t g_units = 0;
MERET g_initResult = 0;
MERET g_detectResult = 0;
int32_t g_frames = 1000;
int g_framesBeforeEnd = 5;  // calls of MPGE_processFrame that return 0
MERET g_endResult = 1;      // then this
int g_processed = 0;
int g_closed = 0;

}

FAKE_EXPORT void fake_gogo_script(MERET init, MERET detect, int frames, MERET end)
{
    std::lock_guard lock(g_mutex);
    g_initResult = init;
    g_detectResult = detect;
    g_framesBeforeEnd = frames;
    g_endResult = end;
}

FAKE_EXPORT void fake_gogo_reset(int32_t version, int32_t units)
{
    fake_gogo_script(0, 0, 5, 1);
    std::lock_guard lock(g_mutex);
    g_calls.clear();
    g_version = version;
    g_units = units;
    g_processed = 0;
    g_closed = 0;
}

// Number of recorded setConfigure calls; fills the i-th one's fields.
FAKE_EXPORT int fake_gogo_call(int i, int* item, UPARAM* v1, UPARAM* v2, char* text, GogoReaderRecord* record)
{
    std::lock_guard lock(g_mutex);
    if (i >= 0 && i < static_cast<int>(g_calls.size())) {
        *item = g_calls[i].item;
        *v1 = g_calls[i].v1;
        *v2 = g_calls[i].v2;
        std::strncpy(text, g_calls[i].text.c_str(), 255);
        *record = g_calls[i].record;
    }
    return static_cast<int>(g_calls.size());
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
    Call c{item, v1, v2, {}, {}};
    if ((item == GOGO_ITEM_INPUT && v1 == GOGO_INPUT_FILE) || item == GOGO_ITEM_OUTPUT)
        c.text = reinterpret_cast<const char*>(v2);
    if (item == GOGO_ITEM_INPUT && v1 == GOGO_INPUT_READER)
        c.record = *reinterpret_cast<const GogoReaderRecord*>(v2);
    g_calls.push_back(c);
    return 0;
}

MERET MPGE_getConfigure(MPARAM item, void* value)
{
    if (item != GOGO_ITEM_FRAME_COUNT)
        return GOGO_ERR_PARAMETER;
    std::lock_guard lock(g_mutex);
    std::memcpy(value, &g_frames, sizeof g_frames);
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

MERET MPGE_endCoder(void)
{
    return 0;
}

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
