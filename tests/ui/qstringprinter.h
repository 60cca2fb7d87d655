// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <ostream>

// Failed comparisons show texts as text rather than as 16-bit code units.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}
