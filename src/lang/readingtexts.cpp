// SPDX-License-Identifier: GPL-2.0-or-later
#include "readingtexts.h"

#include "languagefile.h"

namespace trackmill {

ReadingTexts ReadingTexts::fromFile(const LanguageFile& f)
{
    ReadingTexts t;
    t.shortAccurate = f.text("READING", "SHORT_ACCURATE");
    t.shortRepaired = f.text("READING", "SHORT_REPAIRED");
    t.shortReadError = f.text("READING", "SHORT_READ_ERROR");
    t.shortNotVerified = f.text("READING", "SHORT_NOT_VERIFIED");
    t.shortNotAccurate = f.text("READING", "SHORT_NOT_ACCURATE");
    t.longAccurate = f.text("READING", "LONG_ACCURATE");
    t.longNotAccurate = f.text("READING", "LONG_NOT_ACCURATE");
    t.longNotInDatabase = f.text("READING", "LONG_NOT_IN_DATABASE");
    t.longReadError = f.text("READING", "LONG_READ_ERROR");
    t.longReads = f.text("READING", "LONG_READS");
    t.accurateCount = f.text("READING", "ACCURATE_COUNT");
    return t;
}

}
