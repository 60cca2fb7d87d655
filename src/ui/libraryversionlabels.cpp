// SPDX-License-Identifier: GPL-2.0-or-later
#include "libraryversionlabels.h"

#include "libraryversionlines.h"

#include <QLabel>

namespace trackmill {

namespace {

void setLabel(QWidget& window, const char* name, const QString& text)
{
    if (auto* label = window.findChild<QLabel*>(QLatin1String(name)))
        label->setText(text);
}

}

void showRipLibraryLines(QWidget& settingsWindow, const QString& line)
{
    setLabel(settingsWindow, "LibraryRipCDROM", line);
    setLabel(settingsWindow, "LibraryRipCDDB", line);
}

void showRipLibraryLines(QWidget& settingsWindow, const RipLibraryLines& lines)
{
    showRipLibraryLines(settingsWindow, lines.library);
    if (!lines.company.isEmpty()) {
        setLabel(settingsWindow, "CompanyRip", lines.company);
        setLabel(settingsWindow, "Label13", lines.company);
    }
    if (!lines.copyright.isEmpty()) {
        setLabel(settingsWindow, "CopyrightRip", lines.copyright);
        setLabel(settingsWindow, "Label14", lines.copyright);
    }
}

void showEncoderLibraryLines(QWidget& settingsWindow, const EncoderLibraryLines& lines)
{
    setLabel(settingsWindow, "MyCompany", lines.company);
    setLabel(settingsWindow, "MyLibrary", lines.library);
    setLabel(settingsWindow, "MyCopyright", lines.copyright);
}

}
