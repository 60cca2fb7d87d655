// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <stdexcept>

namespace trackmill {

// Misuse and setup failures of the encoder component; the message is the
// component's own (Japanese) text.
class EGogoTeaError : public std::runtime_error
{
public:
    explicit EGogoTeaError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    QString message() const { return m_message; }

private:
    QString m_message;
};

}
