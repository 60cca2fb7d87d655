// SPDX-License-Identifier: GPL-2.0-or-later
#include "languagelist.h"

namespace trackmill {

namespace {

constexpr LanguageEntry kLanguages[languageCount] = {
    {"English", "English.LNG"},
    {"Polish", "Polish.LNG"},
    {"German", "German.LNG"},
    {"French", "French.LNG"},
    {"Japanese", "Japanese.LNG"},
    {"PortugueseBr", "PortugueseBr.LNG"},
    {"Spanish", "Spanish.LNG"},
    {"Czech", "Czech.LNG"},
    {"Slovak", "Slovak.LNG"},
    {"Dutch", "Dutch.LNG"},
    {"Italian", "Italian.LNG"},
    {"Swedish", "Swedish.LNG"},
    {"Hungarian", "Hungarian.LNG"},
    {"Russian", "Russian.LNG"},
    {"Norwegian", "Norwegian.LNG"},
    {"Croatian", "Croatian.LNG"},
    {"Hebrew", "Hebrew.LNG"},
    {"Estonian", "Estonian.LNG"},
    {"TChinese", "TChinese.LNG"},
    {"SChinese", "SChinese.LNG"},
    {"Danish", "Danish.LNG"},
    {"Turkish", "Turkish.LNG"},
    {"Greek", "Greek.LNG"},
    {"Romanian", "Romanian.LNG"},
    {"Latvian", "Latvian.LNG"},
    {"Albanian", "Albanian.LNG"},
    {"Finnish", "Finnish.LNG"},
    {"Chilean", "Chilean.LNG"},
    {"Catalan", "Catalan.LNG"},
    {"Serbian", "Serbian.LNG"},
};

}

std::span<const LanguageEntry> languageList()
{
    return kLanguages;
}

int languageIndex(const QString& name)
{
    for (int i = 0; i < languageCount; ++i) {
        if (name == QLatin1String(kLanguages[i].name))
            return i;
    }
    return -1;
}

ChosenLanguage chooseLanguage(const QString& storedName)
{
    const int index = languageIndex(storedName);
    if (index < 0)
        return {};
    return {index, QString::fromLatin1(kLanguages[index].name)};
}

}
