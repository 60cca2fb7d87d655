// SPDX-License-Identifier: GPL-2.0-or-later
// Small makers of the settings window's controls, shared by its pages.
#pragma once

#include <QPalette>
#include <QString>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSlider;
class QWidget;

namespace trackmill::settingspages {

template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* label(const char* name, const QString& text, QWidget* parent);
QCheckBox* checkBox(const char* name, const QString& text, QWidget* parent);
QComboBox* list(const char* name, const QStringList& entries, int rows, QWidget* parent);
// A track bar of 0 to Settings::kTrackBarMax, one tick per step.
QSlider* slider(const char* name, QWidget* parent);
// The edit's background in the application palette's colour of role.
void setBackground(QLineEdit* edit, QPalette::ColorRole role);
// A read-only field on the tooltip background, for values the user cannot change.
QLineEdit* fixedField(const char* name, const QString& text, QWidget* parent);

}
