// SPDX-License-Identifier: GPL-2.0-or-later
#include "qtmessageboxes.h"

#include <QApplication>
#include <QMessageBox>

namespace trackmill {

namespace {
void show(QMessageBox::Icon icon, const QString& text)
{
    QMessageBox box(icon, QStringLiteral("Trackmill"), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}
}

void QtMessageBoxes::warning(const QString& text)
{
    show(QMessageBox::Warning, text);
}

void QtMessageBoxes::error(const QString& text)
{
    show(QMessageBox::Critical, text);
}

void QtMessageBoxes::information(const QString& text)
{
    show(QMessageBox::Information, text);
}

}
