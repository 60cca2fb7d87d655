// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "akrip32.h"
#include "drivetray.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace trackmill {

class CdLibrary;
class DriveList;
class HiddenLog;

// The main window's drive logic: the one open CD handle, the drive lists,
// the drive path table and TOC reads. Every diagnostic text goes to the
// hidden log and nowhere else.
//
// Each drive is known twice: as an entry of the library's drive list
// (through which the handle is opened) and as a device path (eject, the CD
// Player database). The two are paired by position, which holds because
// both list the physical drives first and then the .cue images of the Discs
// folder in name order.
class CdDrives : public DriveTray
{
public:
    struct Options
    {
        QString discsDir;                // where disc images are looked for
        bool listPhysicalDrives = true;  // tests turn this off: no real drive
    };

    CdDrives(CdLibrary& library, HiddenLog& log, DriveList& drives, Options options);
    ~CdDrives() override;

    CdDrives(const CdDrives&) = delete;
    CdDrives& operator=(const CdDrives&) = delete;

    // Clears and refills the drive lists from the library (at most 8 drives)
    // and selects entry 0; logs "CD-ROM drives not found!" when there is none.
    void GetListCDROM();
    // Opens a handle on the library's first drive.
    void GetHandle_FirstCDROM();
    // Opens a handle unless one is open already ("I have already a CD Handle!").
    void FGetHandle(int hostAdapter, int target, int lun);
    // Closes the open handle. With no handle open there is nothing to close:
    // the handle check logs its text and the answer is true, so the caller
    // may open the next drive.
    bool FGetCloseHandle();
    // True when a handle is open; otherwise logs "Need valid CD handle first!".
    bool checkHandle();
    HCDROM handle() const { return m_handle; }

    // Opens the drive selected in the lists (its three-digit address). The
    // open handle must have been closed first; an address that is not three
    // digits opens nothing.
    void openSelectedDrive();

    // Checks the handle, sets parameter 36 (0: block addresses, 1: minutes,
    // seconds, frames) and reads the TOC. False when there is no handle or
    // the read does not answer 1.
    bool readToc(TOC& toc, DWORD addressing);
    // The CD-TEXT lines of the disc in the open drive (ReadCDText), empty
    // when it has none; nothing without a handle or a readable disc.
    std::optional<QString> readCdText();

    // Device paths of the CD-ROM drives: the physical drives in device-name
    // order, then the .cue images of the Discs folder in name order.
    QStringList DetectCD() const;
    // Clears the hidden log, rebuilds the drive path table (numbered from 1)
    // and logs one line per drive; returns entry 1 (empty when no drive).
    QString GetFirstCDROM();
    // Rebuilds the table and returns entry index (1-based; empty when out of range).
    QString GetLetterSelectedCDROM(int index);
    const QStringList& driveTable() const { return m_driveTable; }
    void clearDriveTable() { m_driveTable.clear(); }

    // Logs "AK-Rip Version%d.%d" and returns " AKRIP32.DLL, version %d.%d ".
    QString GetVersionOfAkrip();

    // Opens (true) or closes the tray of the drive at this path. A disc image
    // has no tray: success, nothing done.
    bool OpenCloseCD(const QString& path, bool open);
    bool openTray(const QString& path) override { return OpenCloseCD(path, true); }

    const Options& options() const { return m_options; }
    // A disc image (a .cue file) rather than a drive's device.
    bool isImagePath(const QString& path) const;

private:

    CdLibrary& m_library;
    HiddenLog& m_log;
    DriveList& m_drives;
    Options m_options;
    HCDROM m_handle = 0;
    QStringList m_driveTable;
};

}
