// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

#include <array>

namespace trackmill {

// The settings the output naming reads, as plain values. The settings
// window fills one from its controls at the moment of use, so a change in
// the window counts from the next call on. Defaults are those of a missing
// settings file and of freshly created controls.
struct NamingSettings
{
    // FILENAME: index of the list Cmb_FileName, 0 to 5; -1 when no entry
    // is selected (any value outside 0 to 5 gives an empty base name).
    int fileNameScheme = 0;
    // SPLIT and the text of the edit Character: take artist and title from
    // the track name, split at the first occurrence of this text.
    bool split = true;
    QString splitCharacter = QStringLiteral("/");
    // REPLACE_SPACES_BY_UNDERSCORES.
    bool replaceSpaces = true;
    // Texts of the edits Edt1 to Edt9: the first character of each replaces
    // one of < > : " \ / | * ? in that order.
    std::array<QString, 9> replacements{
        QStringLiteral("_"), QStringLiteral("_"), QStringLiteral("_"),
        QStringLiteral("_"), QStringLiteral("_"), QStringLiteral("_"),
        QStringLiteral("_"), QStringLiteral("_"), QStringLiteral("_")};
    // ARTIST_AS_DIRECTORY, ALBUM_AS_DIRECTORY, ARTIST_AND_ALBUM_AS_DIRECTORY,
    // ARTIST_ALBUM_YEAR_AS_DIRECTORY: sub-directories made before a batch.
    bool artistAsDirectory = true;
    bool albumAsDirectory = true;
    bool artistAndAlbumAsDirectory = true;
    bool artistAlbumYearAsDirectory = true;
};

}
