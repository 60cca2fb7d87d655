// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QObject>
#include <QStringList>

namespace trackmill {

// The hidden log: the lines of the main window's invisible memo Memo1.
// Diagnostic texts and the CDDB disc information go here and nowhere else
// (there is no log file); the memo shows this list.
class HiddenLog : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    void add(const QString& line);
    void clear();
    const QStringList& lines() const { return m_lines; }

Q_SIGNALS:
    void lineAdded(const QString& line);
    void cleared();

private:
    QStringList m_lines;
};

}
