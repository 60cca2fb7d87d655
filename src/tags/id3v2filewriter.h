// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

class QFileDevice;
class QIODevice;
class QSaveFile;

namespace trackmill {

// Puts an ID3 version 2 tag in front of the data of an MP3 file.
//
// The new file is written beside the MP3 file under a unique temporary name
// (so the final rename never crosses file systems) and renamed over the MP3
// file only after the copy completed. On any failure the MP3 file is left
// exactly as it was and the temporary file is removed.
//
// A version 2 tag already at the start of the file (tagging twice) is
// replaced, not kept behind the new one: the copy starts after it. The rest
// of the file, the version 1.1 tag at its end included, is copied unchanged.
class Id3v2FileWriter
{
public:
    // Returns false with errorText set when anything failed.
    bool write(const QString& mp3FileName, const QByteArray& tag, QString* errorText = nullptr);

    // Length in bytes of the version 2 tags at the start of the device (0 when
    // there is none): one or several tags one after another, each with its
    // header, body and, for version 2.4, its footer. A header whose tag would
    // reach beyond the end of the data is not taken as a tag. The device's
    // position is left at 0.
    static qint64 leadingId3v2Length(QIODevice& device);

    // Appends the MP3 data from offset `from` to the end of `target`.
    static bool CopyToFile(QFileDevice& source, qint64 from, QFileDevice& target, QString* errorText);
    // Replaces the MP3 file by the finished temporary file.
    static bool DeleteAndRename(QSaveFile& target, QString* errorText);
};

}
