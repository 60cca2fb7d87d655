// SPDX-License-Identifier: GPL-2.0-or-later
#include "discnames.h"

namespace trackmill {

void DiscNames::setArtist(const QString& text)
{
    if (m_artist == text)
        return;
    m_artist = text;
    Q_EMIT artistChanged(text);
}

void DiscNames::setAlbum(const QString& text)
{
    if (m_album == text)
        return;
    m_album = text;
    Q_EMIT albumChanged(text);
}

}
