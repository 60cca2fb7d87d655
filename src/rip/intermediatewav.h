// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

namespace trackmill {

// The WAV file a rip-then-encode run writes for its encoder. It never
// bears a name a file had before the run, so deleting it after encoding
// cannot take the user's own WAV of the same track with it.
namespace IntermediateWav {

// Creates an empty hidden file ".<base>.XXXXXX.wav" in `directory` that
// did not exist before (O_EXCL). Empty, with "path: reason" in *error, when
// it cannot be made.
QString create(const QString& directory, const QString& baseName, QString* error);

// Gives the finished file the name the user expects: "<base>.wav", or
// "<base> (2).wav", "(3)"... when that is taken; nothing is overwritten.
// Answers the name it got; empty, with the reason in *error, when none
// could be given (the hidden file then stays where it is).
QString keep(const QString& path, const QString& directory, const QString& baseName, QString* error);

}

}
