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
#include <QLabel>
#include <QMenu>

namespace trackmill {

namespace {

void setLanguagePanelText(TForm1& form1, const QString& name)
{
    if (auto* bar = form1.findChild<TStatusBarPro*>(QStringLiteral("StatusBarPro1")))
        if (TStatusPanelPro* panel = bar->panel(4))
            panel->setText(name);
}

// The settings window's part of the marks: its list entry and the flag.
void markSettingsWindow(TForm1& form1, TForm2& form2, int index)
{
    const auto* menu = form1.findChild<QMenu*>(QStringLiteral("PopupMenu1"));
    if (index < 0 || index >= languageCount || !menu || index >= menu->actions().size())
        return;
    form2.selectLanguage(QString::fromLatin1(languageList()[size_t(index)].name));
    if (auto* flag = form2.findChild<QLabel*>(QStringLiteral("ImageCountry")))
        flag->setPixmap(menu->actions().at(index)->icon().pixmap(QSize(16, 11)));
}

}

void TrackmillApp::wireLanguages()
{
    TForm1& form1 = *m_form1;
    TForm2& form2 = *m_form2;
    std::map<QString, QWidget*> windows{
        {QStringLiteral("TForm1"), m_form1.get()}, {QStringLiteral("TForm2"), m_form2.get()},
        {QStringLiteral("TForm3"), m_form3.get()}, {QStringLiteral("TForm4"), m_form4.get()},
        {QStringLiteral("TForm5"), m_form1->findChild<TForm5*>()},
        {QStringLiteral("TForm7"), m_form7.get()}};
    m_languageApplier = std::make_unique<LanguageApplier>(std::move(windows), form2, *m_tracks,
                                                          m_languageTexts, m_services.paths.languagesDir());
    LanguageApplier& applier = *m_languageApplier;

    // The main window's marks tick the menu and set the flag of panel 4; a
    // newly ticked item also selects its entry of the settings list, shows
    // its flag there and names it in panel 4, whichever path set the marks
    // (Cancel in the settings window sets only the marks, and panel 4
    // would otherwise go on naming the language that was cancelled).
    if (const auto* menu = form1.findChild<QMenu*>(QStringLiteral("PopupMenu1"))) {
        const QList<QAction*> actions = menu->actions();
        for (int i = 0; i < actions.size(); ++i)
            QObject::connect(actions.at(i), &QAction::toggled, &form2, [&form1, &form2, i](bool on) {
                if (!on)
                    return;
                markSettingsWindow(form1, form2, i);
                if (i < languageCount)
                    setLanguagePanelText(form1, QString::fromLatin1(languageList()[size_t(i)].name));
            });
    }

    TForm1::Hooks& hooks = form1.hooks();
    hooks.applyLanguageFile = [&applier](const QString& fileName) { applier.LoadSettingLanguage(fileName); };
    // A refresh applies the selected entry again, without marks.
    hooks.reloadLanguage = [&applier, &form2] {
        const auto* list = form2.findChild<QComboBox*>(QStringLiteral("Cmb_Language"));
        if (list && list->currentIndex() >= 0)
            applier.LoadSettingLanguage(list->currentText() + QStringLiteral(".LNG"));
    };
    hooks.rebuildCountingLabels = [&form2] { form2.rebuildCountingLabels(); };

    // TForm2.Cmb_LanguageClick: applied at once but not saved; Apply saves
    // it and Cancel brings the stored language back.
    form2.hooks().languagePicked = [this, &applier, &form1, &form2](int index) {
        if (index < 0 || index >= languageCount)
            return;
        const QString name = QString::fromLatin1(languageList()[size_t(index)].name);
        applier.LoadSettingLanguage(name.toUpper() + QStringLiteral(".LNG"));
        markSettingsWindow(form1, form2, index);
        form2.rebuildCountingLabels();
        form1.ShowInformationStatusBar();
        setLanguagePanelText(form1, name);
        form1.CheckTextLanguage(name);
        if (!m_tracks->CD())
            form1.GetCDTOC();
    };

    // Start-up: the stored language when its file is there; otherwise the
    // built-in English texts stay and English is marked.
    const StartupLanguage start = startupLanguage(m_services.paths.settingsFile(), m_services.paths.languagesDir());
    if (start.applyFile) {
        applier.LoadSettingLanguage(start.marked.name + QStringLiteral(".LNG"));
        if (!m_tracks->CD())
            form1.GetCDTOC();
    }
    form1.CheckTextLanguage(start.marked.name);
    markSettingsWindow(form1, form2, start.marked.index);
    setLanguagePanelText(form1, start.marked.name);
    form1.ShowInformationStatusBar();
    form2.rebuildCountingLabels();
}

}
