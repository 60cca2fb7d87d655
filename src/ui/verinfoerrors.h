// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <stdexcept>

namespace trackmill {

// The version information of a file exists but its block or its
// translation table cannot be read.
class EverInfoError : public std::runtime_error
{
public:
    explicit EverInfoError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    QString message() const { return m_message; }

private:
    QString m_message;
};

// The file carries no version information at all: a missing file, any file
// that is not a PE image (every ELF library), or a PE image without a
// version resource.
class ENoVerInfoError : public std::runtime_error
{
public:
    explicit ENoVerInfoError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    QString message() const { return m_message; }

private:
    QString m_message;
};

}
