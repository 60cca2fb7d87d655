// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "accurateriplookup.h"
#include "offsetreader.h"
#include "riplog.h"
#include "securetrack.h"
#include "verifyingsink.h"

#include "rip/trackripper.h"

#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace trackmill {

struct ReadingTexts;
struct TrackRipResult;

// What a disc run adds to the reading of each track: the read mode and the
// drive's read offset for the ripper, the checksums of what was written,
// the AccurateRip lookup and verdict, and at the end the rip log and, when
// the whole disc was ripped, the cue sheet. The run controller calls it at
// the start of the run, around each track's read and at the run's end.
class SecureRun
{
public:
    struct Disc
    {
        HCDROM cd = 0;
        bool image = false;  // images are read with offset 0
        QString drive;       // vendor and model, or the image's path
        QString artist, album, year, genre;
        // Name of the log and the cue sheet without extension; empty:
        // "<Artist> - <Album>" made safe here.
        QString fileBase;
    };
    struct Options
    {
        bool secure = true;
        int offset = 0;  // samples
        QString accurateRipServer;
        QStringList settingsLines; // "Name: value" for the log
    };

    SecureRun();
    ~SecureRun();

    // A new run: reads the table of contents, starts the lookup.
    void begin(const Disc& disc, const Options& options);
    bool active() const { return m_active; }

    // Before a track's read: the ripper's read mode and sector source, and
    // the sink that takes the checksums on the way to `inner`.
    void prepareTrack(int track, TrackRipper::Options& options);
    AudioSink& wrap(int track, AudioSink& inner);
    // After the read: its figures, checksums and (once the lookup has an
    // answer; pump lets events through while waiting) its verdict.
    const SecureTrack& trackRead(int track, const TrackRipResult& result, const QString& file,
                                 const std::function<void()>& pump);

    // A track read whole whose encoding was then stopped and its file
    // removed: the log says so and no cue sheet points at the lost file.
    void encodingStopped(int track);

    // The grid's short form and the tool tip's long form of a track's result.
    QString shortText(int track, const ReadingTexts& texts) const;
    QString longText(int track, const ReadingTexts& texts) const;
    // "n of m tracks accurately ripped" for the finish box, empty before a track.
    QString accurateCount(const ReadingTexts& texts) const;
    int accurateTracks() const;
    const std::map<int, SecureTrack>& tracks() const { return m_tracks; }

    // The run is over: the log beside the files and, when every audio track
    // of the disc was ripped whole, the cue sheet. trackTitle gives a
    // track's title. Returns the problems (empty when none), for the hidden log.
    QStringList end(const QString& outputDirectory, const std::function<QString(int)>& trackTitle);

    // "<Artist> - <Album>" made safe as a file name.
    static QString baseName(const QString& artist, const QString& album);

private:
    bool m_active = false;
    Disc m_disc;
    Options m_options;
    TOC m_toc{};
    qint64 m_audioFirst = 0, m_audioEnd = 0;
    int m_firstAudio = 0, m_lastAudio = 0;
    AccurateRipLookup m_lookup;
    std::unique_ptr<OffsetReader> m_reader;
    std::unique_ptr<VerifyingSink> m_sink;
    std::map<int, SecureTrack> m_tracks;
    QString m_date;
};

}
