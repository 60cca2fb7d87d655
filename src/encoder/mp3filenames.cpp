// SPDX-License-Identifier: GPL-2.0-or-later
#include "mp3filenames.h"

namespace trackmill {

QString Mp3FileNames::join(const QString& directory, const QString& name)
{
    if (directory.isEmpty())
        return name;
    if (directory.endsWith(QLatin1Char('/')))
        return directory + name;
    return directory + QLatin1Char('/') + name;
}

QString Mp3FileNames::stem(const QString& path)
{
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    // A dot at the start names a hidden file, not an extension.
    return dot > 0 ? name.left(dot) : name;
}

Mp3FileNames Mp3FileNames::SetFileNameMp3(const QString& directory, const QString& baseName,
                                          const QString& extension)
{
    const QString stemPath = join(directory, baseName);
    return {stemPath + QStringLiteral(".wav"), stemPath + extension};
}

Mp3FileNames Mp3FileNames::SetFileNameMp3fromWAV(const QString& directory, const QString& wavFile,
                                                 const QString& extension)
{
    return {wavFile, join(directory, stem(wavFile) + extension)};
}

}
