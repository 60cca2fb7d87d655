// SPDX-License-Identifier: GPL-2.0-or-later
#include "intermediatewav.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace trackmill::IntermediateWav {

namespace {

QString withSlash(const QString& directory)
{
    return directory.endsWith(QLatin1Char('/')) ? directory : directory + QLatin1Char('/');
}

QString reason(const QString& path, int code)
{
    return path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(code));
}

}

QString create(const QString& directory, const QString& baseName, QString* error)
{
    // The hidden name only has to be unique, not readable in full: a short
    // part of the base keeps it within the 255 bytes of a file name.
    const QString path = withSlash(directory) + QLatin1Char('.') + baseName.left(40) + QStringLiteral(".XXXXXX.wav");
    QByteArray name = QFile::encodeName(path);
    const int fd = ::mkstemps(name.data(), 4);
    if (fd < 0) {
        if (error)
            *error = reason(path, errno);
        return {};
    }
    ::close(fd);
    return QFile::decodeName(name);
}

QString keep(const QString& path, const QString& directory, const QString& baseName, QString* error)
{
    const QByteArray from = QFile::encodeName(path);
    for (int n = 1; n < 1000; ++n) {
        const QString target = withSlash(directory) + baseName
            + (n == 1 ? QString() : QStringLiteral(" (%1)").arg(n)) + QStringLiteral(".wav");
        const QByteArray to = QFile::encodeName(target);
        // link() fails when the name is taken: no file is ever replaced.
        if (::link(from.constData(), to.constData()) == 0) {
            ::unlink(from.constData());
            return target;
        }
        // File systems without hard links (FAT on a memory stick) get a
        // rename that refuses to replace, or where even that is missing a
        // look before the rename.
        if (errno == EPERM || errno == EOPNOTSUPP || errno == EMLINK) {
            if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
                return target;
            if (errno == EINVAL) {
                if (QFile::exists(target))
                    errno = EEXIST;
                else if (::rename(from.constData(), to.constData()) == 0)
                    return target;
            }
        }
        if (errno != EEXIST) {
            if (error)
                *error = reason(target, errno);
            return {};
        }
    }
    if (error)
        *error = reason(withSlash(directory) + baseName + QStringLiteral(".wav"), EEXIST);
    return {};
}

}
