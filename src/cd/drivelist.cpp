// SPDX-License-Identifier: GPL-2.0-or-later
#include "drivelist.h"

namespace trackmill {

QString DriveList::selectedIdentification() const
{
    return m_selected >= 0 ? m_ids.at(m_selected) : QString();
}

QString DriveList::selectedAddress() const
{
    return m_selected >= 0 ? m_addresses.at(m_selected) : QString();
}

void DriveList::clear()
{
    m_ids.clear();
    m_addresses.clear();
    m_selected = -1;
    Q_EMIT changed();
}

void DriveList::append(const QString& identification, const QString& address)
{
    m_ids.append(identification);
    m_addresses.append(address);
    Q_EMIT changed();
}

void DriveList::setSelectedIndex(int index)
{
    if (index < 0 || index >= m_ids.size() || index == m_selected)
        return;
    m_selected = index;
    Q_EMIT changed();
}

}
