// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

namespace trackmill {

// The disc's names as Apply and Cancel copy them into the tag editor.
struct NamesForTagEditor
{
    QString artist;
    QString album;
    bool withYear = false;  // Cancel leaves the tag editor's years alone
    QString year;
    int genre = -1;  // position in the sorted genre list; -1: none selected
};

// The steps of Apply, Cancel, choosing a drive and opening the settings
// window that belong to other windows and subsystems. The program's
// composition root implements every one of them; the window is given it
// when it is made, so no step can be left out.
class SettingsWindowSteps
{
public:
    virtual ~SettingsWindowSteps() = default;

    // Updates the encoder library's version lines (before every opening).
    virtual void refreshEncoderVersionLines() = 0;
    // The main window's part of choosing drive entry index: close the open
    // drive (false, and nothing changes, when that is refused), open the
    // chosen one, read its TOC, write the summary, select all tracks or
    // none, show the drive in status bar panel 3.
    virtual bool switchToDrive(int index) = 0;
    // The main window reads the disc's TOC again (no audio disc).
    virtual void rereadDiscToc() = 0;
    // The main window's language marks: the menu item and the flag.
    virtual void markLanguage(const QString& name) = 0;
    // Reads the disc's names from the CD Player database into the artist,
    // album and grid, by drive path.
    virtual void lookUpCdPlayerDatabase(const QString& drivePath) = 0;
    // Reads all the disc's names from the CD Player database, by drive path.
    virtual void readDiscNames(const QString& drivePath) = 0;
    // Stores the disc's names in the CD Player database.
    virtual void storeDiscNames(const QString& drivePath) = 0;
    // Selects the first entry of the tag editor's lists Genre and Genre2.
    virtual void resetTagEditorGenres() = 0;
    // Resets the tag editor's fields from the disc.
    virtual void resetTagEditor() = 0;
    virtual void copyToTagEditor(const NamesForTagEditor& names) = 0;
    // Applies a language file, given its file name ("GERMAN.LNG").
    virtual void applyLanguageFile(const QString& fileName) = 0;
    // The user picked entry index of Cmb_Language.
    virtual void languagePicked(int index) = 0;
};

}
