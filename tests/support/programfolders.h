// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "discimage.h"
#include "platform/apppaths.h"

#include <QTemporaryDir>
#include <vector>

namespace trackmill::test {

// The folders a whole-program test runs in: temporary program (with Discs/),
// configuration and output folders, and the ripping library pointed at that
// Discs/ with physical drives off, so no test touches a real drive.
struct ProgramFolders
{
    ProgramFolders();
    ~ProgramFolders();

    // Writes Discs/<name>.cue and .bin: audio tracks of these seconds,
    // a final data track when asked; answers what was written.
    discimage::DiscSpec writeDisc(const QString& name, const std::vector<int>& seconds, bool dataTrack = false) const;

    // Copies the language files the build laid out in `shippedDir` into
    // the program's Languages folder.
    void copyLanguages(const QString& shippedDir) const;

    QTemporaryDir root;
    AppPaths paths;
    QString output;  // an empty folder for the runs' files
};

}
