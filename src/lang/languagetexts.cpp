// SPDX-License-Identifier: GPL-2.0-or-later
#include "languagetexts.h"

#include "languagefile.h"

namespace trackmill {

LanguageTexts LanguageTexts::fromFile(const LanguageFile& f)
{
    LanguageTexts t;
    t.noDisc = f.text("MAIN", "MESSAGE");
    t.freedbConnect = f.text("FREEDB", "FREEDB_CONNECT");
    t.freedbFound = f.text("FREEDB", "FREEDB_CD_AUDIO_FOUND");
    t.freedbNotFound = f.text("FREEDB", "FREEDB_CD_AUDIO_NO_FOUND");
    t.grabbingTrack = f.text("GRABBING_AND_ENCODING", "GRABBING_TRACK");
    t.file = f.text("GRABBING_AND_ENCODING", "FILE");
    t.of = f.text("GRABBING_AND_ENCODING", "OF");
    t.finishGrabbing = f.text("MESSAGES", "FINISH_GRABBING");
    t.abortGrabbing = f.text("MESSAGES", "ABORT_GRABBING");
    t.finishGrabbingAndEncoding = f.text("MESSAGES", "FINISH_GRABBING_AND_ENCODING");
    t.abortEncoding = f.text("MESSAGES", "ABORT_ENCODING");
    t.aspiError = f.text("MESSAGES", "ASPI_ERROR");
    t.noTrackSelected = f.text("MESSAGES", "NO_TRACK_SELECTED");
    t.finishEncoding = f.text("MESSAGES", "FINISH_ENCODING");
    t.tracks = f.text("OTHERS", "TRACKS");
    t.playtime = f.text("OTHERS", "PLAYTIME");
    t.errorPathFilename = f.text("OTHERS", "ERROR_PATH_FILENAME");
    t.flacLossless = f.text("FLAC", "LOSSLESS");
    t.lookupChoose = f.text("LOOKUP", "CHOOSE");
    t.choosePicture = f.text("LOOKUP", "CHOOSE_PICTURE");
    t.pictureNotUsable = f.text("LOOKUP", "PICTURE_NOT_USABLE");
    t.charset = f.charset();
    t.reading = ReadingTexts::fromFile(f);
    return t;
}

QString LanguageTexts::fileOf(int index, int count) const
{
    return file + QLatin1Char(' ') + QString::number(index) + QLatin1Char(' ') + of
           + QLatin1Char(' ') + QString::number(count);
}

}
