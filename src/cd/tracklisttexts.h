// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <array>

namespace trackmill {

// The language texts the Track list shows. These are the built-in English
// texts; applying a language file replaces them (keys MAIN/MESSAGE,
// OTHERS/TRACKS, OTHERS/PLAYTIME and the column header keys, each header
// written as one blank followed by the key's text) and hands the result to
// TrackList::setTexts.
struct TrackListTexts
{
    QString message = QStringLiteral("Insert CD Audio to CD-ROM drive");
    QString tracks = QStringLiteral("Tracks");
    QString playtime = QStringLiteral("Playtime");
    std::array<QString, 6> headers = {
        QString(),
        QStringLiteral(" Name"),
        QStringLiteral(" Track"),
        QStringLiteral("  Time"),
        QStringLiteral("   Size"),
        QStringLiteral(" Information"),
    };
};

}
