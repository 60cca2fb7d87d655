// SPDX-License-Identifier: GPL-2.0-or-later
#include "gogolibrary.h"

#include "platform/apppaths.h"
#include "platform/inifile.h"

#include <QFile>
#include <dlfcn.h>
#include <map>
#include <mutex>
#include <vector>

namespace trackmill {

GogoLibrarySource GogoLibrarySource::forProgram(const AppPaths& paths)
{
    GogoLibrarySource source;
    source.keyStoreFile = paths.keyStoreFile();
    return source;
}

namespace {

std::mutex g_registryMutex;
// Loaded copies by source, so users of one source share one load.
std::map<std::pair<QString, QString>, std::weak_ptr<GogoLibrary>> g_registry;

// dlopen searches the run path of the object that calls it; behind an
// interposed dlopen (sanitizers, preloaded tools) that is not the program.
// So when a bare name is not found, walk the program's own search list.
void* openByName(const QByteArray& name)
{
    if (void* handle = dlopen(name.constData(), RTLD_NOW | RTLD_LOCAL))
        return handle;
    if (name.contains('/'))
        return nullptr;
    void* program = dlopen(nullptr, RTLD_NOW);
    if (!program)
        return nullptr;
    void* found = nullptr;
    Dl_serinfo size{};
    if (dlinfo(program, RTLD_DI_SERINFOSIZE, &size) == 0 && size.dls_size > 0) {
        std::vector<char> storage(size.dls_size);
        auto* info = reinterpret_cast<Dl_serinfo*>(storage.data());
        info->dls_size = size.dls_size;
        info->dls_cnt = size.dls_cnt;
        if (dlinfo(program, RTLD_DI_SERINFO, info) == 0) {
            for (unsigned i = 0; i < info->dls_cnt && !found; ++i) {
                const QByteArray candidate = QByteArray(info->dls_serpath[i].dls_name) + '/' + name;
                if (QFile::exists(QFile::decodeName(candidate)))
                    found = dlopen(candidate.constData(), RTLD_NOW | RTLD_LOCAL);
            }
        }
    }
    dlclose(program);
    return found;
}

template<typename T>
bool resolveOne(void* handle, const char* name, T& out)
{
    out = reinterpret_cast<T>(dlsym(handle, name));
    return out != nullptr;
}

}

std::shared_ptr<GogoLibrary> GogoLibrary::acquire(const GogoLibrarySource& source)
{
    std::lock_guard lock(g_registryMutex);
    const auto key = std::make_pair(source.libraryName, source.keyStoreFile);
    if (auto existing = g_registry[key].lock())
        return existing;

    std::shared_ptr<GogoLibrary> lib(new GogoLibrary);
    if (!source.libraryName.isEmpty())
        lib->m_handle = openByName(QFile::encodeName(source.libraryName));
    if (!lib->m_handle && !source.keyStoreFile.isEmpty()) {
        const QByteArray stored = IniFile(source.keyStoreFile)
                                      .readString(kGogoKeyStoreSection, kGogoKeyStoreValue)
                                      .trimmed();
        if (!stored.isEmpty()) {
            QString path = QString::fromUtf8(stored);
            // Exactly that file: a bare name would send dlopen searching.
            if (!path.contains(QLatin1Char('/')))
                path.prepend(QStringLiteral("./"));
            lib->m_handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
            if (lib->m_handle)
                lib->m_path = QString::fromUtf8(stored);
        }
    }
    if (!lib->m_handle || !lib->resolve())
        return nullptr;  // the destructor unloads a half-resolved library
    lib->resolveHandles();
    g_registry[key] = lib;
    return lib;
}

bool GogoLibrary::resolve()
{
    return resolveOne(m_handle, "MPGE_initializeWork", initializeWork)
           && resolveOne(m_handle, "MPGE_setConfigure", setConfigure)
           && resolveOne(m_handle, "MPGE_getConfigure", getConfigure)
           && resolveOne(m_handle, "MPGE_detectConfigure", detectConfigure)
           && resolveOne(m_handle, "MPGE_processFrame", processFrame)
           && resolveOne(m_handle, "MPGE_closeCoder", closeCoder)
           && resolveOne(m_handle, "MPGE_endCoder", endCoder)
           && resolveOne(m_handle, "MPGE_getUnitStates", getUnitStates)
           && resolveOne(m_handle, "MPGE_getVersion", getVersion);
}

void GogoLibrary::resolveHandles()
{
    const bool all = resolveOne(m_handle, "MPGE_createHandle", createHandle)
                     && resolveOne(m_handle, "MPGE_destroyHandle", destroyHandle)
                     && resolveOne(m_handle, "MPGE_initializeWorkH", initializeWorkH)
                     && resolveOne(m_handle, "MPGE_setConfigureH", setConfigureH)
                     && resolveOne(m_handle, "MPGE_getConfigureH", getConfigureH)
                     && resolveOne(m_handle, "MPGE_detectConfigureH", detectConfigureH)
                     && resolveOne(m_handle, "MPGE_processFrameH", processFrameH)
                     && resolveOne(m_handle, "MPGE_closeCoderH", closeCoderH)
                     && resolveOne(m_handle, "MPGE_endCoderH", endCoderH);
    // Part of a set is no set: the library then runs one job at a time.
    if (!all)
        createHandle = nullptr;
}

GogoLibrary::~GogoLibrary()
{
    if (m_handle)
        dlclose(m_handle);
}

}
