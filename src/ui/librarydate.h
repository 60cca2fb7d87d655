// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QLocale>
#include <QString>

namespace trackmill {

// The last-modified date of a library file as "d MMMM yyyy" in the given
// locale (the user's by default): the day without a leading zero, the full
// month name and the year, e.g. "7 September 2001". The date is the file's
// local last-write day; the time of day is dropped. Empty when the file
// cannot be opened for reading.
QString GetDateLibrary(const QString& fileName, const QLocale& locale = QLocale());

}
