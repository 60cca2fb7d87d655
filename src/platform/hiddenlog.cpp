// SPDX-License-Identifier: GPL-2.0-or-later
#include "hiddenlog.h"

namespace trackmill {

void HiddenLog::add(const QString& line)
{
    m_lines.append(line);
    Q_EMIT lineAdded(line);
}

void HiddenLog::clear()
{
    m_lines.clear();
    Q_EMIT cleared();
}

}
