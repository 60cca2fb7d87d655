// SPDX-License-Identifier: GPL-2.0-or-later
// The About window's place in the program: made after the progress window,
// owned by the main window, and opened by its About button. With it come
// the version lines of the two outside libraries in the settings window.
#include "app/trackmillapp.h"

#include "app/mainwindow.h"
#include "cd/cddrives.h"
#include "lang/aboutwindow.h"
#include "settings/settingswindow.h"
#include "ui/gogoversionprobe.h"
#include "ui/libraryversionlines.h"

#include <QComboBox>

namespace trackmill {

void TrackmillApp::wireAbout()
{
    // A child of the main window: modal over it, and it lives as long.
    auto* form5 = m_form5 = new TForm5(m_services.paths, m_services.shell, m_form1.get());

    // TForm1.AboutClick: the file of the language selected in the settings
    // window's list, read at every opening.
    m_form1->setCommand(QStringLiteral("About"), [this, form5] {
        const QComboBox& list = m_form2->languageBox();
        const QString language = !list.currentText().isEmpty() ? list.currentText() : QStringLiteral("English");
        form5->GetInformationAboutLNG(language + QStringLiteral(".LNG"));
        form5->exec();
    });

    // TForm2.Version_AKRIP32_DLL, once now that the settings window exists.
    m_form2->showRipLibraryLines(ripLibraryLines(m_drives->GetVersionOfAkrip(),
                                                  ripLibraryPath(m_services.paths)));
}

// TForm1.Version_GOGO_DLL, before every opening of the settings window.
void TrackmillApp::refreshEncoderVersionLines()
{
    GogoVersionProbe probe = GogoVersionProbe::forProgram(m_services.paths);
    m_form2->showEncoderLibraryLines(encoderLibraryLines(probe));
}

}
