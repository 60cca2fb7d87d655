// SPDX-License-Identifier: GPL-2.0-or-later
#include "writeall.h"

#include <QIODevice>

namespace trackmill {

bool writeAll(QIODevice& device, const char* data, qint64 size)
{
    while (size > 0) {
        const qint64 written = device.write(data, size);
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

}
