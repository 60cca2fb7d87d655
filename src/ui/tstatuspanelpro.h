// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QObject>
#include <QPixmap>
#include <QString>

class QMenu;

namespace trackmill {

// One panel of TStatusBarPro: a picture, a text, an alignment, a bevel, a
// click event and a popup menu shown on a right click.
class TStatusPanelPro : public QObject
{
    Q_OBJECT
public:
    enum class Bevel { None, Lowered, Raised };

    explicit TStatusPanelPro(int width, QObject* parent = nullptr);

    int width() const { return m_width; }
    void setWidth(int width);
    const QString& text() const { return m_text; }
    void setText(const QString& text);
    const QPixmap& picture() const { return m_picture; }
    void setPicture(const QPixmap& picture);
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment);
    Bevel bevel() const { return m_bevel; }
    void setBevel(Bevel bevel);
    QMenu* popupMenu() const { return m_popupMenu; }
    void setPopupMenu(QMenu* menu) { m_popupMenu = menu; }

Q_SIGNALS:
    void click();
    void changed();

private:
    int m_width;
    QString m_text;
    QPixmap m_picture;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
    Bevel m_bevel = Bevel::Lowered;
    QMenu* m_popupMenu = nullptr;
};

}
