// SPDX-License-Identifier: GPL-2.0-or-later
#include "readingpage.h"

#include "pagewidgets.h"
#include "settings/settings.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace trackmill {

using namespace settingspages;

ReadingPage::ReadingPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("READING"));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    grid->addWidget(label("LabelReadingMode", QStringLiteral("Reading mode:"), this), 0, 0);
    grid->addWidget(list("ReadingMode", {QStringLiteral("Secure"), QStringLiteral("Fast")}, 2, this), 0, 1);
    grid->addWidget(label("LabelReadOffset", QStringLiteral("Read offset (samples):"), this), 1, 0);
    // A field that takes nothing but an offset a drive can have.
    auto* offset = named(new QSpinBox(this), "ReadOffset");
    offset->setRange(-Settings::kMaxReadOffset, Settings::kMaxReadOffset);
    grid->addWidget(offset, 1, 1);
    grid->addWidget(label("LabelAccurateRipServer", QStringLiteral("AccurateRip server:"), this), 2, 0);
    grid->addWidget(named(new QLineEdit(this), "Edt_AccurateRip_Server"), 2, 1);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    layout->addStretch();
}

}
