// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "encoder/gogolibrary.h"
#include "encoderversionsource.h"

namespace trackmill {

// Asks the encoder library itself for its version: loads it the way the
// encoder component does (by name, then the stored INSTPATH), calls
// MPGE_getVersion and lets it go again. The file reported is the one the
// dynamic loader actually mapped.
class GogoVersionProbe : public EncoderVersionSource
{
public:
    explicit GogoVersionProbe(GogoLibrarySource source) : m_source(std::move(source)) {}
    // libgogo.so through the program's run path, then INSTPATH of the key store.
    static GogoVersionProbe forProgram(const AppPaths& paths)
    {
        return GogoVersionProbe(GogoLibrarySource::forProgram(paths));
    }

    std::optional<EncoderLibraryVersion> encoderVersion() override;

private:
    GogoLibrarySource m_source;
};

}
