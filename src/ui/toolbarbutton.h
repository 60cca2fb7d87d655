// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QToolButton>

namespace trackmill {

// A toolbar button of fixed size with its picture above its caption. The
// caption keeps the blanks it was given (language files centre captions with
// blanks for fixed-width buttons); they are not drawn, since the style
// centres the caption itself and the blanks would only push it into
// elision in a proportional font.
class ToolbarButton : public QToolButton
{
    Q_OBJECT
public:
    using QToolButton::QToolButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}
