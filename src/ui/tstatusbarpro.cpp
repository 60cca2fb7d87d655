// SPDX-License-Identifier: GPL-2.0-or-later
#include "tstatusbarpro.h"

#include <QHelpEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <qdrawutil.h>

#include <algorithm>

namespace trackmill {

namespace {
const int kHeight = 24;     // pixels
const int kGap = 2;         // pixels between panels
const int kTextInset = 3;   // pixels between the bevel and the text, each side
const int kPictureGap = 3;  // pixels between a picture and its text
// A stretching panel gives room back down to this, never to nothing.
const int kSmallestStretch = 40;  // pixels
}

TStatusBarPro::TStatusBarPro(QWidget* parent) : QWidget(parent)
{
    setFixedHeight(kHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

TStatusPanelPro* TStatusBarPro::addPanel(int width)
{
    auto* panel = new TStatusPanelPro(width, this);
    connect(panel, &TStatusPanelPro::changed, this, [this] {
        updateGeometry();
        update();
        Q_EMIT sizeHintChanged();
    });
    m_panels.append(panel);
    update();
    return panel;
}

void TStatusBarPro::setStretchPanel(int index)
{
    m_stretch = index;
    update();
}

int TStatusBarPro::neededWidth(int index) const
{
    const TStatusPanelPro* p = m_panels.value(index);
    if (!p)
        return 0;
    int need = 2 * kTextInset;
    if (!p->text().isEmpty())
        need += fontMetrics().horizontalAdvance(p->text()) + 1;  // +1: the advance rounds down
    if (!p->picture().isNull()) {
        need += p->picture().deviceIndependentSize().toSize().width();
        if (!p->text().isEmpty())
            need += kPictureGap;
    }
    return need;
}

int TStatusBarPro::preferredWidth(int index) const
{
    // A panel with a text is as wide as the text needs; the designed width
    // holds the place of an empty one and sizes a picture's.
    const TStatusPanelPro* p = m_panels.at(index);
    return p->text().isEmpty() ? p->width() : neededWidth(index);
}

QList<int> TStatusBarPro::panelWidths() const
{
    QList<int> widths;
    int total = 0;
    for (int i = 0; i < m_panels.size(); ++i) {
        widths.append(preferredWidth(i));
        total += widths.last() + kGap;
    }
    if (m_stretch >= 0 && m_stretch < widths.size()) {
        // Room left over goes to the stretching panel; room missing comes
        // from it first. Panels after it are pushed off the edge only when
        // it is down to its smallest.
        int& w = widths[m_stretch];
        w = std::max(std::min(w, kSmallestStretch), w + width() - total);
    }
    return widths;
}

QRect TStatusBarPro::panelRect(int index) const
{
    const QList<int> widths = panelWidths();
    int x = 0;
    for (int i = 0; i < widths.size(); ++i) {
        if (i == index)
            return QRect(x, 2, widths.at(i), height() - 2);
        x += widths.at(i) + kGap;
    }
    return {};
}

bool TStatusBarPro::textElided(int index) const
{
    const TStatusPanelPro* p = m_panels.value(index);
    return p && !p->text().isEmpty()
        && fontMetrics().horizontalAdvance(p->text()) > textRect(index).width();
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
    for (int i = 0; i < m_panels.size(); ++i)
        w += preferredWidth(i) + kGap;
    return QSize(w, kHeight);
}

QRect TStatusBarPro::textRect(int index) const
{
    const TStatusPanelPro* p = m_panels.at(index);
    QRect inner = panelRect(index).adjusted(kTextInset, 1, -kTextInset, -1);
    if (!p->picture().isNull() && !p->text().isEmpty())
        inner.setLeft(inner.x() + p->picture().deviceIndependentSize().toSize().width() + kPictureGap);
    return inner;
}

bool TStatusBarPro::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    // A text cut short (the bar narrower than its panels need) is shown
    // whole when the mouse rests on it.
    auto* help = static_cast<QHelpEvent*>(event);
    const int index = panelAt(help->pos());
    if (index >= 0 && textElided(index))
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
