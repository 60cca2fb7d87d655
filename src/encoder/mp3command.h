// SPDX-License-Identifier: GPL-2.0-or-later
// TForm1's MP3 command: MP3Click, RipTrackOnTheFly and AddFilesWAV.
#pragma once

#include <QObject>
#include <QString>

namespace trackmill {

class DesktopShell;
class EncodeJobs;
class HiddenLog;
class MessageBoxes;
class RipBatch;
class Settings;
class TForm1;
class TForm3;
class TGogoTea;
class TrackList;
class CdDrives;
struct TrackRipResult;

// The MP3 button: rips the selected tracks and encodes each after it was
// read, or encodes while reading (on the fly), or encodes WAV files chosen
// from disk, as the settings say. The common start and the end of a run
// are the batch driver's; the jobs are EncodeJobs'.
class Mp3Command : public QObject
{
    Q_OBJECT
public:
    struct Collaborators
    {
        RipBatch& batch;
        EncodeJobs& jobs;
        TGogoTea& GogoTea1;
        TForm1& form1;
        TForm3& form3;
        TrackList& tracks;
        CdDrives& drives;
        Settings& settings;
        HiddenLog& log;
        DesktopShell& shell;
        MessageBoxes& boxes;
    };

    explicit Mp3Command(Collaborators collaborators, QObject* parent = nullptr);
    ~Mp3Command() override;

    // TForm1.MP3Click.
    void MP3Click();
    // Rips one track while the encoder turns it into MP3.
    void RipTrackOnTheFly(int track);
    // Asks for WAV files and encodes them into the output directory.
    void AddFilesWAV();

    // The file dialog's filter.
    static QString wavFilter();

private:
    void showEncoderFigures();
    void failTrack(int track, const TrackRipResult& result);

    Collaborators m_c;
    bool m_running = false;
};

}
