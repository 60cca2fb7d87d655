// SPDX-License-Identifier: GPL-2.0-or-later
// TForm5: the About window.
#pragma once

#include "platform/apppaths.h"

#include <QDialog>
#include <QList>
#include <QPixmap>

class QGroupBox;
class QLabel;
class QPushButton;
class QTabWidget;

namespace trackmill {

class DesktopShell;

// A modal dialog with the credits on two pages. Its language-dependent
// texts are read from the language file each time it is opened, so a
// change of language shows at the next opening. It also holds the flag
// picture of every language (Image39 to Image77), which the settings
// window copies when the language changes.
class TForm5 : public QDialog
{
    Q_OBJECT

public:
    TForm5(const AppPaths& paths, DesktopShell& shell, QWidget* parent = nullptr);

    // Fills the texts from fileName ("English.LNG") in the languages folder.
    // A missing file or key leaves only the fixed parts of the texts.
    void GetInformationAboutLNG(const QString& fileName);

    // The flag of the language at position languageIndex of the language
    // list, and the objectName of the picture that shows it.
    QPixmap flagPicture(int languageIndex) const;
    static QString flagImageName(int languageIndex);

public slots:
    void OkClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildAuthorPage();
    QWidget* buildTranslatorsPage();
    QLabel* creditLine(const QString& line, QWidget* parent);
    void openLink(const QString& url);

    AppPaths m_paths;
    DesktopShell& m_shell;

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLabel* LabelAuthor = nullptr;
    QLabel* LabelLanguage = nullptr;
    QLabel* LabelFreeware = nullptr;
    QLabel* ImageLogo = nullptr;
    QGroupBox* Grb_Thanks_Developers = nullptr;
    QGroupBox* Grb_Thanks_Others = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QGroupBox* Grb_Thanks_Translators = nullptr;
    QGroupBox* Grb_Thanks_Testers = nullptr;
    QPushButton* Ok = nullptr;
    QList<QLabel*> m_flags;  // by language position
};

}
