// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

namespace trackmill {

// The program's modal message boxes, each with one OK button. Windows get
// this through their constructors; the GUI passes QtMessageBoxes, tests a
// recording fake. Every call returns after the user pressed OK.
class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    virtual void warning(const QString& text) = 0;
    virtual void error(const QString& text) = 0;
    virtual void information(const QString& text) = 0;
};

}
