// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "namingsettings.h"
#include "runservices.h"

#include <QString>

#include <array>
#include <functional>

namespace trackmill {

class Settings;

// The output naming a run reads: the stored naming settings with the
// separator and the nine replacement characters of the moment. The window
// program hands in its settings window's edits; the command-line ripper
// keeps the start values ("/" and "_"), as a freshly made window has them.
NamingSettings namingFromSettings(const Settings& settings, const QString& splitCharacter,
                                  const std::array<QString, 9>& replacements);

class SettingsNaming final : public NamingSource
{
public:
    using Separator = std::function<QString()>;
    using Replacements = std::function<std::array<QString, 9>()>;

    // Without edits: the start values of NamingSettings.
    explicit SettingsNaming(const Settings& settings, Separator separator = {}, Replacements replacements = {});

    NamingSettings namingSettings() const override;

private:
    const Settings& m_settings;
    Separator m_separator;
    Replacements m_replacements;
};

}
