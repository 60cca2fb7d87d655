// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

namespace trackmill {

class LanguageFile;

// The texts of verified reading, section READING of the language file: a
// track's result in the grid (short) and its tool tip (long); %1, %2 and
// %3 stand for the figures put in.
struct ReadingTexts
{
    QString shortAccurate;     // SHORT_ACCURATE: %1 confidence
    QString shortRepaired;     // SHORT_REPAIRED: %1 re-reads and repairs
    QString shortReadError;    // SHORT_READ_ERROR
    QString shortNotVerified;  // SHORT_NOT_VERIFIED
    QString shortNotAccurate;  // SHORT_NOT_ACCURATE
    QString longAccurate;      // LONG_ACCURATE: %1 confidence, %2 the highest, %3 v1/v2
    QString longNotAccurate;   // LONG_NOT_ACCURATE: %1 submissions
    QString longNotInDatabase; // LONG_NOT_IN_DATABASE
    QString longReadError;     // LONG_READ_ERROR: %1 sector
    QString longReads;         // LONG_READS: %1 re-reads, %2 repairs, %3 skips
    QString accurateCount;     // ACCURATE_COUNT: %1 of %2 tracks

    static ReadingTexts fromFile(const LanguageFile& file);

    friend bool operator==(const ReadingTexts&, const ReadingTexts&) = default;
};

}
