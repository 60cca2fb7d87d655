// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "encoder/flacwriter.h"

#include <QString>

namespace trackmill {

// The names of one FLAC track, as the ID3 writers would tag its MP3.
struct VorbisTrack
{
    QString artist;       // the track's artist (with Split, the part before the separator)
    QString albumArtist;  // the disc's artist
    QString album;
    QString title;
    int number = 0;       // 1 for the first track
    int total = 0;        // tracks on the disc
    int disc = 0;         // 0: not known
    int discTotal = 0;
    QString date;
    QString genre;
    QString comment;
    QString composer;
    QString copyright;
    QString encoder;
};

// The comments in the order players show them. ALBUMARTIST only when the
// track's artist is another (a sampler); disc numbers only for a disc of a
// set of more than one; empty values are left out.
FlacComments vorbisComments(const VorbisTrack& track);

// Puts the comments into a FLAC file in place of those it has, in the
// padding the writer left so the audio is not rewritten. An empty text on
// success, else which file and why; the file is unchanged then.
QString writeVorbisComments(const QString& file, const FlacComments& comments);
// The same, and the front cover as a picture block in place of any front
// cover the file had (a picture that does not fit the padding makes the
// file be written anew, through a temporary copy).
QString writeVorbisComments(const QString& file, const FlacComments& comments, const QByteArray& cover,
                            const QByteArray& coverMimeType);

}
