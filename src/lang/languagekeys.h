// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <span>

namespace trackmill {

// How a text of the language file is shown: the value alone, or the value
// with a fixed part the program adds. A missing key still shows the fixed
// part (a lone ":" in front of an edit, for example).
enum class TextForm
{
    Text,               // the value as it stands
    Colon,              // value + ":"
    TrackNumber,        // value + " #:"
    TrackNumberOfTotal, // value + " #/*:"
    Ellipsis,           // value + "..."
    LeadingBlank,       // " " + value
};

QString composeText(const QString& value, TextForm form);

// One row of the table of texts the language file feeds, in the order the
// texts are applied. `target` names the control ("TForm2.LabelBitrate"), a
// window title ("TForm4"), a grid header or list entry ("TForm1.TracksGrid#3",
// "TForm2.Priority#0"), a control's tool tip ("TForm1.FLAC:toolTip"), or a
// program-wide text ("LanguageTexts.noDisc").
// Keys that feed two controls have a row for each.
struct LanguageTextRow
{
    const char* section;
    const char* key;
    const char* target;
    TextForm form;
};

struct LanguageKey
{
    const char* section;
    const char* key;
};

// The texts applied to the windows and the program-wide texts, in order.
std::span<const LanguageTextRow> languageTextRows();

// The keys only the About window reads (its title comes from MAIN/ABOUT,
// which the rows above already hold).
std::span<const LanguageKey> aboutWindowKeys();

// The character set key of section FONTS.
inline constexpr LanguageKey characterSetKey{"FONTS", "CHARACTER"};

// Every key a complete language file holds, each once: the rows' keys in
// order of first use, then the About window's keys, then the character set.
std::span<const LanguageKey> allLanguageKeys();

}
