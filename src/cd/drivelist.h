// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QObject>
#include <QStringList>

namespace trackmill {

// The two drive lists of the settings window, kept in one place: the
// visible list CDROMUnit (identification texts) and the hidden list cd
// (host adapter, target and LUN as three digits, "100"), same order, with
// one selected entry shared by both. The settings window binds to this;
// until it exists the main window reads it directly.
class DriveList : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    const QStringList& identifications() const { return m_ids; }
    const QStringList& addresses() const { return m_addresses; }
    int count() const { return int(m_ids.size()); }
    // -1 while the lists are empty.
    int selectedIndex() const { return m_selected; }
    QString selectedIdentification() const;
    QString selectedAddress() const;

    void clear();
    void append(const QString& identification, const QString& address);
    // Out-of-range indexes are ignored (an empty list keeps -1).
    void setSelectedIndex(int index);

Q_SIGNALS:
    void changed();

private:
    QStringList m_ids;
    QStringList m_addresses;
    int m_selected = -1;
};

}
