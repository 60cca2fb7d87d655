// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "elfversionnote.h"
#include "verinfoerrors.h"
#include "versionblock.h"

#include <QString>

class QIODevice;

namespace trackmill {

// The version information of one file: the version resource of a PE image
// with its first translation, or the version note of an ELF file (our two
// libraries, see ElfVersionNote). Construction loads it at once and throws
// ENoVerInfoError when the file has none (neither a PE image with a version
// resource nor an ELF file with our note) or EverInfoError when the block,
// its translation table or the ELF file's headers cannot be read; no
// instance results then.
class TVerInfoRes
{
public:
    // The strings of a version block, by index; the names are the query keys.
    enum StringIndex {
        CompanyName,
        FileDescription,
        FileVersion,
        InternalName,
        LegalCopyRight,
        LegalTrademarks,
        OriginalFileName,
        ProductName,
        ProductVersion,
        Comments,
    };
    static constexpr int stringCount = 10;
    static const char* stringName(StringIndex index);

    explicit TVerInfoRes(const QString& fileName);
    // The same from an open, seekable device standing for fileName.
    TVerInfoRes(QIODevice& device, const QString& fileName);

    const QString& fileName() const { return m_fileName; }
    qsizetype size() const { return isElfNote() ? m_elf.size : m_block.size(); }
    // The first entry of the translation table; 0 for an ELF note, which
    // has a single set of UTF-8 strings.
    quint16 languageId() const { return m_languageId; }
    quint16 codePage() const { return m_codePage; }

    // "\StringFileInfo\" + language and code page as four upper-case
    // hexadecimal digits each + "\" + the name, e.g.
    // \StringFileInfo\041504E2\CompanyName.
    QString queryKey(StringIndex index) const;
    // The string of the first translation; empty when the block has none.
    QString value(StringIndex index) const;
    bool isElfNote() const { return m_elf.status == ElfVersionNote::Status::Found; }

    static QString noVersionMessage();
    static QString noLanguageMessage();

private:
    void load(QIODevice& device);

    QString m_fileName;
    VersionBlock m_block;
    ElfVersionNote m_elf;
    quint16 m_languageId = 0;
    quint16 m_codePage = 0;
};

}
