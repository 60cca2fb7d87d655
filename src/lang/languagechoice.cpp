// SPDX-License-Identifier: GPL-2.0-or-later
#include "languagechoice.h"

#include "languagefile.h"
#include "languagetexts.h"
#include "platform/inifile.h"

namespace trackmill {

namespace {

QString storedLanguageName(const QString& settingsPath)
{
    // Language names are plain ASCII; a value in any other bytes is simply
    // none of them. UTF-8 keeps such a value usable as a file name.
    return QString::fromUtf8(IniFile(settingsPath).readString("MAIN", "LANGUAGE"));
}

}

QString storedLanguageFileName(const QString& settingsPath)
{
    return storedLanguageName(settingsPath) + QLatin1String(".LNG");
}

ChosenLanguage storedLanguage(const QString& settingsPath)
{
    return chooseLanguage(storedLanguageName(settingsPath));
}

StartupLanguage startupLanguage(const QString& settingsPath, const QString& languagesDir)
{
    const ChosenLanguage chosen = storedLanguage(settingsPath);
    if (LanguageFile::exists(languagesDir, chosen.name + QLatin1String(".LNG")))
        return {chosen, true};
    return {ChosenLanguage{}, false};
}

void readNoDiscText(const QString& languagesDir, const QString& fileName, LanguageTexts& texts)
{
    texts.noDisc = LanguageFile::open(languagesDir, fileName).text("MAIN", "MESSAGE");
}

}
