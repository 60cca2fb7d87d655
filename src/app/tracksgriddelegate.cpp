// SPDX-License-Identifier: GPL-2.0-or-later
#include "tracksgriddelegate.h"

#include "ui/pictures.h"
#include "ui/readablecolour.h"

#include <QApplication>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>

namespace trackmill {

namespace {
const QColor kNavy(0, 0, 128);
const QColor kGreen(0, 128, 0);
// Pictures sit 5 pixels in from the cell's left edge.
const int kPictureInset = 5;
}

TracksGridDelegate::TracksGridDelegate(std::function<bool()> audioDisc, QObject* parent)
    : QStyledItemDelegate(parent), m_audioDisc(std::move(audioDisc))
{
}

void TracksGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const
{
    painter->save();
    const QRect r = option.rect;
    const QString text = index.data(Qt::DisplayRole).toString();
    if (index.column() == 0) {
        // White as designed; on a dark palette the grid's own base, so the
        // column is no glaring stripe and the boxes keep their contrast.
        painter->fillRect(r, isDarkPalette(option.palette) ? option.palette.color(QPalette::Base)
                                                           : QColor(Qt::white));
        if (m_audioDisc()) {
            static const QPixmap ticked = pictures::selectedRow();
            static const QPixmap empty = pictures::unselectedRow();
            painter->drawPixmap(r.x() + kPictureInset, r.y() + 1,
                                text == QLatin1String("1") ? ticked : empty);
        }
        painter->restore();
        return;
    }
    const bool focusedName = index.column() == 1 && (option.state & QStyle::State_HasFocus);
    if (focusedName) {
        const QColor background = option.palette.color(QPalette::ToolTipBase);
        painter->fillRect(r, background);
        painter->setPen(readableOn(kGreen, background));
    } else {
        const QColor background = option.palette.color(QPalette::Base);
        painter->fillRect(r, background);
        painter->setPen(readableOn(kNavy, background));
    }
    painter->setFont(option.font);
    painter->drawText(r.adjusted(1, 1, -1, -1), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                      text);
    if (focusedName) {
        QStyleOptionFocusRect focus;
        focus.rect = r.adjusted(1, 1, -1, -1);
        focus.palette = option.palette;
        focus.state = QStyle::State_HasFocus;
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
    painter->restore();
}

QWidget* TracksGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                          const QModelIndex& index) const
{
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
        auto* self = const_cast<TracksGridDelegate*>(this);
        const int row = index.row() + 1;
        connect(line, &QLineEdit::textEdited, self, [self, line, row] {
            Q_EMIT self->commitData(line);
            Q_EMIT self->nameTyped(row, line->text());
        });
    }
    return editor;
}

}
