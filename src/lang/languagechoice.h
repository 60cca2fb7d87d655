// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "languagelist.h"

#include <QString>

namespace trackmill {

class LanguageFile;
struct LanguageTexts;

// The language steps of start-up, without windows: which language the
// settings file names, and the no-disc text read before the first table of
// contents. Each opens its file for the one call.

// TForm1.GetLanguageLNG: LANGUAGE of section MAIN of the settings file
// followed by ".LNG"; an empty or missing value gives ".LNG".
QString storedLanguageFileName(const QString& settingsPath);

// TForm7.Language: the stored LANGUAGE value as a list entry and its name,
// English (entry 0) when it is empty or not one of the 30 names.
ChosenLanguage storedLanguage(const QString& settingsPath);

// Start-up: the stored language is applied when its file is there;
// otherwise the windows keep their built-in English texts and English is
// the marked entry.
struct StartupLanguage
{
    ChosenLanguage marked;
    bool applyFile = false;  // apply marked.name + ".LNG"

    friend bool operator==(const StartupLanguage&, const StartupLanguage&) = default;
};

StartupLanguage startupLanguage(const QString& settingsPath, const QString& languagesDir);

// TForm1.GetInformationLNG: puts MAIN/MESSAGE of the language file into the
// program's no-disc text (empty when the file or key is missing).
void readNoDiscText(const QString& languagesDir, const QString& fileName, LanguageTexts& texts);

}
