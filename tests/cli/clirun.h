// SPDX-License-Identifier: GPL-2.0-or-later
// The command-line ripper run as a process over a temporary program
// folder that holds the shipped languages, a new user's settings and the
// generated disc images of the test.
#pragma once

#include "platform/inifile.h"

#include "programfolders.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

namespace trackmill::test {

struct CliResult
{
    int exitCode = -1;
    QString out;
    QString errors;
};

class CliProgram
{
public:
    explicit CliProgram(ProgramFolders& folders)
        : m_folders(folders)
    {
        const AppPaths& paths = folders.paths;
        folders.copyLanguages(QStringLiteral(TRACKMILL_BIN_DIR "/Languages"));
        QFile::copy(QStringLiteral(TRACKMILL_DEFAULT_INI), paths.settingsFile());
        QFile(paths.settingsFile()).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        IniFile settings(paths.settingsFile());
        settings.writeString("MAIN", "AUTO_CONNECT_FREEDB", "0");
        settings.writeString("MAIN", "DIRECTORYMP3", QFile::encodeName(folders.output + '/'));
    }

    QStringList arguments(const QStringList& args) const
    {
        return QStringList{m_folders.paths.programDir, m_folders.paths.configDir} + args;
    }

    // Starts the ripper with these arguments; the caller waits.
    void start(QProcess& process, const QStringList& args) const
    {
        process.setProgram(QStringLiteral(CLI_UNDER_TEST));
        process.setArguments(arguments(args));
        process.start();
    }

    CliResult run(const QStringList& args, int timeoutMs = 60000) const
    {
        QProcess process;
        start(process, args);
        CliResult result;
        if (!process.waitForFinished(timeoutMs)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << "trackmill-cli " << args.join(' ').toStdString() << " did not end";
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
        result.errors = QString::fromLocal8Bit(process.readAllStandardError());
        return result;
    }

private:
    ProgramFolders& m_folders;
};

// Every file below `root`, as paths relative to it, in name order.
inline QStringList filesBelow(const QString& root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(root).relativeFilePath(it.next());
    files.sort();
    return files;
}

inline QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}
