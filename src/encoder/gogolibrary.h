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

// The loaded encoder library with its nine entry points. Shared: every
// acquire() of the same source returns the same loaded copy; the last
// owner to let go unloads it.
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

private:
    GogoLibrary() = default;
    bool resolve();

    void* m_handle = nullptr;
    QString m_path;
};

}
