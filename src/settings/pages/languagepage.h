// SPDX-License-Identifier: GPL-2.0-or-later
// The settings window's Language tab: the language list, the flag and the
// translator's block with its two links.
#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QPixmap;

namespace trackmill {

class DesktopShell;
class PixelPicture;

class LanguagePage : public QWidget
{
    Q_OBJECT
public:
    LanguagePage(DesktopShell& shell, QWidget* parent);

    // Cmb_Language: the 30 language names, no entry until one is applied.
    QComboBox* languages() const { return m_language; }
    // Selects the entry named exactly so; another name leaves the list as it is.
    void selectLanguage(const QString& name);
    // ImageCountry: the flag of the language in use.
    void setFlag(const QPixmap& flag);

    // The translator's e-mail address and home page, opened by the desktop.
    void LabelEmailTranslatorClick();
    void LabelwwwClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    DesktopShell& m_shell;
    QComboBox* m_language = nullptr;
    PixelPicture* m_flag = nullptr;
    QLabel* m_emailTranslator = nullptr;
    QLabel* m_www = nullptr;
};

}
