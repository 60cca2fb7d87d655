// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace trackmill::pictures {

// The toolbar pictures, 50 by 40 pixels, drawn here so that the program
// needs no icon theme. Highlighted: the brighter variant shown under the
// mouse pointer.
enum class Command { Refresh, Wav, Mp3, Flac, FreeDb, Settings, Id3, About };
QPixmap toolbarPicture(Command command, bool highlighted);
// Normal picture, highlighted picture for the Active mode.
QIcon toolbarIcon(Command command);

// Selection cell pictures of the track grid: a ticked green box and an
// empty grey box, 15 by 15, told apart at a glance.
QPixmap selectedRow();
QPixmap unselectedRow();

// Status bar panels 0 (select all) and 1 (select none), 16 by 16.
QPixmap selectAll();
QPixmap selectNone();

// A country flag of famfamfam-flag-png (16 by 11) by file stem, for example
// "de" or "catalonia"; a null pixmap when the file is missing.
QPixmap flag(const QString& stem);
QString flagsDir();

}
