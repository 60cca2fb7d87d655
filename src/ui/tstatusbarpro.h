// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "tstatuspanelpro.h"

#include <QList>
#include <QWidget>

namespace trackmill {

// A status bar of fixed-width panels drawn side by side from the left. A
// left click on a panel emits its click(), a right click opens its popup
// menu. The last panel does not stretch; the rest of the bar stays empty.
// A text too long for its panel is elided and shown whole as a tool tip.
class TStatusBarPro : public QWidget
{
    Q_OBJECT
public:
    explicit TStatusBarPro(QWidget* parent = nullptr);

    TStatusPanelPro* addPanel(int width);
    TStatusPanelPro* panel(int index) const { return m_panels.value(index); }
    int panelCount() const { return int(m_panels.size()); }
    // The panel's rectangle in this widget's coordinates.
    QRect panelRect(int index) const;
    int panelAt(const QPoint& pos) const;

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // Where the panel's text goes: inside the bevel, after its picture.
    QRect textRect(int index) const;

    QList<TStatusPanelPro*> m_panels;
};

}
