// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "tstatuspanelpro.h"

#include <QList>
#include <QWidget>

namespace trackmill {

// A status bar of panels drawn side by side from the left. A panel with a
// text is as wide as the text needs (a long translation, a long system
// name), an empty one keeps its designed width; one panel may stretch over the room
// left and gives room back first when the bar is too narrow. A left click
// on a panel emits its click(), a right click opens its popup menu. A text
// still too long for its panel is elided and shown whole as a tool tip.
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

    // The panel that takes the room left over (-1: none, the rest of the
    // bar stays empty).
    void setStretchPanel(int index);
    // The width the panel's picture and whole text need, in pixels.
    int neededWidth(int index) const;
    // Whether the panel's text is shown cut short.
    bool textElided(int index) const;

    // Every panel at its needed width.
    QSize sizeHint() const override;

Q_SIGNALS:
    // A panel's text or picture changed what the bar needs.
    void sizeHintChanged();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // Where the panel's text goes: inside the bevel, after its picture.
    QRect textRect(int index) const;
    // The panels' widths as drawn in the bar's present width.
    QList<int> panelWidths() const;
    int preferredWidth(int index) const;

    QList<TStatusPanelPro*> m_panels;
    int m_stretch = -1;
};

}
