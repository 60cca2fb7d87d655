// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "platform/messageboxes.h"

#include <QList>
#include <QStringList>
#include <functional>

namespace trackmill::test {

// Message boxes that only note what they would have shown. A test that must
// act while a box is "open" (press Abort, close a window) sets onMessage; it
// runs inside the call, as the modal box's event loop would.
class RecordingMessageBoxes : public MessageBoxes
{
public:
    enum class Kind { Warning, Error, Information };
    struct Message
    {
        Kind kind;
        QString text;
        bool operator==(const Message&) const = default;
    };

    void warning(const QString& text) override { record(Kind::Warning, text); }
    void error(const QString& text) override { record(Kind::Error, text); }
    void information(const QString& text) override { record(Kind::Information, text); }

    QStringList texts() const;

    QList<Message> messages;
    std::function<void(const Message&)> onMessage;

private:
    void record(Kind kind, const QString& text);
};

}
