// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

class QIODevice;

namespace trackmill {

// The version information our two libraries carry as an ELF note: owner
// "Trackmill", type 1, a descriptor of "Key=Value" texts (UTF-8) each
// ending in a zero byte. Found through the section headers (every section
// of type SHT_NOTE is searched, whatever its name), in 32- and 64-bit files
// of either byte order. The file is untrusted: every offset, count and size
// is checked against the device before it is read, and only the headers
// and note sections (each at most kMaxNoteSectionBytes) are read.
struct ElfVersionNote
{
    enum class Status {
        Found,
        NotElf,      // no ELF identification: PE images, text, anything else
        NoNote,      // an ELF file without our note
        Unreadable,  // headers or a note section lie outside the file or contradict themselves
    };

    static constexpr quint32 kNoteType = 1;
    static constexpr qint64 kMaxNoteSectionBytes = 64 * 1024;
    static constexpr quint32 kMaxSections = 65535;

    Status status = Status::NotElf;
    QList<QPair<QString, QString>> strings;  // in the note's order
    qsizetype size = 0;                      // bytes of the descriptor

    // The first value under the key, matched without regard to letter case;
    // empty when there is none.
    QString value(const QString& key) const;

    // The device must be open for reading and seekable.
    static ElfVersionNote read(QIODevice& device);
};

}
