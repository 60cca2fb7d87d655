// SPDX-License-Identifier: GPL-2.0-or-later
#include "tstatuspanelpro.h"

namespace trackmill {

TStatusPanelPro::TStatusPanelPro(int width, QObject* parent) : QObject(parent), m_width(width) {}

void TStatusPanelPro::setWidth(int width)
{
    m_width = width;
    Q_EMIT changed();
}

void TStatusPanelPro::setText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    Q_EMIT changed();
}

void TStatusPanelPro::setPicture(const QPixmap& picture)
{
    m_picture = picture;
    Q_EMIT changed();
}

void TStatusPanelPro::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    Q_EMIT changed();
}

void TStatusPanelPro::setBevel(Bevel bevel)
{
    m_bevel = bevel;
    Q_EMIT changed();
}

}
