// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <optional>

namespace trackmill {

// One table-of-contents entry as the drive reports it with minute/second/
// frame addressing (parameter 36 = 1): the control byte and the four
// address bytes read as one big-endian number (0, M, S, F).
struct TocAddress
{
    quint8 control = 0;
    quint32 address = 0;
};

// The CD Player database id of a disc: the 32-bit sum (wrapping) of the
// start addresses of its audio tracks, lead-out excluded, as upper-case
// hexadecimal of at least four digits. A track whose control byte is
// exactly 0x14 is a data track and adds nothing. No tracks give "0000".
QString cdPlayerDiscId(const QList<TocAddress>& tracks);

// The same from the 804 bytes of a TOC record read with MSF addressing
// (length, first and last track number, then 8-byte entries). Entries from
// the first to the last track count; a short or implausible record
// contributes only the entries it really holds.
QString cdPlayerDiscIdFromToc(QByteArrayView toc);

// The standard CDDB disc id of a table of contents in logical block
// addresses (sectors, track 1 = 0): every track counts, data tracks too.
// trackStarts are the tracks' first sectors in disc order, leadOut the
// lead-out's. Eight lower-case hexadecimal digits; nothing for no tracks,
// more than 99, or addresses going backwards.
std::optional<QString> cddbDiscId(const QList<qint64>& trackStarts, qint64 leadOut);

}
