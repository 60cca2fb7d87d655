// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QKeySequence>
#include <QToolButton>

namespace trackmill {

// A toolbar button with its picture above its caption, 60 pixels high and
// at least the designed 57 wide, wider when the caption of the language in
// use needs it. The caption keeps the blanks it was given (language files
// centre captions with blanks for fixed-width buttons); they are neither
// drawn nor measured, since the style centres the caption itself and the
// blanks would only push it into elision in a proportional font.
//
// Its tool tip is the tool tip the language gave it, else the caption as it
// stands, with the shortcut of its command when it has one, so it follows
// every change of language.
class ToolbarButton : public QToolButton
{
    Q_OBJECT
public:
    static constexpr int kMinimumWidth = 57;  // pixels
    static constexpr int kHeight = 60;        // pixels

    explicit ToolbarButton(QWidget* parent = nullptr);

    // The key that runs this button's command, named in the tool tip.
    void setShortcutHint(const QKeySequence& keys) { m_shortcutHint = keys; }
    QString toolTipText() const;
    // Whether the caption is wider than the button leaves it.
    bool captionElided() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int captionWidth() const;

    QKeySequence m_shortcutHint;
};

}
