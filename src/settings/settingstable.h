// SPDX-License-Identifier: GPL-2.0-or-later
// Every stored setting declared once: its section and key, how its value is
// stored, its default, where it comes in the load and the save, the Settings
// member that holds it and the control that shows it. Settings::load and
// Settings::save walk this table, and so does the settings window's binding.
#pragma once

#include "settings.h"

#include <QByteArrayView>
#include <span>
#include <variant>

namespace trackmill {

class IniDocument;

struct SettingEntry
{
    // How a value is stored and what an odd stored value turns into.
    enum class Type {
        Flag,         // "1"/"0"; a value that is no number reads as the default
        TrackBar,     // position, clamped to 0..Settings::kTrackBarMax
        ListIndex,    // entry index; outside 0..count-1 selects no entry (-1)
        Choice,       // entry index; outside 0..count-1 is the default entry
        Level,        // entry index shown as its number; outside keeps the choice,
                      // missing is the default when the row has one
        Name,         // entry by its English name (names()); no match keeps the choice
        Bitrate,      // "128kbps" of the list of the MPEG version loaded before it
        MpegVersion,  // 1 or 2; anything else leaves the version and skips the bitrates
        Text,         // UTF-8 text as typed
        Directory,    // output directory, checked when loaded
        Language,     // saved, never loaded here: the language files read it
        SampleOffset, // samples, clamped to -kMaxReadOffset..kMaxReadOffset; no number reads as the default
    };
    // The window whose control holds the value.
    enum class Holder { SettingsWindow, TagEditor };

    using Member = std::variant<bool Settings::*, int Settings::*, QString Settings::*,
                                Settings::MpegVersion Settings::*>;

    const char* section;
    const char* key;  // as a save writes it; names match without regard to case
    Type type;
    // The stored form a missing key reads as; nullptr: a missing key keeps
    // the current value (the window's start entries on a fresh start).
    const char* defaultText;
    int loadOrder;  // position in the load; -1: not loaded
    int saveOrder;  // position in the save
    Member member;
    const char* control;  // objectName of the control that shows the value
    Holder holder = Holder::SettingsWindow;
    int count = 0;                              // entries, for ListIndex, Choice and Level
    const QStringList& (*names)() = nullptr;  // for Name

    template <typename T>
    T Settings::*as() const
    {
        const auto* m = std::get_if<T Settings::*>(&member);
        return m ? *m : nullptr;
    }
};

// All stored settings, in the designed load order of [MAIN] (LANGUAGE,
// which is never loaded, last). A later section's keys follow.
std::span<const SettingEntry> settingsTable();

// The entries that are loaded, in load order; all entries in save order.
std::vector<const SettingEntry*> settingsLoadOrder(std::span<const SettingEntry> table = settingsTable());
std::vector<const SettingEntry*> settingsSaveOrder(std::span<const SettingEntry> table = settingsTable());

// The new user's output directory: the XDG music directory
// ($XDG_CONFIG_HOME/user-dirs.dirs), else ~/Music, with a trailing "/".
QString defaultOutputDirectory();

}
