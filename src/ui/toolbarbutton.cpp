// SPDX-License-Identifier: GPL-2.0-or-later
#include "toolbarbutton.h"

#include <QHelpEvent>
#include <QStyleOptionToolButton>
#include <QStylePainter>
#include <QToolTip>

namespace trackmill {

namespace {
// Room the style keeps between the caption and the button's edges, each side.
const int kCaptionMargin = 4;  // pixels
}

ToolbarButton::ToolbarButton(QWidget* parent) : QToolButton(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

int ToolbarButton::captionWidth() const
{
    return fontMetrics().horizontalAdvance(text().trimmed());
}

QSize ToolbarButton::sizeHint() const
{
    return QSize(std::max(kMinimumWidth, captionWidth() + 2 * kCaptionMargin + 2), kHeight);
}

bool ToolbarButton::captionElided() const
{
    return captionWidth() + 2 * kCaptionMargin > width();
}

QString ToolbarButton::toolTipText() const
{
    QString tip = toolTip();
    if (tip.isEmpty()) {
        tip = text().trimmed();
        tip.remove(QLatin1Char('&'));
    }
    if (!m_shortcutHint.isEmpty())
        tip += QStringLiteral(" (") + m_shortcutHint.toString(QKeySequence::NativeText) + QLatin1Char(')');
    return tip;
}

bool ToolbarButton::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        QToolTip::showText(help->globalPos(), toolTipText(), this);
        return true;
    }
    return QToolButton::event(event);
}

void ToolbarButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    option.text = option.text.trimmed();
    painter.drawComplexControl(QStyle::CC_ToolButton, option);
}

}
