// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "platform/messageboxes.h"

class QWidget;

namespace trackmill {

// Message boxes as QMessageBox, titled "Trackmill", parented to the window
// that is active when they appear.
class QtMessageBoxes : public MessageBoxes
{
public:
    void warning(const QString& text) override;
    void error(const QString& text) override;
    void information(const QString& text) override;
};

}
