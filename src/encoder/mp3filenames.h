// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

namespace trackmill {

// Source and destination of one encode job (the extension is the
// encoder's, ".mp3" unless said otherwise).
struct Mp3FileNames
{
    QString source;       // the WAV file
    QString destination;  // the MP3 file

    // A ripped track: directory text + base name + ".wav", and the same
    // with ".mp3". The directory text may end in a separator or not.
    static Mp3FileNames SetFileNameMp3(const QString& directory, const QString& baseName,
                                       const QString& extension = QStringLiteral(".mp3"));

    // A WAV file from disk: the file as it is, and the directory text + its
    // name without folder and without its extension + ".mp3". Any extension
    // counts ("take1.wave", "take1.w"), a name without one keeps all of it
    // ("take1" gives "take1.mp3"), and a leading dot alone (".wav") is no
    // extension; only the last one goes ("a.b.wav" gives "a.b.mp3").
    static Mp3FileNames SetFileNameMp3fromWAV(const QString& directory, const QString& wavFile,
                                              const QString& extension = QStringLiteral(".mp3"));

    // directory + "/" + name, with exactly one separator between them; an
    // empty directory gives the name alone.
    static QString join(const QString& directory, const QString& name);
    // The file's name without its folder and without its last extension.
    static QString stem(const QString& path);

    bool operator==(const Mp3FileNames&) const = default;
};

}
