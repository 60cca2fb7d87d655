// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>

class QIODevice;

namespace trackmill {

// The raw version resource (type 16, RT_VERSION) of a PE image, PE32 or
// PE32+, found through the resource directory the way the system loader
// finds it: the resource named 1 (else the first), its first language.
// The file is untrusted: every offset and count is checked against the
// device before it is read, and only the few bytes needed are read.
struct PeVersionResource
{
    enum class Status {
        Found,
        NotPe,       // no MZ/PE headers: ELF files, text, anything else
        NoVersion,   // a PE image without a usable version resource
        Unreadable,  // the resource is listed but its bytes lie outside the file
    };

    Status status = Status::NotPe;
    QByteArray block;  // the resource's bytes when found

    // The device must be open for reading and seekable.
    static PeVersionResource read(QIODevice& device);
};

}
