// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <optional>

namespace trackmill {

// What the encoder library says about itself, and the file it was loaded from.
struct EncoderLibraryVersion
{
    QString fileName;  // full path of the library file in use
    qint32 code = 0;   // major version in bits 8-15, minor in bits 0-7
    QString text;      // the library's version text, "GOGO v3.50, ..."
};

// Asks the encoder library for its version. The program probes the real
// library; tests hand in a fake.
class EncoderVersionSource
{
public:
    virtual ~EncoderVersionSource() = default;
    // Nothing when the library cannot be found or loaded, or gives no version.
    virtual std::optional<EncoderLibraryVersion> encoderVersion() = 0;
};

}
