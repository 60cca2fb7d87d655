// SPDX-License-Identifier: GPL-2.0-or-later
#include "cddrives.h"

#include "platform/hiddenlog.h"
#include "cdlibrary.h"
#include "drivelist.h"

#include <QDir>
#include <QFileInfo>

#include <cdio/cdio.h>
#include <cdio/device.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace trackmill {

namespace {

const char* const kNoDrives = "CD-ROM drives not found!";
const char* const kHaveHandle = "I have already a CD Handle!";
const char* const kNeedHandle = "Need valid CD handle first!";

// The library's drive list, read with a capacity of 8.
CDLIST readDriveList(CdLibrary& library)
{
    CDLIST list;
    std::memset(&list, 0, sizeof list);
    list.max = MAXCDLIST;
    library.getCDList(&list);
    // A count larger than the capacity would read past the records.
    list.num = std::min<BYTE>(list.num, MAXCDLIST);
    return list;
}

QString identification(const CDREC& rec)
{
    // The text is 65 bytes, zero-terminated; do not trust the terminator.
    return QString::fromLocal8Bit(rec.id, int(strnlen(rec.id, sizeof rec.id)));
}

QStringList physicalDrives()
{
    QStringList paths;
    char** devices = cdio_get_devices(DRIVER_DEVICE);
    if (devices) {
        for (char** d = devices; *d; ++d)
            paths.append(QString::fromLocal8Bit(*d));
        cdio_free_device_list(devices);
    }
    std::sort(paths.begin(), paths.end());
    paths.removeDuplicates();
    return paths;
}

}

CdDrives::CdDrives(CdLibrary& library, HiddenLog& log, DriveList& drives, Options options)
    : m_library(library), m_log(log), m_drives(drives), m_options(std::move(options))
{
}

CdDrives::~CdDrives()
{
    if (m_handle)
        m_library.closeCDHandle(m_handle);
}

void CdDrives::GetListCDROM()
{
    m_drives.clear();
    const CDLIST list = readDriveList(m_library);
    if (list.num == 0) {
        m_log.add(QString::fromLatin1(kNoDrives));
        return;
    }
    for (int i = 0; i < list.num; ++i) {
        const CDREC& rec = list.cd[i];
        m_drives.append(identification(rec),
                        QString::number(rec.ha) + QString::number(rec.tgt) + QString::number(rec.lun));
    }
    m_drives.setSelectedIndex(0);
}

void CdDrives::GetHandle_FirstCDROM()
{
    const CDLIST list = readDriveList(m_library);
    if (list.num == 0) {
        m_log.add(QString::fromLatin1(kNoDrives));
        return;
    }
    FGetHandle(list.cd[0].ha, list.cd[0].tgt, list.cd[0].lun);
}

void CdDrives::FGetHandle(int hostAdapter, int target, int lun)
{
    if (m_handle) {
        m_log.add(QString::fromLatin1(kHaveHandle));
        return;
    }
    GETCDHAND request;
    std::memset(&request, 0, sizeof request);
    request.size = sizeof request;
    request.ver = 1;
    request.ha = BYTE(hostAdapter);
    request.tgt = BYTE(target);
    request.lun = BYTE(lun);
    request.readType = 0;
    request.jitterCorr = 0;
    m_handle = m_library.getCDHandle(&request);
    m_log.add(m_handle ? QStringLiteral("Success") : QStringLiteral("Error"));
}

bool CdDrives::checkHandle()
{
    if (m_handle)
        return true;
    m_log.add(QString::fromLatin1(kNeedHandle));
    return false;
}

bool CdDrives::FGetCloseHandle()
{
    if (!checkHandle())
        return true;
    if (m_library.closeCDHandle(m_handle)) {
        m_log.add(QStringLiteral("Success"));
        m_handle = 0;
        return true;
    }
    m_log.add(QStringLiteral("Error"));
    return false;
}

void CdDrives::openSelectedDrive()
{
    const QString address = m_drives.selectedAddress();
    // Three single digits: host adapter, target, LUN.
    if (address.size() < 3 || !address.at(0).isDigit() || !address.at(1).isDigit()
        || !address.at(2).isDigit())
        return;
    FGetHandle(address.at(0).digitValue(), address.at(1).digitValue(), address.at(2).digitValue());
}

bool CdDrives::readToc(TOC& toc, DWORD addressing)
{
    if (!checkHandle())
        return false;
    m_library.modifyCDParms(m_handle, CDP_MSF, addressing);
    std::memset(&toc, 0, sizeof toc);
    return m_library.readTOC(m_handle, &toc) == 1;
}

std::optional<QString> CdDrives::readCdText()
{
    if (!checkHandle())
        return std::nullopt;
    std::vector<char> text(CDTEXT_MAXLEN, '\0');
    if (m_library.readCDText(m_handle, text.data(), CDTEXT_MAXLEN) != SS_COMP)
        return std::nullopt;
    return QString::fromUtf8(text.data(), qsizetype(strnlen(text.data(), CDTEXT_MAXLEN)));
}

QStringList CdDrives::DetectCD() const
{
    QStringList paths;
    if (m_options.listPhysicalDrives)
        paths = physicalDrives();
    if (!m_options.discsDir.isEmpty()) {
        // Name order by bytes, the order the library lists its images in.
        QDir dir(m_options.discsDir);
        QStringList images;
        const QFileInfoList entries = dir.entryInfoList(QDir::Files, QDir::NoSort);
        for (const QFileInfo& info : entries) {
            if (info.suffix().compare(QLatin1String("cue"), Qt::CaseInsensitive) == 0)
                images.append(info.fileName());
        }
        std::sort(images.begin(), images.end(), [](const QString& a, const QString& b) {
            return a.toLocal8Bit() < b.toLocal8Bit();
        });
        for (const QString& name : images)
            paths.append(dir.absoluteFilePath(name));
    }
    return paths;
}

QString CdDrives::GetFirstCDROM()
{
    m_log.clear();
    m_driveTable.clear();
    const QStringList paths = DetectCD();
    for (int i = 0; i < paths.size(); ++i) {
        m_log.add(paths.at(i) + QStringLiteral("  - CD-ROM ") + QString::number(i + 1));
        m_driveTable.append(paths.at(i));
    }
    return m_driveTable.value(0);
}

QString CdDrives::GetLetterSelectedCDROM(int index)
{
    GetFirstCDROM();
    return index >= 1 ? m_driveTable.value(index - 1) : QString();
}

QString CdDrives::GetVersionOfAkrip()
{
    const DWORD v = m_library.version();
    const int major = int((v >> 8) & 0xFF);
    const int minor = int(v & 0xFF);
    m_log.add(QString::asprintf("AK-Rip Version%d.%d", major, minor));
    return QString::asprintf(" AKRIP32.DLL, version %d.%d ", major, minor);
}

bool CdDrives::isImagePath(const QString& path) const
{
    const QFileInfo info(path);
    return info.isFile() && info.suffix().compare(QLatin1String("cue"), Qt::CaseInsensitive) == 0;
}

bool CdDrives::OpenCloseCD(const QString& path, bool open)
{
    if (path.isEmpty())
        return false;
    if (isImagePath(path))
        return true;
    const QByteArray device = QFile::encodeName(path);
    const driver_return_code_t rc = open ? cdio_eject_media_drive(device.constData())
                                         : cdio_close_tray(device.constData(), nullptr);
    return rc == DRIVER_OP_SUCCESS;
}

}
