// SPDX-License-Identifier: GPL-2.0-or-later
#include "settingsnaming.h"

#include "settings/settings.h"

namespace trackmill {

NamingSettings namingFromSettings(const Settings& s, const QString& splitCharacter,
                                  const std::array<QString, 9>& replacements)
{
    NamingSettings n;
    n.fileNameScheme = s.fileName;
    n.split = s.split;
    n.splitCharacter = splitCharacter;
    n.replaceSpaces = s.replaceSpaces;
    n.replacements = replacements;
    n.artistAsDirectory = s.artistAsDirectory;
    n.albumAsDirectory = s.albumAsDirectory;
    n.artistAndAlbumAsDirectory = s.artistAndAlbumAsDirectory;
    n.artistAlbumYearAsDirectory = s.artistAlbumYearAsDirectory;
    return n;
}

SettingsNaming::SettingsNaming(const Settings& settings, Separator separator, Replacements replacements)
    : m_settings(settings)
    , m_separator(std::move(separator))
    , m_replacements(std::move(replacements))
{
}

NamingSettings SettingsNaming::namingSettings() const
{
    const NamingSettings start;
    return namingFromSettings(m_settings, m_separator ? m_separator() : start.splitCharacter,
                              m_replacements ? m_replacements() : start.replacements);
}

}
