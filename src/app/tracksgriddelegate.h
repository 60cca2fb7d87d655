// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QStyledItemDelegate>
#include <functional>

namespace trackmill {

// Paints every cell of TracksGrid and provides the in-place name editor.
// Navy text on the grid colour; the selection column is white and shows a
// ticked or an empty box while an audio disc is in the drive; the focused
// name cell is drawn on the tooltip colour in green with a focus rectangle.
// On a palette where navy or green would not read, the nearest readable
// shade of each is used, and the selection column takes the grid colour.
// The editor writes each change of its text straight into the model.
class TracksGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    TracksGridDelegate(std::function<bool()> audioDisc, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;

Q_SIGNALS:
    // Each change of the in-place editor's text, once it is in the model.
    void nameTyped(int row, const QString& text);

private:
    std::function<bool()> m_audioDisc;
};

}
