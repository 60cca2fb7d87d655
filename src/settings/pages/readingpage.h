// SPDX-License-Identifier: GPL-2.0-or-later
// The settings window's Reading tab: verified or fast reads, the drive's
// read offset and the AccurateRip server.
#pragma once

#include <QWidget>

namespace trackmill {

class ReadingPage : public QWidget
{
    Q_OBJECT
public:
    explicit ReadingPage(QWidget* parent);
};

}
