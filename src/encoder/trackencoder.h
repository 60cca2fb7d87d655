// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

namespace trackmill {

// One encoder of a run's output format: encodes one job at a time on a
// worker thread and reports on the thread that created it. Several jobs at
// once run on several encoders (EncoderPool). A job reads a
// WAV file from disk, or 16-bit stereo 44.1 kHz PCM that the ripper feeds
// block by block while it reads the track.
class TrackEncoder : public QObject
{
    Q_OBJECT
public:
    enum class Input { File, Feed };

    struct Job
    {
        Input input = Input::File;
        QString source;       // the WAV file (Input::File)
        QString destination;  // the encoded file
        qint64 frames = 0;    // samples per channel when known (a feed's track length)
        // Tags the encoder writes into the file as it makes it: field name
        // (ASCII, as ARTIST or TRACKNUMBER) and value. An encoder whose
        // tags are written after the job (MP3's ID3) ignores them.
        QList<QPair<QByteArray, QString>> tags = {};
    };

    using QObject::QObject;

    // The output file's extension with its dot (".mp3").
    virtual QString extension() const = 0;
    // Starts a job with the settings of the moment. False, with the reason
    // in *error, when the encoder refused: no job runs and no signal follows.
    virtual bool start(const Job& job, QString* error) = 0;
    // Feed jobs: offers a block; false when it does not fit now (retry later).
    virtual bool feed(const char* data, qsizetype bytes) = 0;
    // Feed jobs: no more input; the job ends once it has encoded the rest.
    virtual void endFeed() = 0;
    // From start() until finished() has been emitted.
    virtual bool isEncoding() const = 0;
    // Stops the running job; finished(true) follows. Nothing when idle.
    virtual void abort() = 0;
    // Whether a job of this encoder may run while another encoder of the
    // same kind runs one (each has a worker thread and state of its own).
    virtual bool runsBesideOthers() const { return true; }
    // Why the last job ended aborted when nobody asked it to: the file and
    // the system's reason ("<path>: No space left on device"). Empty after
    // a finished job or an abort, and while a job runs.
    virtual QString failure() const = 0;

Q_SIGNALS:
    // Frames done of the job's total (0 total: not known yet).
    void progress(qint64 framesDone, qint64 framesTotal);
    // The job ended: aborted by the user or by an error (the partial output
    // stays), or done.
    void finished(bool aborted);
};

}
