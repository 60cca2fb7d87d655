// SPDX-License-Identifier: GPL-2.0-or-later
#include "mediawatcher.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <QTimer>

#include <libudev.h>

namespace trackmill {

namespace {

// CUE sheets are small; anything bigger is not read for its FILE lines.
constexpr qint64 kMaxCueBytes = 256 * 1024;

bool isCueName(const QString& name)
{
    return name.endsWith(QLatin1String(".cue"), Qt::CaseInsensitive);
}

// The file names the FILE lines of a CUE sheet give, as the last path
// component (sheets made on Windows carry backslashes), lower-cased.
QStringList namesOnFileLines(const QFileInfo& cue)
{
    QStringList names;
    if (!cue.isFile() || cue.size() > kMaxCueBytes)
        return names;
    QFile file(cue.absoluteFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return names;
    const QList<QByteArray> lines = file.read(kMaxCueBytes).split('\n');
    for (QByteArray line : lines) {
        line = line.trimmed();
        if (!line.toUpper().startsWith("FILE "))
            continue;
        QByteArray name = line.mid(5).trimmed();
        if (name.startsWith('"')) {
            const qsizetype close = name.indexOf('"', 1);
            name = close > 0 ? name.mid(1, close - 1) : QByteArray();
        } else {
            name = name.left(name.indexOf(' '));
        }
        name = name.mid(qMax(name.lastIndexOf('/'), name.lastIndexOf('\\')) + 1);
        if (!name.isEmpty())
            names.append(QString::fromUtf8(name).toLower());
    }
    return names;
}

}

MediaWatcher::MediaWatcher(Options options, QObject* parent)
    : QObject(parent), m_options(std::move(options))
{
    m_settle = new QTimer(this);
    m_settle->setInterval(m_options.settleMs);
    connect(m_settle, &QTimer::timeout, this, &MediaWatcher::onSettleTick);

    m_folderWatcher = new QFileSystemWatcher(this);
    connect(m_folderWatcher, &QFileSystemWatcher::directoryChanged, this,
            &MediaWatcher::onFolderTouched);
    connect(m_folderWatcher, &QFileSystemWatcher::fileChanged, this,
            &MediaWatcher::onFolderTouched);
    m_reported = takeSnapshot();
    m_lastSeen = m_reported;
    rewatch();

    if (m_options.watchDrives)
        setupUdev();
}

MediaWatcher::~MediaWatcher()
{
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    if (m_udev)
        udev_unref(m_udev);
}

void MediaWatcher::setupUdev()
{
    m_udev = udev_new();
    if (!m_udev)
        return;
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (!m_monitor || udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "block", nullptr) < 0
        || udev_monitor_enable_receiving(m_monitor) < 0) {
        if (m_monitor)
            udev_monitor_unref(m_monitor);
        m_monitor = nullptr;
        return;
    }
    m_notifier = new QSocketNotifier(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &MediaWatcher::onUdevReadable);
}

void MediaWatcher::onUdevReadable()
{
    // Drain everything that is queued; only optical drives count.
    while (udev_device* device = udev_monitor_receive_device(m_monitor)) {
        const char* cdrom = udev_device_get_property_value(device, "ID_CDROM");
        const char* action = udev_device_get_action(device);
        if (cdrom && qstrcmp(cdrom, "1") == 0 && action) {
            const QByteArray a(action);
            const bool mediaEvent =
                qstrcmp(udev_device_get_property_value(device, "DISK_MEDIA_CHANGE"), "1") == 0
                || qstrcmp(udev_device_get_property_value(device, "DISK_EJECT_REQUEST"), "1") == 0;
            if (a == "add" || a == "remove" || (a == "change" && mediaEvent)) {
                m_drivePending = true;
                const bool hasMedium =
                    qstrcmp(udev_device_get_property_value(device, "ID_CDROM_MEDIA"), "1") == 0;
                if (a != "remove" && hasMedium)
                    m_driveArrived = QString::fromLocal8Bit(udev_device_get_devnode(device));
            }
        }
        udev_device_unref(device);
    }
    if (m_drivePending && !m_settle->isActive())
        m_settle->start();
}

void MediaWatcher::onFolderTouched()
{
    rewatch();
    // Restart the settle interval on every touch: the folder is still moving.
    m_settle->start();
}

void MediaWatcher::onSettleTick()
{
    const Snapshot now = takeSnapshot();
    const bool folderStill = now == m_lastSeen;
    m_lastSeen = now;
    if (!folderStill) {
        rewatch();
        return;  // keep polling until two ticks agree
    }
    m_settle->stop();
    const bool folderChanged = now != m_reported;
    // An image that is new in the folder is the medium that arrived.
    QString arrived = m_driveArrived;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (!m_reported.contains(it.key())
            && isCueName(it.key())) {
            arrived = QDir(m_options.discsDir).absoluteFilePath(it.key());
            break;
        }
    }
    m_reported = now;
    if (folderChanged || m_drivePending) {
        m_drivePending = false;
        m_driveArrived.clear();
        Q_EMIT mediaChanged(arrived);
    }
}

void MediaWatcher::rewatch()
{
    if (m_options.discsDir.isEmpty())
        return;
    // Watch the folder and each file of an image in it (a copy grows the
    // file without touching the folder); until the folder exists, watch its
    // parent.
    const QFileInfo dir(m_options.discsDir);
    QStringList wanted;
    if (dir.isDir()) {
        wanted.append(dir.absoluteFilePath());
        const QDir folder(dir.absoluteFilePath());
        for (const QString& name : takeSnapshot().keys())
            wanted.append(folder.absoluteFilePath(name));
    } else if (dir.absoluteDir().exists()) {
        wanted.append(dir.absolutePath());
    }
    QStringList watched = m_folderWatcher->files() + m_folderWatcher->directories();
    QStringList stale;
    for (const QString& path : watched) {
        if (!wanted.contains(path))
            stale.append(path);
    }
    if (!stale.isEmpty())
        m_folderWatcher->removePaths(stale);
    QStringList fresh;
    for (const QString& path : wanted) {
        if (!watched.contains(path))
            fresh.append(path);
    }
    if (!fresh.isEmpty())
        m_folderWatcher->addPaths(fresh);
}

MediaWatcher::Snapshot MediaWatcher::takeSnapshot() const
{
    Snapshot snapshot;
    if (m_options.discsDir.isEmpty())
        return snapshot;
    // Only disc images count: the CUE sheets and the files their FILE lines
    // name. Notes, covers or rips kept beside them are no media event.
    const QFileInfoList files = QDir(m_options.discsDir).entryInfoList(QDir::Files);
    QStringList imageFiles;
    for (const QFileInfo& f : files) {
        if (isCueName(f.fileName()))
            imageFiles += namesOnFileLines(f);
    }
    for (const QFileInfo& f : files) {
        if (isCueName(f.fileName()) || imageFiles.contains(f.fileName().toLower()))
            snapshot.insert(f.fileName(), FileState{f.size(), f.lastModified()});
    }
    return snapshot;
}

}
