// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

class QWidget;

namespace trackmill {

struct EncoderLibraryLines;
struct RipLibraryLines;

// Puts the version lines into the settings window's labels, found by their
// objectNames, so the window itself needs to know nothing of the libraries.
// A label the window lacks is skipped.

// LibraryRipCDROM and LibraryRipCDDB get the same line (once, when the
// settings window is made).
void showRipLibraryLines(QWidget& settingsWindow, const QString& line);
// The same, and the company and copyright lines of both pages (CompanyRip,
// CopyrightRip, Label13, Label14) where the library's version information
// gave them.
void showRipLibraryLines(QWidget& settingsWindow, const RipLibraryLines& lines);

// MyCompany, MyLibrary and MyCopyright (each time the Settings button is pressed).
void showEncoderLibraryLines(QWidget& settingsWindow, const EncoderLibraryLines& lines);

}
