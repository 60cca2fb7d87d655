// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <vector>

namespace trackmill {

// The cue sheet written beside a whole disc's files, "<Artist> - <Album>.cue":
// the disc's and each track's names, one FILE a track (INDEX 01 at its
// start), a first track that starts late gets its gap as PREGAP. Values are
// quoted, with a quote or backslash inside written as \" and \\; UTF-8.
struct CueSheetWriter
{
    struct Track
    {
        int number = 1;    // the disc's track number
        QString file;      // name of the track's file, in the sheet's folder
        QString title;
        QString performer;
        qint64 pregap = 0; // sectors before INDEX 01 that no file holds
    };

    QString performer, title, date, genre, discId;
    std::vector<Track> tracks;

    QString text() const;
    bool write(const QString& path, QString* error) const;

    static QString quoted(const QString& value);
};

}
