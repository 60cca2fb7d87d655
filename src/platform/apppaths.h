// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

namespace trackmill {

// Where the program's files live. The program directory (the executable's
// folder, portable layout) holds Trackmill.INI, Languages/ and Discs/; the
// configuration directory ($XDG_CONFIG_HOME/Trackmill) holds CDPLAYER.INI
// and the encoder library's path. Tests build one over temporary folders.
struct AppPaths
{
    QString programDir;  // no trailing separator
    QString configDir;   // no trailing separator

    static AppPaths forRunningProgram();

    QString settingsFile() const { return programDir + QStringLiteral("/Trackmill.INI"); }
    QString languagesDir() const { return programDir + QStringLiteral("/Languages"); }
    QString discsDir() const { return programDir + QStringLiteral("/Discs"); }
    QString cdPlayerIni() const { return configDir + QStringLiteral("/CDPLAYER.INI"); }
    QString keyStoreFile() const { return configDir + QStringLiteral("/registry.ini"); }
};

}
