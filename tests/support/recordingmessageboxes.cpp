// SPDX-License-Identifier: GPL-2.0-or-later
#include "recordingmessageboxes.h"

namespace trackmill::test {

QStringList RecordingMessageBoxes::texts() const
{
    QStringList out;
    for (const Message& message : messages)
        out.append(message.text);
    return out;
}

void RecordingMessageBoxes::record(Kind kind, const QString& text)
{
    messages.append({kind, text});
    if (onMessage)
        onMessage(messages.back());
}

}
