// SPDX-License-Identifier: GPL-2.0-or-later
// This subsystem's place in the program: the language applied to every
// window from the language menu, the settings window's language list, a
// refresh and at start-up.
#include "app/trackmillapp.h"

#include "app/mainwindow.h"
#include "cd/tracklist.h"
#include "lang/aboutwindow.h"
#include "lang/languageapplier.h"
#include "lang/languagechoice.h"
#include "lang/languagelist.h"
#include "metadata/freedbwindow.h"
#include "rip/progresswindow.h"
#include "settings/settingswindow.h"
#include "tags/tageditorwindow.h"
#include "ui/tstatusbarpro.h"
#include "ui/tstatuspanelpro.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>

namespace trackmill {

void TrackmillApp::nameLanguageInStatusBar(const QString& name)
{
    m_form1->statusBar().panel(4)->setText(name);
}

// The settings window's part of the marks: its list entry and the flag.
void TrackmillApp::markSettingsWindowLanguage(int index)
{
    const QList<QAction*> actions = m_form1->languageMenu().actions();
    if (index < 0 || index >= languageCount || index >= actions.size())
        return;
    m_form2->selectLanguage(QString::fromLatin1(languageList()[size_t(index)].name));
    m_form2->setLanguageFlag(actions.at(index)->icon().pixmap(QSize(16, 11)));
}

void TrackmillApp::wireLanguages()
{
    TForm1& form1 = *m_form1;
    TForm2& form2 = *m_form2;
    std::map<QString, QWidget*> windows{
        {QStringLiteral("TForm1"), m_form1.get()}, {QStringLiteral("TForm2"), m_form2.get()},
        {QStringLiteral("TForm3"), m_form3.get()}, {QStringLiteral("TForm4"), m_form4.get()},
        {QStringLiteral("TForm5"), m_form5}, {QStringLiteral("TForm7"), m_form7.get()}};
    m_languageApplier = std::make_unique<LanguageApplier>(std::move(windows), form2, *m_tracks,
                                                          m_languageTexts, m_services.paths.languagesDir());
    LanguageApplier& applier = *m_languageApplier;

    // The main window's marks tick the menu and set the flag of panel 4; a
    // newly ticked item also selects its entry of the settings list, shows
    // its flag there and names it in panel 4, whichever path set the marks
    // (Cancel in the settings window sets only the marks, and panel 4
    // would otherwise go on naming the language that was cancelled).
    const QList<QAction*> actions = form1.languageMenu().actions();
    for (int i = 0; i < actions.size(); ++i)
        QObject::connect(actions.at(i), &QAction::toggled, &form2, [this, i](bool on) {
            if (!on)
                return;
            markSettingsWindowLanguage(i);
            if (i < languageCount)
                nameLanguageInStatusBar(QString::fromLatin1(languageList()[size_t(i)].name));
        });

    // Start-up: the stored language when its file is there; otherwise the
    // built-in English texts stay and English is marked.
    const StartupLanguage start = startupLanguage(m_services.paths.settingsFile(), m_services.paths.languagesDir());
    if (start.applyFile) {
        applier.LoadSettingLanguage(start.marked.name + QStringLiteral(".LNG"));
        if (!m_tracks->CD())
            form1.GetCDTOC();
    }
    form1.CheckTextLanguage(start.marked.name);
    markSettingsWindowLanguage(start.marked.index);
    nameLanguageInStatusBar(start.marked.name);
    form1.ShowInformationStatusBar();
    form2.rebuildCountingLabels();
}

void TrackmillApp::applyLanguageFile(const QString& fileName)
{
    m_languageApplier->LoadSettingLanguage(fileName);
}

// A refresh applies the selected entry again, without marks.
void TrackmillApp::reloadLanguage()
{
    const QComboBox& list = m_form2->languageBox();
    if (list.currentIndex() >= 0)
        m_languageApplier->LoadSettingLanguage(list.currentText() + QStringLiteral(".LNG"));
}

void TrackmillApp::rebuildCountingLabels()
{
    m_form2->rebuildCountingLabels();
}

void TrackmillApp::markLanguage(const QString& name)
{
    m_form1->CheckTextLanguage(name);
}

// TForm2.Cmb_LanguageClick: applied at once but not saved; Apply saves it
// and Cancel brings the stored language back.
void TrackmillApp::languagePicked(int index)
{
    if (index < 0 || index >= languageCount)
        return;
    const QString name = QString::fromLatin1(languageList()[size_t(index)].name);
    m_languageApplier->LoadSettingLanguage(name.toUpper() + QStringLiteral(".LNG"));
    markSettingsWindowLanguage(index);
    m_form2->rebuildCountingLabels();
    m_form1->ShowInformationStatusBar();
    nameLanguageInStatusBar(name);
    m_form1->CheckTextLanguage(name);
    if (!m_tracks->CD())
        m_form1->GetCDTOC();
}

}
