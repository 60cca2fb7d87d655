// SPDX-License-Identifier: GPL-2.0-or-later
#include "gogoversionprobe.h"

#include <QFile>
#include <dlfcn.h>

namespace trackmill {

std::optional<EncoderLibraryVersion> GogoVersionProbe::encoderVersion()
{
    const std::shared_ptr<GogoLibrary> library = GogoLibrary::acquire(m_source);
    if (!library || !library->getVersion)
        return std::nullopt;
    int32_t code = 0;
    // One byte more than the library may fill, so the text always ends.
    char text[GOGO_VERSION_TEXT_SIZE + 1] = {};
    if (library->getVersion(&code, text) != GOGO_OK)
        return std::nullopt;
    text[GOGO_VERSION_TEXT_SIZE] = '\0';

    EncoderLibraryVersion version;
    version.code = code;
    version.text = QString::fromUtf8(text);
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(library->getVersion), &info) != 0 && info.dli_fname)
        version.fileName = QFile::decodeName(info.dli_fname);
    if (version.fileName.isEmpty())
        version.fileName = library->path().isEmpty() ? m_source.libraryName : library->path();
    return version;
}

}
