// SPDX-License-Identifier: GPL-2.0-or-later
#include "pagewidgets.h"

#include "settings/settings.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>

namespace trackmill::settingspages {

QLabel* label(const char* name, const QString& text, QWidget* parent)
{
    return named(new QLabel(text, parent), name);
}

QCheckBox* checkBox(const char* name, const QString& text, QWidget* parent)
{
    return named(new QCheckBox(text, parent), name);
}

QComboBox* list(const char* name, const QStringList& entries, int rows, QWidget* parent)
{
    auto* box = named(new QComboBox(parent), name);
    box->addItems(entries);
    box->setMaxVisibleItems(rows);
    return box;
}

QSlider* slider(const char* name, QWidget* parent)
{
    auto* s = named(new QSlider(Qt::Horizontal, parent), name);
    s->setRange(0, Settings::kTrackBarMax);
    s->setSingleStep(1);
    s->setTickInterval(1);
    s->setTickPosition(QSlider::TicksBelow);
    return s;
}

void setBackground(QLineEdit* edit, QPalette::ColorRole role)
{
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, QApplication::palette().color(role));
    edit->setPalette(palette);
}

QLineEdit* fixedField(const char* name, const QString& text, QWidget* parent)
{
    auto* edit = named(new QLineEdit(text, parent), name);
    edit->setReadOnly(true);
    setBackground(edit, QPalette::ToolTipBase);
    return edit;
}

}
