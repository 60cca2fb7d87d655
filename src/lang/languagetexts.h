// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "readingtexts.h"

#include <QString>

namespace trackmill {

class LanguageFile;

// The texts of the current language that belong to no window: messages of
// the runs, the no-disc text, the freedb status words, the words of the
// progress line and of the disc summary. Replaced as a whole whenever a
// language is applied; all empty before (there is no built-in wording).
struct LanguageTexts
{
    QString noDisc;                     // MAIN/MESSAGE
    QString freedbConnect;              // FREEDB/FREEDB_CONNECT
    QString freedbFound;                // FREEDB/FREEDB_CD_AUDIO_FOUND
    QString freedbNotFound;             // FREEDB/FREEDB_CD_AUDIO_NO_FOUND
    QString grabbingTrack;              // GRABBING_AND_ENCODING/GRABBING_TRACK
    QString file;                       // GRABBING_AND_ENCODING/FILE
    QString of;                         // GRABBING_AND_ENCODING/OF
    QString finishGrabbing;             // MESSAGES/FINISH_GRABBING
    QString abortGrabbing;              // MESSAGES/ABORT_GRABBING
    QString finishGrabbingAndEncoding;  // MESSAGES/FINISH_GRABBING_AND_ENCODING
    QString abortEncoding;              // MESSAGES/ABORT_ENCODING
    QString aspiError;                  // MESSAGES/ASPI_ERROR
    QString noTrackSelected;            // MESSAGES/NO_TRACK_SELECTED
    QString finishEncoding;             // MESSAGES/FINISH_ENCODING
    QString tracks;                     // OTHERS/TRACKS
    QString playtime;                   // OTHERS/PLAYTIME
    QString errorPathFilename;          // OTHERS/ERROR_PATH_FILENAME
    QString flacLossless;               // FLAC/LOSSLESS
    QString lookupChoose;               // LOOKUP/CHOOSE
    QString choosePicture;              // LOOKUP/CHOOSE_PICTURE
    QString pictureNotUsable;           // LOOKUP/PICTURE_NOT_USABLE
    int charset = 255;                  // FONTS/CHARACTER as a number
    ReadingTexts reading;               // section READING

    static LanguageTexts fromFile(const LanguageFile& file);

    // "File 2 of 7": FILE, a blank, the index, a blank, OF, a blank, the count.
    QString fileOf(int index, int count) const;

    friend bool operator==(const LanguageTexts&, const LanguageTexts&) = default;
};

}
