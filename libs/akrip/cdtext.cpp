// SPDX-License-Identifier: LGPL-2.1-or-later
#include "cdtext.h"

#include "cddbtext.h"

#include <cdio/cdio.h>
#include <cdio/cdtext.h>

namespace akrip {

bool CdText::empty() const
{
    for (const CdTextItems& i : items)
        if (!i.empty())
            return false;
    return true;
}

std::string CdText::lines(std::size_t maxBytes) const
{
    std::string out;
    const auto add = [&](const char* field, std::size_t n, const std::string& value) {
        if (value.empty())
            return true;
        std::string line = field + std::to_string(n) + '=' + value + '\n';
        if (out.size() + line.size() > maxBytes)
            return false;
        out += line;
        return true;
    };
    for (std::size_t n = 0; n < items.size(); ++n) {
        const CdTextItems& i = items[n];
        if (!add("TITLE", n, i.title) || !add("PERFORMER", n, i.performer) || !add("SONGWRITER", n, i.songwriter))
            break;
    }
    return out;
}

std::string cdTextValue(std::string_view bytes, bool utf8)
{
    std::string text = cddb::toCleanUtf8(bytes, utf8);
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    text.erase(0, first);
    text.erase(text.find_last_not_of(' ') + 1);
    return std::string(cddb::truncateUtf8(text, kMaxCdTextValue));
}

CdText cdTextFromCdio(CdIo_t* cdio, int firstTrack, int lastTrack)
{
    CdText text;
    // Owned by the CdIo_t; read from the disc on the first call.
    cdtext_t* cdtext = cdio ? cdio_get_cdtext(cdio) : nullptr;
    if (!cdtext)
        return text;
    // libcdio hands out UTF-8, converted from the block's own character set.
    const auto get = [&](cdtext_field_t field, int track) {
        const char* value = cdtext_get_const(cdtext, field, static_cast<track_t>(track));
        return value ? cdTextValue(value, cddb::isValidUtf8(value)) : std::string();
    };
    const auto fill = [&](int n, int track) {
        text.items[static_cast<std::size_t>(n)] = {get(CDTEXT_FIELD_TITLE, track), get(CDTEXT_FIELD_PERFORMER, track),
                                                   get(CDTEXT_FIELD_SONGWRITER, track)};
    };
    fill(0, 0);
    for (int t = firstTrack < 1 ? 1 : firstTrack; t <= lastTrack && t <= 99; ++t)
        fill(t, t);
    return text;
}

}
