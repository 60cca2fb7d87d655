// SPDX-License-Identifier: GPL-2.0-or-later
#include "languagepage.h"

#include "pagewidgets.h"
#include "platform/systemservices.h"
#include "ui/pixelpicture.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace trackmill {

using namespace settingspages;

namespace {

// The language list's entries: the language files' names, in the order of
// the main window's language menu.
const char* const kLanguageNames[] = {
    "English", "Polish",   "German",   "French",   "Japanese", "PortugueseBr",
    "Spanish", "Czech",    "Slovak",   "Dutch",    "Italian",  "Swedish",
    "Hungarian", "Russian", "Norwegian", "Croatian", "Hebrew",   "Estonian",
    "TChinese", "SChinese", "Danish",   "Turkish",  "Greek",    "Romanian",
    "Latvian", "Albanian", "Finnish",  "Chilean",  "Catalan",  "Serbian"};

}

LanguagePage::LanguagePage(DesktopShell& shell, QWidget* parent) : QWidget(parent), m_shell(shell)
{
    setObjectName(QStringLiteral("Language"));
    auto* layout = new QVBoxLayout(this);
    auto* group = named(new QGroupBox(this), "GroupBox3");
    auto* grid = new QGridLayout(group);
    QStringList names;
    for (const char* name : kLanguageNames)
        names << QString::fromLatin1(name);
    m_language = list("Cmb_Language", names, 15, group);
    m_language->setCurrentIndex(-1);  // the applied language selects its entry
    auto* flag = m_flag = new PixelPicture(group);
    flag->setObjectName(QStringLiteral("ImageCountry"));
    flag->setFixedSize(48, 33);  // the 16 by 11 flag three times
    grid->addWidget(label("LabelLanguage", QStringLiteral("Language:"), group), 0, 0);
    grid->addWidget(m_language, 0, 1);
    grid->addWidget(flag, 0, 2);
    m_emailTranslator = label("LabelEmailTranslator", QStringLiteral("translator@example.org"), group);
    m_www = label("Labelwww", QStringLiteral("www.example.org"), group);
    const struct
    {
        const char* name;
        const char* caption;
        QLabel* value;
    } block[] = {{"Translator", "Translator:", label("LabelAuthor", QStringLiteral("Translator"), group)},
                 {"Country", "Country:", label("LabelCountry", QStringLiteral("Country"), group)},
                 {"City", "City:", label("LabelCity", QStringLiteral("City"), group)},
                 {"Email", "E-mail:", m_emailTranslator},
                 {"Homepage", "Homepage:", m_www}};
    int row = 1;
    for (const auto& b : block) {
        grid->addWidget(label(b.name, QString::fromLatin1(b.caption), group), row, 0);
        grid->addWidget(b.value, row++, 1, 1, 2);
    }
    grid->setColumnStretch(1, 1);
    layout->addWidget(group);
    layout->addStretch();
    for (QLabel* link : {m_emailTranslator, m_www}) {
        link->setCursor(Qt::PointingHandCursor);
        link->installEventFilter(this);
    }
}

void LanguagePage::selectLanguage(const QString& name)
{
    const int index = m_language->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        m_language->setCurrentIndex(index);
}

void LanguagePage::LabelEmailTranslatorClick()
{
    m_shell.openUrl(QStringLiteral("mailto:") + m_emailTranslator->text());
}

void LanguagePage::LabelwwwClick()
{
    m_shell.openUrl(m_www->text());
}

bool LanguagePage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == m_emailTranslator) {
            LabelEmailTranslatorClick();
            return true;
        }
        if (watched == m_www) {
            LabelwwwClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void LanguagePage::setFlag(const QPixmap& flag)
{
    m_flag->setPixmap(flag);
}

}
