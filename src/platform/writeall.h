// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QtGlobal>

class QIODevice;

namespace trackmill {

// Writes all `size` bytes, taking up again after a short write. A file that
// fills the disk comes out short first with no error set (Qt keeps quiet
// when some bytes went out); the next write then fails with the system's
// reason, so afterwards device.errorString() names it ("No space left on
// device") instead of "Unknown error".
bool writeAll(QIODevice& device, const char* data, qint64 size);

}
