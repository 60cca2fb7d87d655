// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "securetrack.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace trackmill {

// The rip log written beside a run's files, "<Artist> - <Album>.log": a
// header (program, date, drive, read mode, offset, the settings that shape
// the audio), the table of contents, one block per track and a summary.
// English whatever the language of the windows, so that one can read it
// along with other rip logs; UTF-8.
struct RipLog
{
    struct TocEntry
    {
        int track = 0;
        qint64 start = 0;  // LBA
        qint64 length = 0; // sectors
        bool data = false;
    };

    QString program;   // "Trackmill 2.0.0"
    QString date;      // "2024-05-01 12:34:56"
    QString drive;     // vendor and model, or the image's path
    bool secure = true;
    int retries = 20;
    int offset = 0;    // samples
    QString artist, album;
    QStringList settings;     // "Name: value" lines that shape the audio
    QString accurateRipDisc;  // dBAR-... name, empty without one
    QString accurateRipStatus;
    std::vector<TocEntry> toc;
    std::vector<SecureTrack> tracks;

    QString text() const;
    // The summary line: "All tracks accurately ripped" or which were not.
    QString summary() const;
    // Writes text() to path; *error says why not.
    bool write(const QString& path, QString* error) const;

    // The long result of a track in the log's words.
    static QString result(const SecureTrack& track);
};

}
