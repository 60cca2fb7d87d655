// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "languagekeys.h"
#include "platform/inidocument.h"

#include <QByteArray>
#include <QString>

namespace trackmill {

// One language file, read once and kept in memory. Texts are decoded from
// the code page that FONTS/CHARACTER names; a file that starts with a
// UTF-8 byte-order mark is UTF-8 whatever it declares (and one with a
// UTF-16 mark is UTF-16). A file that cannot be found or read answers every
// key with the empty text and has character set 255, as the program shows
// a missing language: empty captions with only their fixed parts.
class LanguageFile
{
public:
    LanguageFile() = default;

    // Reads fileName from the languages folder. The name is matched without
    // regard to letter case ("POLISH.LNG" finds "Polish.LNG"); a name that
    // holds a path separator names no language file.
    static LanguageFile open(const QString& languagesDir, const QString& fileName);
    static LanguageFile fromBytes(const QByteArray& bytes);

    // The path of the file on disk that fileName stands for, or an empty
    // text when there is none. The folder's own letter case is forgiven too.
    static QString locate(const QString& languagesDir, const QString& fileName);
    static bool exists(const QString& languagesDir, const QString& fileName)
    {
        return !locate(languagesDir, fileName).isEmpty();
    }

    bool isLoaded() const { return m_loaded; }
    // Why a language file that was found could not be read ("<path>: not a
    // regular file"); empty otherwise.
    const QString& error() const { return m_error; }
    const QString& path() const { return m_path; }

    bool hasKey(QByteArrayView section, QByteArrayView key) const
    {
        return m_document.hasKey(section, key);
    }

    // The value of the key, trimmed and unquoted by the INI rules, decoded,
    // at most 2047 characters; empty when the section or key is missing.
    QString text(QByteArrayView section, QByteArrayView key) const;
    QString composed(QByteArrayView section, QByteArrayView key, TextForm form) const
    {
        return composeText(text(section, key), form);
    }
    QString composed(const LanguageTextRow& row) const
    {
        return composed(row.section, row.key, row.form);
    }

    // FONTS/CHARACTER as a GDI character set number (255 when missing or
    // unknown).
    int charset() const { return m_charset; }
    // The code page the texts are decoded from, e.g. "windows-1250".
    const QByteArray& encoding() const { return m_encoding; }

    // The longest text the Windows profile reader hands back.
    static constexpr qsizetype maxTextLength = 2047;

private:
    IniDocument m_document;
    QString m_path;
    QString m_error;
    QByteArray m_encoding = "windows-1252";
    int m_charset = 255;
    bool m_loaded = false;
};

}
