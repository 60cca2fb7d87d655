// SPDX-License-Identifier: GPL-2.0-or-later
// The About window's place in the program: made after the progress window,
// owned by the main window, and opened by its About button.
#include "app/trackmillapp.h"

#include "app/mainwindow.h"
#include "lang/aboutwindow.h"
#include "settings/settings.h"

namespace trackmill {

void TrackmillApp::wireAbout()
{
    // A child of the main window: modal over it, and it lives as long.
    auto* form5 = new TForm5(m_services.paths, m_services.shell, m_form1.get());

    // TForm1.AboutClick: the file of the current language, read at every opening.
    m_form1->setCommand(QStringLiteral("About"), [this, form5] {
        const QString language =
            m_settings->language.isEmpty() ? QStringLiteral("English") : m_settings->language;
        form5->GetInformationAboutLNG(language + QStringLiteral(".LNG"));
        form5->exec();
    });
}

}
