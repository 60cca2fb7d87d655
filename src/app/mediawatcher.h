// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QDateTime>
#include <QMap>
#include <QObject>
#include <QString>

class QFileSystemWatcher;
class QSocketNotifier;
class QTimer;
struct udev;
struct udev_monitor;

namespace trackmill {

// Tells when a medium arrived or left: a udev monitor on optical block
// devices (media change and eject events), and a watch on the Discs folder,
// where a disc image added or removed counts as a medium arriving or
// leaving. Both end in mediaChanged(). In the folder only a CUE sheet and
// the files its FILE lines name are an image; other files are not watched.
//
// Of a drive, only media changes and eject requests count (udev's
// DISK_MEDIA_CHANGE, DISK_EJECT_REQUEST), and drives coming or going.
//
// A change in the folder is reported once the folder has stood still for
// one settle interval, so an image that is still being copied is seen when
// it is complete (about half a second after the last write).
class MediaWatcher : public QObject
{
    Q_OBJECT
public:
    struct Options
    {
        QString discsDir;
        bool watchDrives = true;  // the udev monitor
        int settleMs = 250;       // folder poll interval while it changes
    };

    explicit MediaWatcher(Options options, QObject* parent = nullptr);
    ~MediaWatcher() override;

    // Whether the udev monitor could be set up (no udev in a container).
    bool watchingDrives() const { return m_monitor != nullptr; }

Q_SIGNALS:
    // arrivedDrive: the device path or image path of a medium that arrived,
    // empty when media only left.
    void mediaChanged(const QString& arrivedDrive);

private:
    struct FileState
    {
        qint64 size = 0;
        QDateTime modified;
        bool operator==(const FileState&) const = default;
    };
    using Snapshot = QMap<QString, FileState>;

    void setupUdev();
    void onUdevReadable();
    void onFolderTouched();
    void onSettleTick();
    void rewatch();
    Snapshot takeSnapshot() const;

    Options m_options;
    udev* m_udev = nullptr;
    udev_monitor* m_monitor = nullptr;
    QSocketNotifier* m_notifier = nullptr;
    QFileSystemWatcher* m_folderWatcher = nullptr;
    QTimer* m_settle = nullptr;
    Snapshot m_reported;   // the folder as last reported
    Snapshot m_lastSeen;   // the folder at the previous settle tick
    bool m_drivePending = false;
    QString m_driveArrived;  // device node of the last medium inserted
};

}
