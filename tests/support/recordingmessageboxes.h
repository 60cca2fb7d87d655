// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "platform/messageboxes.h"

#include <QList>
#include <QStringList>
#include <functional>

namespace trackmill::test {

// Message boxes that only note what they would have shown. onMessage runs
// inside the call, as the modal box's event loop would (to press Abort, say).
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

    QStringList texts() const
    {
        QStringList out;
        for (const Message& message : messages)
            out << message.text;
        return out;
    }

    QList<Message> messages;
    std::function<void(const Message&)> onMessage;

private:
    void record(Kind kind, const QString& text)
    {
        messages.append({kind, text});
        if (onMessage)
            onMessage(messages.back());
    }
};

}
