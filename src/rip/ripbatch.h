// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "batchfigures.h"
#include "namingsettings.h"
#include "outputnaming.h"
#include "progresswindowobserver.h"
#include "tickclock.h"
#include "timefigures.h"
#include "trackripper.h"

#include "lang/languagetexts.h"

#include <QObject>
#include <QString>

#include <functional>

namespace trackmill {

class CdDrives;
class DriveList;
class HiddenLog;
class MessageBoxes;
class Settings;
class SystemServices;
class TForm1;
class TForm3;
class TrackList;

// The batch driver: one press of WAV (or MP3) rips the selected tracks one
// after another on the user-interface thread, shows the progress window,
// and ends the run with its boxes, the screen saver, the after-run action
// and the eject. The handlers keep the names the rest of the program knows
// them by (WAVClick, RipTrack, AbortRipping, GrabbingTime ...).
//
// The MP3 batch reuses the pieces: CheckSelection and StartOnDisc are the
// common start, RipTrack(track, true) hands each ripped WAV file to the
// encode job through hooks().Encode, and the end-of-run steps are public.
class RipBatch : public QObject
{
    Q_OBJECT
public:
    struct Collaborators
    {
        TForm1& form1;
        TForm3& form3;
        TrackList& tracks;
        CdDrives& drives;
        DriveList& driveList;
        HiddenLog& log;
        Settings& settings;
        MessageBoxes& messageBoxes;
        SystemServices& system;
    };

    // Values and actions of other windows, read or run at the moment of use.
    // Every member has a working default except naming, which falls back to
    // the NamingSettings defaults.
    struct Sources
    {
        // The naming settings as the settings window shows them now.
        std::function<NamingSettings()> naming;
        // The texts of the current language (all empty before one is applied).
        std::function<LanguageTexts()> texts;
        // The tag editor's Year2: read for the year directory, written back
        // filtered.
        std::function<QString()> year;
        std::function<void(const QString&)> setYear;
        // TForm4.ID3Initialization.
        std::function<void()> resetTagEditor;
        // TForm1.MakeBlinking (ms): flashes the task bar entry until the
        // user comes back to the program.
        std::function<void(int)> makeBlinking;
        // Whether the progress window is the active window.
        std::function<bool()> progressWindowActive;
        // The application title ("Trackmill", "Trackmill 45% / 0%").
        std::function<void(const QString&)> setTitle;
        // Opens the tray of the drive at this path (OpenCloseCD with open).
        std::function<void(const QString&)> eject;
        // Milliseconds for the time figures.
        TickClock clock;
    };

    // What the ripper hands to the encode job after a track ripped fine in
    // an MP3 batch (TForm2.Encode): the output directory text saved at the
    // batch start, the folder the WAV file went to (with the artist and
    // album sub-directories) and its path, the base name, the track's name
    // (grid column 1), its number and the number of selected tracks.
    struct EncodeHandOver
    {
        QString savedDirectory;
        QString outputDirectory;
        QString wavPath;
        QString baseName;
        QString trackName;
        int track = 0;
        int selectedCount = 0;
    };

    // Filled by the encoding subsystem.
    struct Hooks
    {
        // Converts the WAV file and then goes on with the next selected
        // track (or ends the batch). Without it an MP3 rip stops after the
        // WAV file.
        std::function<void(const EncodeHandOver&)> Encode;
        // Tells the encoder component to stop (part of AbortRipping).
        std::function<void()> stopEncoder;
    };

    enum class Command {
        WAV,     // rip only
        MP3,     // rip, then encode each WAV file
        OnTheFly // rip and encode at once
    };

    RipBatch(Collaborators collaborators, Sources sources, QObject* parent = nullptr);
    ~RipBatch() override;

    Hooks& hooks() { return m_hooks; }
    Sources& sources() { return m_sources; }

    // The WAV command of the main window.
    void WAVClick();

    // Common start, steps before the encoder's own check: clears the grab
    // time table; with no track selected shows the NO_TRACK_SELECTED
    // warning and answers false.
    bool CheckSelection();
    // Common start on the disc: refuses without an audio disc (MESSAGE
    // warning); switches the screen saver off when asked; resets the batch
    // figures; prepares the output directory (an error box and false when
    // it cannot be entered or made, with everything given back); shows the
    // progress window. True: the batch may rip.
    bool StartOnDisc(Command command);
    // Both, for the WAV command.
    bool CommonStart(Command command);

    // Rips one track into directory + base name + ".wav". With encode false
    // the last track of the batch ends the run (finish box, after-run
    // action, eject); with encode true a good WAV file goes to
    // hooks().Encode. An abort shows the abort box and gives the windows
    // back; a failure shows an error box naming the cause and ends the batch
    // (rip error flag set).
    void RipTrack(int track, bool encode);

    // The progress window's Abort (and closing it): enables the main
    // window, sets the abort flag, stops the encoder, hides the progress
    // window. The ripper stops before its next read.
    void AbortRipping();

    // Caption of the grabbing group + ": " + the batch's total grab time.
    QString GrabbingTime() const;
    // Enables or disables the main window (and everything on it).
    void FormEnabled(bool enabled);

    // The end of a run, in pieces the encode batch uses as well.
    // Screen saver off when PREVENT_SCREENSAVER is on; on again only when
    // this batch switched it off, so every run ends with it back on once.
    void ScreenSaverOff();
    void ScreenSaverOn();
    // The after-run action by entry index: 1 shuts down, 2 restarts, any
    // other value does nothing.
    void Execute(int index);
    // Opens the tray of the selected drive (once per batch).
    void EjectSelectedDrive();
    // Gives the output directory edit back the text it had at the start.
    void RestoreOutputDirectory();
    // The finished-run tail shared by the rippers: title, screen saver,
    // after-run action or blinking and the information box with text,
    // eject when asked, windows given back. blinkMs: 500 after ripping.
    void EndOfRun(const QString& finishText, int blinkMs);
    // Blinks the main window (ms per flash) unless the progress window is
    // the active one: the user is told only when looking elsewhere.
    void BlinkUnlessWatched(int blinkMs);
    // The run's title ("Trackmill", "Trackmill 100% / 42%") and the
    // language texts in effect, for the encode batch too.
    void setTitle(const QString& title);
    LanguageTexts texts() const;

    // Whether a batch is running (the command ignores a second press).
    bool running() const { return m_running; }
    BatchFigures& figures() { return m_figures; }
    TimeFigures& times() { return m_times; }
    TrackRipper& ripper() { return m_ripper; }
    ProgressWindowObserver& observer() { return m_observer; }
    // The output directory text of the running batch (with the
    // sub-directories made for it), ending with "/".
    QString outputDirectory() const;
    // The naming of the moment, from sources().naming.
    OutputNaming naming() const;

private:
    void showProgressWindow();
    void showEncoderFigures();
    void failTrack(int track, const TrackRipResult& result);
    void abortTrack(int track, const TrackRipResult& result);
    void giveWindowsBack();

    Collaborators m_c;
    Sources m_sources;
    Hooks m_hooks;
    BatchFigures m_figures;
    TimeFigures m_times;
    ProgressWindowObserver m_observer;
    TrackRipper m_ripper;

    bool m_running = false;
    bool m_screenSaverOff = false;
    bool m_ejected = false;
};

}
