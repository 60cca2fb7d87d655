// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "inidocument.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace trackmill {

// Key-by-key access to an INI file on disk, as the profile services of the
// design do it: every call reads the file afresh, every write replaces the
// whole file atomically (temporary file in the same folder, then rename),
// so a crash or a full disk never leaves half a file behind. A missing file
// reads as empty; the folder is not created. Only a regular file of at most
// ini::kMaxFileBytes is read: a FIFO, a device or a huge file reads like a
// damaged one (as empty), and a write over it fails instead of replacing it.
// A symbolic link is written through and stays a link; the file keeps its
// mode.
class IniFile
{
public:
    explicit IniFile(QString path);

    const QString& path() const { return m_path; }

    QByteArray readString(QByteArrayView section, QByteArrayView key,
                          const QByteArray& defaultValue = {}) const;
    int readInteger(QByteArrayView section, QByteArrayView key, int defaultValue) const;
    // Delphi's ReadBool: an integer, nonzero is true.
    bool readBool(QByteArrayView section, QByteArrayView key, bool defaultValue) const;

    // Each returns false when the file could not be written; errorString()
    // then says why, and the file on disk is unchanged.
    bool writeString(QByteArrayView section, QByteArrayView key, const QByteArray& value);
    bool writeInteger(QByteArrayView section, QByteArrayView key, int value);
    bool writeBool(QByteArrayView section, QByteArrayView key, bool value);

    // Reads the whole file once, for readers of many keys. A file that cannot
    // be read gives an empty document and, when error is given, the reason
    // ("<absolute path>: not a regular file"); a missing file is no error.
    IniDocument load(QString* error = nullptr) const;
    // Applies several changes in one atomic replacement (the settings save).
    bool update(const std::function<void(IniDocument&)>& change);

    // Empty after a successful write; otherwise "Unable to write to
    // <absolute path>: <reason>".
    QString errorString() const { return m_error; }

    // Removes what saves killed before their rename left beside each file
    // (".Trackmill.INI.1x9z3qa"); called once at start.
    static void removeStaleTemporaryFiles(const QStringList& paths);

private:
    // A missing file gives no bytes and success.
    bool readBytes(QByteArray* bytes, QString* error) const;
    // Temporary file in the same folder, synced, then renamed over the file.
    bool writeAtomically(const QByteArray& bytes, QString* error) const;

    QString m_path;
    QString m_error;
};

}
