// SPDX-License-Identifier: GPL-2.0-or-later
#include "inifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trackmill {

IniFile::IniFile(QString path)
    : m_path(std::move(path))
{
}

bool IniFile::readBytes(QByteArray* bytes, QString* error) const
{
    QFile file(m_path);
    if (!file.exists()) {
        bytes->clear();
        return true;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    *bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        *error = file.errorString();
        return false;
    }
    return true;
}

namespace {

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

}

// QSaveFile is not used: Qt 6.4 reports a write that the disk cut short
// (ENOSPC, EFBIG after a partial write) as complete and then renames the
// truncated file over the good one. Every system call is checked here.
bool IniFile::writeAtomically(const QByteArray& bytes, QString* error) const
{
    QFileInfo target(m_path);
    if (target.isSymLink())
        target = QFileInfo(target.symLinkTarget());
    const QString folder = target.absolutePath();
    const QByteArray finalPath = QFile::encodeName(target.absoluteFilePath());

    // 0666 minus the umask for a new file; an existing file keeps its mode.
    struct stat old {};
    const bool exists = ::stat(finalPath.constData(), &old) == 0;
    int fd = -1;
    QByteArray tempPath;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tempPath = QFile::encodeName(
            folder + QStringLiteral("/.") + target.fileName() + QStringLiteral(".")
            + QString::number(QRandomGenerator::global()->generate(), 36));
        fd = ::open(tempPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        *error = systemError(errno);
        return false;
    }
    const auto abandon = [&](int code) {
        ::close(fd);
        ::unlink(tempPath.constData());
        *error = systemError(code);
        return false;
    };

    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return abandon(n < 0 ? errno : ENOSPC);
        done += n;
    }
    if (exists && ::fchmod(fd, old.st_mode & 07777) != 0)
        return abandon(errno);
    if (::fsync(fd) != 0)
        return abandon(errno);
    if (::close(fd) != 0) {
        const int code = errno;
        ::unlink(tempPath.constData());
        *error = systemError(code);
        return false;
    }
    if (::rename(tempPath.constData(), finalPath.constData()) != 0) {
        const int code = errno;
        ::unlink(tempPath.constData());
        *error = systemError(code);
        return false;
    }
    // Make the rename itself durable; failing that is not worth an error.
    const int dirFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

IniDocument IniFile::load() const
{
    QByteArray bytes;
    QString ignored;
    // An unreadable file reads like a missing one, as the profile services do.
    if (!readBytes(&bytes, &ignored))
        return IniDocument();
    return IniDocument::fromBytes(bytes);
}

QByteArray IniFile::readString(QByteArrayView section, QByteArrayView key,
                               const QByteArray& defaultValue) const
{
    return load().value(section, key, defaultValue);
}

int IniFile::readInteger(QByteArrayView section, QByteArrayView key, int defaultValue) const
{
    return load().intValue(section, key, defaultValue);
}

bool IniFile::readBool(QByteArrayView section, QByteArrayView key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

bool IniFile::writeString(QByteArrayView section, QByteArrayView key, const QByteArray& value)
{
    return update([&](IniDocument& doc) { doc.setValue(section, key, value); });
}

bool IniFile::writeInteger(QByteArrayView section, QByteArrayView key, int value)
{
    return writeString(section, key, QByteArray::number(value));
}

bool IniFile::writeBool(QByteArrayView section, QByteArrayView key, bool value)
{
    return writeString(section, key, value ? "1" : "0");
}

bool IniFile::update(const std::function<void(IniDocument&)>& change)
{
    m_error.clear();
    const QString fullPath = QFileInfo(m_path).absoluteFilePath();
    const auto fail = [&](const QString& reason) {
        m_error = QStringLiteral("Unable to write to %1: %2").arg(fullPath, reason);
        return false;
    };

    QByteArray before;
    QString readError;
    // Writing over a file we could not read would throw its other lines away.
    if (!readBytes(&before, &readError))
        return fail(readError);
    IniDocument doc = IniDocument::fromBytes(before);
    change(doc);
    const QByteArray after = doc.toBytes();
    // Nothing changed: no rewrite, and no empty file made by a removal.
    if (after == before && (after.isEmpty() || QFileInfo::exists(m_path)))
        return true;

    if (!writeAtomically(after, &readError))
        return fail(readError);
    return true;
}

}
