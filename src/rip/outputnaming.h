// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "namingsettings.h"

#include <QString>

#include <array>

namespace trackmill {

// Names of the output files and sub-directories: the base file name of a
// track by the chosen scheme, and the filter that replaces the characters a
// file name may not hold by the characters the user chose. Names come from
// the disc, the user or a freedb server, so nothing they contain may lead
// out of the output directory or make a name the file system refuses.
class OutputNaming
{
public:
    // A file system name is at most 255 bytes (NAME_MAX, UTF-8 as stored).
    static constexpr qsizetype kMaxComponentBytes = 255;
    // Room kept for ".wav" / ".mp3", which the rippers append to a base name.
    static constexpr qsizetype kExtensionBytes = 4;

    struct TrackNameParts
    {
        QString artist;
        QString title;
    };

    explicit OutputNaming(NamingSettings settings = {});

    const NamingSettings& settings() const { return m_settings; }
    void setSettings(const NamingSettings& settings) { m_settings = settings; }

    // The base name of a track before filtering: number, artist and title
    // joined by " - " as the scheme says; empty for an unknown scheme.
    // artist is the disc's artist, used when splitting is off.
    QString GetFileName(int track, const QString& trackName, const QString& artist) const;

    // The base name the rippers use: GetFileName, filtered, then made a
    // safe file name with room for the extension.
    QString BaseFileName(int track, const QString& trackName, const QString& artist) const;

    // Splits a track name at the first occurrence of separator: the artist
    // is what comes before it, the title what comes one character after
    // its start (a longer separator leaves its rest at the head of the
    // title). Nothing is trimmed. Without the separator (or with an empty
    // one) both parts are the whole name.
    static TrackNameParts SplitTrackName(const QString& name, const QString& separator);

    // Replaces space (when asked) and < > : " \ / | * ? by their chosen
    // characters, and control characters and broken UTF-16 by "_". The
    // replacement characters are read afresh from the settings each call.
    QString ChangeIllegalCharacter(const QString& text) const;

    // The nine replacement characters of < > : " \ / | * ?, each the first
    // character of its edit passed through CheckCharacter; "_" for an
    // empty edit.
    std::array<char32_t, 9> LoadUserCharacter() const;

    // A replacement character must not be forbidden itself: the nine
    // forbidden characters and control characters become "_", everything
    // else (a space too) passes.
    static char32_t CheckCharacter(char32_t c);

    // Makes name usable as one path component: "/", NUL and control
    // characters become "_", the name is cut at a character boundary to
    // 255 bytes less reservedBytes, and an empty name, "." or ".." becomes
    // "_".
    static QString SafeComponent(const QString& name, qsizetype reservedBytes = 0);

private:
    NamingSettings m_settings;
};

}
