// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

namespace trackmill {

// The steps of a refresh, a language change and closing that belong to the
// windows and subsystems made after the main window. The program's
// composition root implements every one of them and gives them to the
// window when it is made, so no step can be left out.
class MainWindowSteps
{
public:
    virtual ~MainWindowSteps() = default;

    // Whether the settings window's UseCDPlayerINI box is ticked.
    virtual bool useCdPlayerIniTicked() const = 0;
    // Looks the disc up in the CD Player database by drive path and puts
    // the names into the disc's names and the grid (refresh step 2).
    virtual void lookUpCdPlayerDatabase(const QString& drivePath) = 0;
    // Resets the tag editor's fields from the new disc (refresh step 2).
    virtual void resetTagEditor() = 0;
    // Applies the language file of the selected Cmb_Language entry (refresh step 5).
    virtual void reloadLanguage() = 0;
    // Reads all the disc's names from CDPLAYER.INI (refresh step 6).
    virtual void readDiscNames(const QString& drivePath) = 0;
    // Applies a language file, given its file name ("German.LNG").
    virtual void applyLanguageFile(const QString& fileName) = 0;
    // Saves the settings (after a language was picked from the menu).
    virtual void saveSettings() = 0;
    // Rebuilds the settings window's counting labels.
    virtual void rebuildCountingLabels() = 0;
    // The work of closing the main window (settings and disc names saved).
    virtual void formClose() = 0;
    // A rip or encoding run is going on: a media event must wait for its end.
    virtual bool runInProgress() const = 0;
};

}
