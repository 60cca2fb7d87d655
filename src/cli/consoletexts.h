// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

namespace trackmill {
class LanguageFile;
}

namespace trackmill::cli {

// The command-line ripper's own lines, section CONSOLE of the language
// file (and its lookup's, section LOOKUP); %1 and %2 stand for the figures
// and names put in. The names of
// commands and options, the help and the drive and track tables stay as
// they are in every language: scripts read them.
struct ConsoleTexts
{
    QString noDrive;         // NO_DRIVE: %1 the Discs folder
    QString noSuchDrive;     // NO_SUCH_DRIVE: %1 the drive asked for, %2 how many there are
    QString noDisc;          // NO_DISC: %1 the drive
    QString noAudioDisc;     // NO_AUDIO_DISC: %1 the drive
    QString noSettingsFile;  // NO_SETTINGS_FILE: %1 the file
    QString noSuchTrack;     // NO_SUCH_TRACK: %1 the track, %2 the disc's tracks
    QString dataTrack;       // DATA_TRACK: %1 the track
    QString noEncoder;       // NO_ENCODER: %1 why
    QString interrupted;     // INTERRUPTED
    QString runFailed;       // RUN_FAILED: %1 why
    QString tracksDone;      // TRACKS_DONE: %1 done of %2
    QString track;           // TRACK
    QString trackDone;       // TRACK_DONE
    QString trackAborted;    // TRACK_ABORTED
    QString trackFailed;     // TRACK_FAILED
    QString jobsRunning;     // RUNNING of section JOBS, the progress window's text
    // Section LOOKUP:
    QString noMatch;         // NO_MATCH
    QString lookupFailed;    // LOOKUP_FAILED: %1 why
    QString noSuchRelease;   // NO_SUCH_RELEASE: %1 the match asked for, %2 how many there are

    // The texts of `file`; a key it lacks takes the text of `fallback`
    // (the English file).
    static ConsoleTexts fromFiles(const LanguageFile& file, const LanguageFile& fallback);
    // The language the settings file names, English when its file is missing.
    static ConsoleTexts forSettings(const QString& settingsFile, const QString& languagesDir);
};

}
