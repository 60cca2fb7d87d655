// SPDX-License-Identifier: GPL-2.0-or-later
// A CD-TEXT value of a sheet libcue parsed. libcue and libcdio both export
// a function named cdtext_get; the program links libcdio, so libcue's is
// taken from libcue itself.
#pragma once

#include <libcue.h>

#include <dlfcn.h>

namespace trackmill::test {

inline const char* cueText(enum Pti field, Cdtext* text)
{
    using Get = const char* (*)(enum Pti, Cdtext*);
    static const Get get = [] {
        void* library = dlopen("libcue.so.2", RTLD_NOW | RTLD_NOLOAD);
        if (!library)
            library = dlopen("libcue.so.2", RTLD_NOW);
        return library ? reinterpret_cast<Get>(dlsym(library, "cdtext_get")) : nullptr;
    }();
    return get && text ? get(field, text) : nullptr;
}

}
