// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "metadata/coverart.h"

#include <QString>
#include <optional>

namespace trackmill {

// A picture file the user chose as the disc's cover: a JPEG or PNG taken
// as it is when small enough (a large JPEG scaled down), any other picture
// Qt reads (or a PNG above 1 MiB) made a JPEG that fits. Nothing, with the
// reason, for a file that is no picture or cannot be read.
std::optional<CoverArt> coverFromFile(const QString& path, QString* why = nullptr);

}
