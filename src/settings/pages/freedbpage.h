// SPDX-License-Identifier: GPL-2.0-or-later
// The settings window's FreeDB tab: the CDDB server fields, the lookup
// options, the proxy, where else names are looked up, and the ripping
// library's version lines.
#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace trackmill {

class FreedbPage : public QWidget
{
    Q_OBJECT
public:
    explicit FreedbPage(QWidget* parent);

    // Rule 4 of the window: the proxy's labels and edits follow Use_Proxy,
    // and the edits show the window colour when on, button face when off.
    void applyEnablingRules();

Q_SIGNALS:
    void ruleBoxToggled();

private:
    QCheckBox* m_useProxy = nullptr;
    QLabel* m_labelServerProxy = nullptr;
    QLabel* m_labelPortProxy = nullptr;
    QLineEdit* m_serverProxy = nullptr;
    QLineEdit* m_portProxy = nullptr;
};

}
