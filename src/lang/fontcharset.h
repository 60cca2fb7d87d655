// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArrayView>
#include <span>

namespace trackmill {

// The character set a language file declares in FONTS/CHARACTER, by the
// Windows GDI names and numbers, and the code page its texts are stored in.
struct FontCharset
{
    const char* name;   // e.g. "EASTEUROPE_CHARSET"
    int value;          // e.g. 238
    const char* codec;  // e.g. "windows-1250"; nullptr when no single code page belongs to it
};

inline constexpr int oemCharset = 255;

std::span<const FontCharset> fontCharsets();

// The number of a character set name, compared exactly (capitals and
// underscores); any other name, and the empty one, gives 255.
int charsetFromName(QByteArrayView name);

// The code page a character set number stands for, or nullptr for the
// sets with none (DEFAULT, OEM and unknown numbers).
const char* codecForCharset(int charset);

}
