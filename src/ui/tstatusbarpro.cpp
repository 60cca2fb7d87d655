// SPDX-License-Identifier: GPL-2.0-or-later
#include "tstatusbarpro.h"

#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <qdrawutil.h>

namespace trackmill {

namespace {
const int kHeight = 24;     // pixels
const int kGap = 2;         // pixels between panels
}

TStatusBarPro::TStatusBarPro(QWidget* parent) : QWidget(parent)
{
    setFixedHeight(kHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

TStatusPanelPro* TStatusBarPro::addPanel(int width)
{
    auto* panel = new TStatusPanelPro(width, this);
    connect(panel, &TStatusPanelPro::changed, this, qOverload<>(&QWidget::update));
    m_panels.append(panel);
    update();
    return panel;
}

QRect TStatusBarPro::panelRect(int index) const
{
    int x = 0;
    for (int i = 0; i < m_panels.size(); ++i) {
        const int w = m_panels.at(i)->width();
        if (i == index)
            return QRect(x, 2, w, height() - 2);
        x += w + kGap;
    }
    return {};
}

int TStatusBarPro::panelAt(const QPoint& pos) const
{
    for (int i = 0; i < m_panels.size(); ++i) {
        if (panelRect(i).contains(pos))
            return i;
    }
    return -1;
}

QSize TStatusBarPro::sizeHint() const
{
    int w = 0;
    for (const TStatusPanelPro* p : m_panels)
        w += p->width() + kGap;
    return QSize(w, kHeight);
}

QRect TStatusBarPro::textRect(int index) const
{
    const TStatusPanelPro* p = m_panels.at(index);
    QRect inner = panelRect(index).adjusted(3, 1, -3, -1);
    if (!p->picture().isNull() && !p->text().isEmpty())
        inner.setLeft(inner.x() + p->picture().deviceIndependentSize().toSize().width() + 3);
    return inner;
}

bool TStatusBarPro::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    // A text cut short in its fixed-width panel (a long system name, a
    // long translation) is shown whole when the mouse rests on it.
    auto* help = static_cast<QHelpEvent*>(event);
    const int index = panelAt(help->pos());
    if (index >= 0 && fontMetrics().horizontalAdvance(m_panels.at(index)->text()) > textRect(index).width())
        QToolTip::showText(help->globalPos(), m_panels.at(index)->text(), this, panelRect(index));
    else
        QToolTip::hideText();
    return true;
}

void TStatusBarPro::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    for (int i = 0; i < m_panels.size(); ++i) {
        const TStatusPanelPro* p = m_panels.at(i);
        const QRect r = panelRect(i);
        if (p->bevel() != TStatusPanelPro::Bevel::None)
            qDrawShadePanel(&painter, r, palette(), p->bevel() == TStatusPanelPro::Bevel::Lowered, 1);
        const QRect inner = textRect(i);
        if (!p->picture().isNull()) {
            const QPixmap& pic = p->picture();
            const QSize size = pic.deviceIndependentSize().toSize();
            // Alone in the panel the picture is centred; with a text it leads.
            const int x = p->text().isEmpty() ? r.x() + (r.width() - size.width()) / 2 : r.x() + 3;
            painter.drawPixmap(QPoint(x, r.y() + (r.height() - size.height()) / 2), pic);
        }
        if (!p->text().isEmpty()) {
            painter.setPen(palette().color(QPalette::WindowText));
            const QString shown =
                fontMetrics().elidedText(p->text(), Qt::ElideRight, inner.width());
            painter.drawText(inner, int(p->alignment()) | Qt::TextSingleLine, shown);
        }
    }
}

void TStatusBarPro::mousePressEvent(QMouseEvent* event)
{
    const int index = panelAt(event->position().toPoint());
    if (index < 0)
        return;
    TStatusPanelPro* p = m_panels.at(index);
    if (event->button() == Qt::LeftButton)
        Q_EMIT p->click();
    else if (event->button() == Qt::RightButton && p->popupMenu())
        p->popupMenu()->popup(event->globalPosition().toPoint());
}

}
