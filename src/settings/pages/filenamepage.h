// SPDX-License-Identifier: GPL-2.0-or-later
// The settings window's FileName tab: the file name scheme, the folder
// switches, the replacements of illegal characters and the output folder.
#pragma once

#include "rip/namingsettings.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace trackmill {

class DesktopShell;

class FileNamePage : public QWidget
{
    Q_OBJECT
public:
    FileNamePage(DesktopShell& shell, QWidget* parent);

    // The naming settings as the controls hold them now.
    NamingSettings namingSettings() const;

    // The folder picker, opened at the folder the output directory field
    // shows (the new user's music folder while the field is empty): the
    // chosen folder with a trailing "/", or empty when the user cancelled.
    QString Browse();
    // The Browse button: a chosen folder goes into the output directory
    // field; a cancelled picker leaves the field as it was.
    void BtnBrowseWAV_MP3Click();

private:
    DesktopShell& m_shell;
    QComboBox* m_fileName = nullptr;
    QCheckBox* m_artistDir = nullptr;
    QCheckBox* m_albumDir = nullptr;
    QCheckBox* m_artistAlbumDir = nullptr;
    QCheckBox* m_artistAlbumYearDir = nullptr;
    QCheckBox* m_split = nullptr;
    QLineEdit* m_character = nullptr;
    QCheckBox* m_replaceSpaces = nullptr;
    QLineEdit* m_replacements[9] = {};
    QLineEdit* m_directory = nullptr;
};

}
