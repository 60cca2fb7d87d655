// SPDX-License-Identifier: GPL-2.0-or-later
#include "outputnaming.h"

#include <QStringView>
#include <QTextBoundaryFinder>

#include <utility>

namespace trackmill {

namespace {

// The characters a file name may not hold, in the order of the edits
// Edt1 to Edt9 that give their replacements.
constexpr std::array<char16_t, 9> kForbidden{u'<', u'>', u':', u'"', u'\\', u'/', u'|', u'*', u'?'};

constexpr char32_t kUnderscore = U'_';

// C0 and C1 controls and DEL: invisible, and a newline in a file name
// breaks every script that lists the folder.
bool isControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

int forbiddenIndex(char32_t c)
{
    for (int i = 0; i < int(kForbidden.size()); ++i) {
        if (c == kForbidden[i])
            return i;
    }
    return -1;
}

void appendCodePoint(QString& out, char32_t c)
{
    if (QChar::requiresSurrogates(c)) {
        out.append(QChar(QChar::highSurrogate(c)));
        out.append(QChar(QChar::lowSurrogate(c)));
    } else {
        out.append(QChar(char16_t(c)));
    }
}

// Calls f(code point, index, length in UTF-16 units) for each code point
// of text; an unpaired surrogate is passed as itself (0xD800 to 0xDFFF).
template <typename F>
void forEachCodePoint(const QString& text, F&& f)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            f(QChar::surrogateToUcs4(c, text.at(i + 1)), i, qsizetype(2));
            i += 2;
        } else {
            f(char32_t(c.unicode()), i, qsizetype(1));
            i += 1;
        }
    }
}

qsizetype utf8Length(char32_t c)
{
    return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
}

// The longest head of text (free of unpaired surrogates) that takes at most
// limit bytes in UTF-8, cut between user-visible characters where possible
// so an accent is never parted from its letter.
QString cutToUtf8Bytes(const QString& text, qsizetype limit)
{
    qsizetype total = 0;
    forEachCodePoint(text, [&](char32_t c, qsizetype, qsizetype) { total += utf8Length(c); });
    if (total <= limit)
        return text;

    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype bytes = 0;
    qsizetype previous = 0;
    qsizetype cut = 0;
    for (qsizetype pos = finder.toNextBoundary(); pos > 0; pos = finder.toNextBoundary()) {
        forEachCodePoint(text.mid(previous, pos - previous),
                         [&](char32_t c, qsizetype, qsizetype) { bytes += utf8Length(c); });
        if (bytes > limit)
            break;
        cut = pos;
        previous = pos;
    }
    if (cut > 0)
        return text.left(cut);

    // One character cluster longer than the limit (a letter with hundreds
    // of marks): cut between code points instead.
    bytes = 0;
    cut = 0;
    bool full = false;
    forEachCodePoint(text, [&](char32_t c, qsizetype index, qsizetype length) {
        if (full)
            return;
        bytes += utf8Length(c);
        if (bytes > limit)
            full = true;
        else
            cut = index + length;
    });
    return text.left(cut);
}

} // namespace

OutputNaming::OutputNaming(NamingSettings settings)
    : m_settings(std::move(settings))
{
}

OutputNaming::TrackNameParts OutputNaming::SplitTrackName(const QString& name, const QString& separator)
{
    const qsizetype p = separator.isEmpty() ? -1 : name.indexOf(separator);
    if (p < 0)
        return {name, name};
    // The title starts one character after the separator's start.
    return {name.left(p), name.mid(p + 1)};
}

QString OutputNaming::GetFileName(int track, const QString& trackName, const QString& artist) const
{
    QString number = QString::number(track);
    if (number.size() < 2)
        number.prepend(QLatin1Char('0'));

    QString artistPart = artist;
    QString title = trackName;
    if (m_settings.split) {
        TrackNameParts parts = SplitTrackName(trackName, m_settings.splitCharacter);
        artistPart = std::move(parts.artist);
        title = std::move(parts.title);
    }

    const QString sep = QStringLiteral(" - ");
    switch (m_settings.fileNameScheme) {
    case 0:
        return number;
    case 1:
        return number + sep + title;
    case 2:
        return number + sep + artistPart + sep + title;
    case 3:
        return artistPart + sep + title;
    case 4:
        return artistPart + sep + number + sep + title;
    case 5:
        return title;
    default:
        return {};
    }
}

QString OutputNaming::BaseFileName(int track, const QString& trackName, const QString& artist) const
{
    return SafeComponent(ChangeIllegalCharacter(GetFileName(track, trackName, artist)), kExtensionBytes);
}

char32_t OutputNaming::CheckCharacter(char32_t c)
{
    if (forbiddenIndex(c) >= 0 || isControl(c))
        return kUnderscore;
    // Not a character at all: a lone surrogate or beyond Unicode.
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        return kUnderscore;
    return c;
}

std::array<char32_t, 9> OutputNaming::LoadUserCharacter() const
{
    std::array<char32_t, 9> chars{};
    for (std::size_t i = 0; i < chars.size(); ++i) {
        const QString& edit = m_settings.replacements[i];
        char32_t first = kUnderscore; // an empty edit counts as "_"
        if (!edit.isEmpty()) {
            if (edit.size() > 1 && edit.at(0).isHighSurrogate() && edit.at(1).isLowSurrogate())
                first = QChar::surrogateToUcs4(edit.at(0), edit.at(1));
            else
                first = edit.at(0).unicode();
        }
        chars[i] = CheckCharacter(first);
    }
    return chars;
}

QString OutputNaming::ChangeIllegalCharacter(const QString& text) const
{
    const std::array<char32_t, 9> replacement = LoadUserCharacter();
    QString out;
    out.reserve(text.size());
    forEachCodePoint(text, [&](char32_t c, qsizetype, qsizetype) {
        if (c == U' ') {
            appendCodePoint(out, m_settings.replaceSpaces ? kUnderscore : c);
            return;
        }
        if (const int k = forbiddenIndex(c); k >= 0) {
            appendCodePoint(out, replacement[std::size_t(k)]);
            return;
        }
        // Controls and unpaired surrogates (which have no UTF-8 form).
        if (isControl(c) || (c >= 0xD800 && c <= 0xDFFF)) {
            appendCodePoint(out, kUnderscore);
            return;
        }
        appendCodePoint(out, c);
    });
    return out;
}

QString OutputNaming::SafeComponent(const QString& name, qsizetype reservedBytes)
{
    QString clean;
    clean.reserve(name.size());
    forEachCodePoint(name, [&](char32_t c, qsizetype, qsizetype) {
        if (c == U'/' || isControl(c) || (c >= 0xD800 && c <= 0xDFFF))
            appendCodePoint(clean, kUnderscore);
        else
            appendCodePoint(clean, c);
    });

    const qsizetype limit = kMaxComponentBytes - (reservedBytes > 0 ? reservedBytes : 0);
    clean = limit > 0 ? cutToUtf8Bytes(clean, limit) : QString();

    if (clean.isEmpty() || clean == QLatin1String(".") || clean == QLatin1String(".."))
        return QStringLiteral("_");
    return clean;
}

}
