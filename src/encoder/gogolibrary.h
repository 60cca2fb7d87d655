// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "gogo.h"

#include <QString>
#include <memory>

namespace trackmill {

struct AppPaths;

// Where the encoder library is looked for: first by name through the
// dynamic loader (the program's folder is on its run path), then at the
// path stored as INSTPATH in the key store file.
struct GogoLibrarySource
{
    QString libraryName = QStringLiteral("libgogo.so");
    QString keyStoreFile;  // empty: no fallback

    static GogoLibrarySource forProgram(const AppPaths& paths);
};

// Section and key of the fallback path in the key store (an INI file that
// stands in for the registry value of the same name).
inline constexpr char kGogoKeyStoreSection[] = "HKEY_CURRENT_USER\\Software\\MarineCat\\GOGO_DLL";
inline constexpr char kGogoKeyStoreValue[] = "INSTPATH";

// The loaded encoder library with its nine entry points, and the handle
// entry points when it has them (a library without them runs one job at a
// time, on its default job state). Shared: every acquire() of the same
// source returns the same loaded copy; the last owner to let go unloads it.
class GogoLibrary
{
public:
    // Null when the library cannot be loaded or lacks an entry point.
    static std::shared_ptr<GogoLibrary> acquire(const GogoLibrarySource& source);
    ~GogoLibrary();
    GogoLibrary(const GogoLibrary&) = delete;
    GogoLibrary& operator=(const GogoLibrary&) = delete;

    // The path read from the key store; empty when found by name.
    QString path() const { return m_path; }

    MPGE_initializeWork_t initializeWork = nullptr;
    MPGE_setConfigure_t setConfigure = nullptr;
    MPGE_getConfigure_t getConfigure = nullptr;
    MPGE_detectConfigure_t detectConfigure = nullptr;
    MPGE_processFrame_t processFrame = nullptr;
    MPGE_closeCoder_t closeCoder = nullptr;
    MPGE_endCoder_t endCoder = nullptr;
    MPGE_getUnitStates_t getUnitStates = nullptr;
    MPGE_getVersion_t getVersion = nullptr;

    // Job states of their own: all nine or none (hasHandles()).
    bool hasHandles() const { return createHandle != nullptr; }
    MPGE_createHandle_t createHandle = nullptr;
    MPGE_destroyHandle_t destroyHandle = nullptr;
    MPGE_initializeWorkH_t initializeWorkH = nullptr;
    MPGE_setConfigureH_t setConfigureH = nullptr;
    MPGE_getConfigureH_t getConfigureH = nullptr;
    MPGE_detectConfigureH_t detectConfigureH = nullptr;
    MPGE_processFrameH_t processFrameH = nullptr;
    MPGE_closeCoderH_t closeCoderH = nullptr;
    MPGE_endCoderH_t endCoderH = nullptr;

private:
    GogoLibrary() = default;
    bool resolve();
    void resolveHandles();

    void* m_handle = nullptr;
    QString m_path;
};

}
