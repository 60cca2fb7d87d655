// SPDX-License-Identifier: GPL-2.0-or-later
#include "outputdirectory.h"

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
{
}

void OutputDirectory::fail(const QString& path, int errorCode)
{
    m_error = true;
    m_errorText = path + QStringLiteral(": ") + qt_error_string(errorCode);
}

bool OutputDirectory::Check()
{
    if (m_directory.isEmpty()) {
        fail(m_directory, ENOENT);
        return false;
    }
    // Enterable means: a directory we may search. The process's current
    // directory is left alone, so a relative text means the same each time.
    const QByteArray native = QFile::encodeName(m_directory);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0) {
        fail(m_directory, errno);
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        fail(m_directory, ENOTDIR);
        return false;
    }
    if (::access(native.constData(), X_OK) != 0) {
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
    const QByteArray native = QFile::encodeName(target);
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

bool OutputDirectory::addDiscFolder(int number)
{
    if (!Check())
        return false;
    const QString name = QStringLiteral("CD %1").arg(number);
    return CreateDirectory(withTrailingSlash(m_directory) + name + QLatin1Char('/'), name);
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
