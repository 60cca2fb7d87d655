// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "lookupcandidate.h"

#include <QList>
#include <QString>

namespace trackmill {

// What the freedb commands need of the windows: the main window's disc
// summary, the connection window's status and the pointer's shape. The
// program's windows implement it; the core never sees them.
class FreedbViews
{
public:
    virtual ~FreedbViews() = default;

    // The main window reads the disc again: its TOC, the summary of the
    // status bar, and all tracks ticked or none by SELECTALL.
    virtual void rereadDisc() = 0;
    // The drive (device or image path) of the last medium that arrived.
    virtual QString lastArrivalDrive() const = 0;
    // The connection window, its status emptied, centred and modal.
    virtual void showConnectionWindow() = 0;
    virtual void setStatus(const QString& text) = 0;
    // The connection window and the main window painted now, before a
    // request keeps the thread.
    virtual void repaintNow() = 0;
    // The busy pointer, on for as long as a request runs.
    virtual void setBusy(bool busy) = 0;
    // The source the connection window looks up at: 0 CDDB, 1 MusicBrainz.
    virtual int source() const = 0;
    // The matches the user chooses from; an empty list puts the choice away.
    virtual void showCandidates(const QList<LookupCandidate>& candidates) = 0;
};

}
