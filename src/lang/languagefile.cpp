// SPDX-License-Identifier: GPL-2.0-or-later
#include "languagefile.h"

#include "fontcharset.h"
#include "inifileio.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace trackmill {

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF", 3);
const QByteArray kUtf16LeBom("\xFF\xFE", 2);
const QByteArray kUtf16BeBom("\xFE\xFF", 2);

bool isValidUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);  // decoding happens on conversion
    return !decoder.hasError();
}

// A folder entry whose name equals `name` apart from letter case; the exact
// spelling wins, otherwise the first in name order, so the choice is stable.
QString findEntry(const QString& dir, const QString& name, QDir::Filters filters)
{
    const QFileInfo exact(dir + QLatin1Char('/') + name);
    if ((filters & QDir::Files) ? exact.isFile() : exact.isDir())
        return exact.filePath();
    const QStringList entries = QDir(dir).entryList(filters | QDir::Hidden | QDir::System,
                                                    QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir + QLatin1Char('/') + entry;
    }
    return {};
}

}

QString LanguageFile::locate(const QString& languagesDir, const QString& fileName)
{
    // The name comes from the settings file; it must not lead out of the folder.
    if (fileName.isEmpty() || fileName.contains(QLatin1Char('/'))
        || fileName.contains(QLatin1Char('\\')) || fileName == QLatin1String(".")
        || fileName == QLatin1String(".."))
        return {};

    QString dir = languagesDir;
    if (!QFileInfo(dir).isDir()) {
        const QFileInfo info(languagesDir);
        dir = findEntry(info.path(), info.fileName(), QDir::Dirs | QDir::NoDotAndDotDot);
        if (dir.isEmpty())
            return {};
    }
    return findEntry(dir, fileName, QDir::Files);
}

LanguageFile LanguageFile::open(const QString& languagesDir, const QString& fileName)
{
    const QString path = locate(languagesDir, fileName);
    if (path.isEmpty())
        return {};
    // Through the INI layer's reader: a FIFO or a link to a device named
    // like a language file must not hang or flood the program.
    const ini::ReadResult read = ini::readFile(QFile::encodeName(path).toStdString());
    if (read.status != ini::ReadResult::Ok) {
        LanguageFile missing;
        missing.m_error = path + QStringLiteral(": ")
                          + QString::fromLocal8Bit(read.error.data(), qsizetype(read.error.size()));
        return missing;
    }
    LanguageFile language = fromBytes(QByteArray(read.bytes.data(), qsizetype(read.bytes.size())));
    language.m_path = path;
    return language;
}

LanguageFile LanguageFile::fromBytes(const QByteArray& bytes)
{
    LanguageFile language;
    language.m_loaded = true;
    QByteArray content = bytes;
    bool unicode = false;
    if (content.startsWith(kUtf8Bom)) {
        content.remove(0, kUtf8Bom.size());
        unicode = true;
    } else if (content.startsWith(kUtf16LeBom) || content.startsWith(kUtf16BeBom)) {
        // The Windows profile reader takes such a file as Unicode; carry it
        // over to UTF-8 so the INI layer sees bytes it can split into lines.
        QStringDecoder decoder(content.startsWith(kUtf16LeBom) ? QStringDecoder::Utf16LE
                                                               : QStringDecoder::Utf16BE,
                               QStringDecoder::Flag::Stateless);
        const QString text = decoder.decode(QByteArrayView(content).sliced(2));
        content = text.toUtf8();
        unicode = true;
    }
    language.m_document = IniDocument::fromBytes(content);
    language.m_charset = charsetFromName(
        language.m_document.value(characterSetKey.section, characterSetKey.key));

    if (unicode) {
        language.m_encoding = "UTF-8";
    } else if (const char* codec = codecForCharset(language.m_charset)) {
        language.m_encoding = codec;
    } else {
        // No code page belongs to the declared set (DEFAULT, OEM, none at
        // all): a file written as UTF-8 reads as such, anything else as
        // the western code page of the English texts.
        language.m_encoding = isValidUtf8(content) ? "UTF-8" : "windows-1252";
    }
    return language;
}

QString LanguageFile::text(QByteArrayView section, QByteArrayView key) const
{
    const QByteArray value = m_document.value(section, key);
    if (value.isEmpty())
        return {};
    QStringDecoder decoder(m_encoding.constData(), QStringDecoder::Flag::Stateless);
    QString text = decoder.isValid() ? decoder.decode(value) : QString::fromLatin1(value);
    if (text.size() > maxTextLength) {
        // Never keep half of a surrogate pair.
        const bool split = text.at(maxTextLength - 1).isHighSurrogate();
        text.truncate(split ? maxTextLength - 1 : maxTextLength);
    }
    return text;
}

}
