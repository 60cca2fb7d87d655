// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "verinfoerrors.h"
#include "versionblock.h"

#include <QString>

class QIODevice;

namespace trackmill {

// The version information of one file: the version resource of a PE image
// with its first translation. Construction loads it at once and throws
// ENoVerInfoError when the file has none (every file that is not a PE
// image, ELF libraries included) or EverInfoError when the block or its
// translation table cannot be read; no instance results then.
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
    qsizetype size() const { return m_block.size(); }
    // The first entry of the translation table.
    quint16 languageId() const { return m_languageId; }
    quint16 codePage() const { return m_codePage; }

    // "\StringFileInfo\" + language and code page as four upper-case
    // hexadecimal digits each + "\" + the name, e.g.
    // \StringFileInfo\041504E2\CompanyName.
    QString queryKey(StringIndex index) const;
    // The string of the first translation; empty when the block has none.
    QString value(StringIndex index) const;

    static QString noVersionMessage();
    static QString noLanguageMessage();

private:
    void load(QIODevice& device);

    QString m_fileName;
    VersionBlock m_block;
    quint16 m_languageId = 0;
    quint16 m_codePage = 0;
};

}
