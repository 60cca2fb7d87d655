// SPDX-License-Identifier: GPL-2.0-or-later
#include "inifile.h"

#include "inifileio.h"

#include <QFile>
#include <QFileInfo>

namespace trackmill {

IniFile::IniFile(QString path)
    : m_path(std::move(path))
{
}

bool IniFile::readBytes(QByteArray* bytes, QString* error) const
{
    const ini::ReadResult read = ini::readFile(QFile::encodeName(m_path).toStdString());
    if (!read.ok()) {
        bytes->clear();
        *error = QString::fromLocal8Bit(read.error.data(), qsizetype(read.error.size()));
        return false;
    }
    *bytes = QByteArray(read.bytes.data(), qsizetype(read.bytes.size()));
    return true;
}

bool IniFile::writeAtomically(const QByteArray& bytes, QString* error) const
{
    std::string reason;
    if (ini::writeFileAtomically(QFile::encodeName(m_path).toStdString(),
                                 std::string_view(bytes.constData(), size_t(bytes.size())), &reason))
        return true;
    *error = QString::fromLocal8Bit(reason.data(), qsizetype(reason.size()));
    return false;
}

void IniFile::removeStaleTemporaryFiles(const QStringList& paths)
{
    for (const QString& path : paths)
        ini::removeStaleTemporaryFiles(QFile::encodeName(path).toStdString());
}

IniDocument IniFile::load(QString* error) const
{
    QByteArray bytes;
    QString reason;
    // An unreadable file reads like a missing one, as the profile services do.
    if (!readBytes(&bytes, &reason)) {
        if (error)
            *error = QFileInfo(m_path).absoluteFilePath() + QStringLiteral(": ") + reason;
        return IniDocument();
    }
    if (error)
        error->clear();
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
