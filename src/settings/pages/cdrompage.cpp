// SPDX-License-Identifier: GPL-2.0-or-later
#include "cdrompage.h"

#include "cd/drivelist.h"
#include "pagewidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace trackmill {

using namespace settingspages;

CdRomPage::CdRomPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("CDROM"));
    auto* layout = new QVBoxLayout(this);

    auto* drives = named(new QGroupBox(this), "GroupBox2");
    auto* grid = new QGridLayout(drives);
    m_cdromUnit = list("CDROMUnit", {}, 8, drives);
    // The drives' addresses ("100": host adapter, target, LUN), same order.
    m_cd = list("cd", {}, 8, drives);
    m_cd->hide();
    auto* type = list("CDROMType", {QStringLiteral("IDE - ATAPI")}, 9, drives);
    type->setCurrentIndex(0);
    grid->addWidget(label("LabelCDROMUnit", QStringLiteral("CD-ROM Unit:"), drives), 0, 0);
    grid->addWidget(m_cdromUnit, 0, 1);
    grid->addWidget(label("LabelCDROMType", QStringLiteral("CD-ROM Type:"), drives), 1, 0);
    grid->addWidget(type, 1, 1);
    grid->setColumnStretch(1, 1);
    layout->addWidget(drives);

    auto* options = named(new QGroupBox(this), "GroupBox5");
    auto* column = new QGridLayout(options);
    const QList<QWidget*> boxes{
        checkBox("SelectAllTracks", QStringLiteral("Select all CD tracks (by default)"), options),
        checkBox("UseCDPlayerINI", QStringLiteral("Use cdplayer.ini"), options),
        checkBox("EjectCDAudio", QStringLiteral("Eject CD Audio when grabbing has been completed"), options),
        checkBox("Cmb_Screensaver", QStringLiteral("Prevent screensaver from starting while grabbing"), options)};
    int row = 0;
    for (QWidget* w : boxes)
        column->addWidget(w, row++, 0, 1, 2);
    auto* execute = list("Cmb_Execute", {QStringLiteral("None"), QStringLiteral("Shutdown"), QStringLiteral("Restart")},
                         3, options);
    column->addWidget(label("LabelExecute", QStringLiteral("After grabbing/encoding execute:"), options), row, 0);
    column->addWidget(execute, row, 1);
    layout->addWidget(options);

    auto* library = named(new QGroupBox(this), "GroupBox6");
    auto* lines = new QVBoxLayout(library);
    lines->addWidget(label("LibraryRipCDROM", QStringLiteral("Library:"), library));
    lines->addWidget(label("CompanyRip", QStringLiteral("Company: AKSoft, AKRIP CD-DA Audio Extraction Library"), library));
    lines->addWidget(label("CopyrightRip", QStringLiteral("Copyright: Trackmill developers, drive access through libcdio"), library));
    layout->addWidget(library);
    layout->addStretch();
}

void CdRomPage::showDriveList(const DriveList& drives)
{
    const QSignalBlocker blockUnit(m_cdromUnit);
    const QSignalBlocker blockCd(m_cd);
    m_cdromUnit->clear();
    m_cd->clear();
    m_cdromUnit->addItems(drives.identifications());
    m_cd->addItems(drives.addresses());
    m_cdromUnit->setCurrentIndex(drives.selectedIndex());
    m_cd->setCurrentIndex(drives.selectedIndex());
}

}
