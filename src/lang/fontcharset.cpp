// SPDX-License-Identifier: GPL-2.0-or-later
#include "fontcharset.h"

namespace trackmill {

namespace {

// GB2312 files are decoded as GBK, its superset, and Shift_JIS by ICU's
// Windows flavour, so characters a Windows editor added still come through.
// A symbol font's bytes are glyph numbers; windows-1252 shows them as
// Windows did with a text font. Johab has no converter here; such a file
// falls back like an OEM one.
constexpr FontCharset kCharsets[] = {
    {"ANSI_CHARSET", 0, "windows-1252"},
    {"DEFAULT_CHARSET", 1, nullptr},
    {"SYMBOL_CHARSET", 2, "windows-1252"},
    {"MAC_CHARSET", 77, "macintosh"},
    {"SHIFTJIS_CHARSET", 128, "Shift_JIS"},
    {"HANGEUL_CHARSET", 129, "windows-949"},
    {"JOHAB_CHARSET", 130, nullptr},
    {"GB2312_CHARSET", 134, "GBK"},
    {"CHINESEBIG5_CHARSET", 136, "Big5"},
    {"GREEK_CHARSET", 161, "windows-1253"},
    {"TURKISH_CHARSET", 162, "windows-1254"},
    {"VIETNAMESE_CHARSET", 163, "windows-1258"},
    {"HEBREW_CHARSET", 177, "windows-1255"},
    {"ARABIC_CHARSET", 178, "windows-1256"},
    {"BALTIC_CHARSET", 186, "windows-1257"},
    {"RUSSIAN_CHARSET", 204, "windows-1251"},
    {"THAI_CHARSET", 222, "windows-874"},
    {"EASTEUROPE_CHARSET", 238, "windows-1250"},
    {"OEM_CHARSET", 255, nullptr},
};

}

std::span<const FontCharset> fontCharsets()
{
    return kCharsets;
}

int charsetFromName(QByteArrayView name)
{
    for (const FontCharset& c : kCharsets) {
        if (name == QByteArrayView(c.name))
            return c.value;
    }
    return oemCharset;
}

const char* codecForCharset(int charset)
{
    for (const FontCharset& c : kCharsets) {
        if (c.value == charset)
            return c.codec;
    }
    return nullptr;
}

}
