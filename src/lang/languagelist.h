// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <span>

namespace trackmill {

// The languages in the order of the settings window's list Cmb_Language;
// the position is the language number used for menu items, pictures and
// flags. The file is the name followed by ".LNG".
struct LanguageEntry
{
    const char* name;
    const char* fileName;
};

inline constexpr int languageCount = 30;
inline constexpr int englishIndex = 0;

std::span<const LanguageEntry> languageList();

// Position of a language name, compared exactly (letter case included:
// "english" is not a language name); -1 when it is none of them.
int languageIndex(const QString& name);

// The language a stored LANGUAGE value stands for: the named one when the
// value is one of the names exactly, otherwise English (entry 0).
struct ChosenLanguage
{
    int index = englishIndex;
    QString name = QStringLiteral("English");

    friend bool operator==(const ChosenLanguage&, const ChosenLanguage&) = default;
};

ChosenLanguage chooseLanguage(const QString& storedName);

}
