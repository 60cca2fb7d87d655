// SPDX-License-Identifier: GPL-2.0-or-later
#include "toolbarbutton.h"

#include <QStyleOptionToolButton>
#include <QStylePainter>

namespace trackmill {

void ToolbarButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    option.text = option.text.trimmed();
    painter.drawComplexControl(QStyle::CC_ToolButton, option);
}

}
