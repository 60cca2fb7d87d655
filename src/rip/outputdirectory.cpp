// SPDX-License-Identifier: GPL-2.0-or-later
#include "outputdirectory.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace trackmill {

namespace {

const QString kSeparator = QStringLiteral(" - ");

QString withTrailingSlash(const QString& path)
{
    if (path.isEmpty() || path.endsWith(QLatin1Char('/')))
        return path;
    return path + QLatin1Char('/');
}

} // namespace

OutputDirectory::OutputDirectory(const OutputNaming& naming, QString directory)
    : m_naming(naming)
    , m_directory(std::move(directory))
    , m_base(QDir::currentPath())
{
}

QString OutputDirectory::absolute(const QString& path) const
{
    if (path.isEmpty() || QDir::isAbsolutePath(path))
        return path;
    return withTrailingSlash(m_base) + path;
}

void OutputDirectory::fail(const QString& path, int errorCode)
{
    m_error = true;
    m_errorText = path + QStringLiteral(": ") + qt_error_string(errorCode);
}

bool OutputDirectory::Check()
{
    const QString path = absolute(m_directory);
    if (path.isEmpty()) {
        fail(m_directory, ENOENT);
        return false;
    }
    if (::chdir(QFile::encodeName(path).constData()) != 0) {
        fail(m_directory, errno);
        return false;
    }
    return true;
}

bool OutputDirectory::CreateDirectory(const QString& path, const QString& name)
{
    const QString parent = withTrailingSlash(m_directory);
    m_directory = path;
    const QString target = parent + name;
    const QByteArray native = QFile::encodeName(absolute(target));
    if (::mkdir(native.constData(), 0777) == 0)
        return true;
    int code = errno;
    if (code == EEXIST) {
        struct stat st {};
        if (::stat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode))
            return true;
        code = ENOTDIR; // a file of that name is in the way
    }
    fail(target, code);
    return false;
}

bool OutputDirectory::MakingDirectory(QString& artist, QString& album, QString& year)
{
    m_error = false;
    m_errorText.clear();

    artist = m_naming.ChangeIllegalCharacter(artist);
    album = m_naming.ChangeIllegalCharacter(album);
    year = m_naming.ChangeIllegalCharacter(year);

    const NamingSettings& s = m_naming.settings();
    const std::pair<bool, QString> levels[] = {
        {s.artistAsDirectory, artist},
        {s.albumAsDirectory, album},
        {s.artistAndAlbumAsDirectory, artist + kSeparator + album},
        {s.artistAlbumYearAsDirectory, artist + kSeparator + album + kSeparator + year},
    };
    for (const auto& [on, rawName] : levels) {
        if (!on)
            continue;
        if (!Check())
            return false;
        const QString name = OutputNaming::SafeComponent(rawName);
        if (!CreateDirectory(withTrailingSlash(m_directory) + name + QLatin1Char('/'), name))
            return false;
    }
    return true;
}

}
