// SPDX-License-Identifier: GPL-2.0-or-later
// The settings window's CD ROM tab: the drive lists, the ripping options
// and the ripping library's version lines.
#pragma once

#include <QWidget>

class QComboBox;

namespace trackmill {

class DriveList;

class CdRomPage : public QWidget
{
    Q_OBJECT
public:
    explicit CdRomPage(QWidget* parent);

    // CDROMUnit: the drives' identifications, the user's choice.
    QComboBox* driveUnits() const { return m_cdromUnit; }
    // Shows the drive library's list in CDROMUnit and its addresses in the
    // hidden list cd, without reporting a choice.
    void showDriveList(const DriveList& drives);

private:
    QComboBox* m_cdromUnit = nullptr;
    QComboBox* m_cd = nullptr;
};

}
