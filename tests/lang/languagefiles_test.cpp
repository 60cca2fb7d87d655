// SPDX-License-Identifier: GPL-2.0-or-later
// The thirty language files shipped with the program: complete, stored in
// the code page their character set names, and equal to their sources.
#include "lang/languagefile.h"
#include "lang/languagekeys.h"
#include "lang/languagelist.h"
#include "platform/inidocument.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <algorithm>
#include <ostream>
#include <string>

using namespace trackmill;

namespace trackmill {
void PrintTo(const LanguageEntry& language, std::ostream* os)
{
    *os << language.name;
}
}

namespace {

const QString kBinDir = QStringLiteral(TRACKMILL_LANGUAGES_BIN_DIR);
const QString kSourceDir = QStringLiteral(TRACKMILL_LANGUAGE_SOURCES_DIR);

QByteArray readAll(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// The translator's own details: we credit no person, so these may stay empty.
bool mayBeEmpty(const LanguageKey& k)
{
    return QByteArrayView(k.section) == "TRANSLATION"
           && (QByteArrayView(k.key) == "CITY" || QByteArrayView(k.key) == "EMAIL"
               || QByteArrayView(k.key) == "WWW");
}

class ShippedLanguage : public ::testing::TestWithParam<LanguageEntry>
{
};

}

TEST_P(ShippedLanguage, IsCompleteTranslatedDecodesCleanlyAndEqualsItsUtf8Source)
{
    const LanguageEntry language = GetParam();
    const std::string name = language.name;
    const QString path = kBinDir + QLatin1Char('/') + QLatin1String(language.fileName);
    const QByteArray bytes = readAll(path);
    ASSERT_FALSE(bytes.isEmpty()) << "not laid out beside the program: " << path.toStdString();
    EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF")) << "stored in its code page, without a mark";
    EXPECT_EQ(bytes.count("\n"), bytes.count("\r\n")) << "every line ends in CR LF";
    EXPECT_TRUE(bytes.endsWith("\r\n"));

    const LanguageFile file = LanguageFile::open(kBinDir, QLatin1String(language.fileName));
    ASSERT_TRUE(file.isLoaded());
    // A known character set; that it suits the texts shows in the comparison with the source below.
    EXPECT_NE(file.charset(), 255);
    const IniDocument utf8 = IniDocument::fromBytes(readAll(kSourceDir + "/" + QLatin1String(language.name) + ".ini"));
    const LanguageFile english = LanguageFile::open(kBinDir, QStringLiteral("English.LNG"));
    ASSERT_TRUE(english.isLoaded());

    for (const LanguageKey& k : allLanguageKeys()) {
        SCOPED_TRACE(std::string(k.section) + "/" + k.key);
        EXPECT_TRUE(file.hasKey(k.section, k.key)) << "missing key";
        const QString text = file.text(k.section, k.key);
        if (!mayBeEmpty(k)) {
            EXPECT_FALSE(text.isEmpty()) << "empty text";
        }
        EXPECT_FALSE(text.contains(QChar::ReplacementCharacter)) << text.toStdString();
        EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x20; }))
            << "control character in " << text.toStdString();
        EXPECT_EQ(text.toStdString(), utf8.value(k.section, k.key).toStdString())
            << "regenerate with tools/languages/generate.py";
        // Single words may well be the same ("Album", "Status"); a whole
        // phrase equal to the English one is a text nobody translated.
        if (name != "English" && text.contains(QLatin1Char(' ')) && QByteArrayView(k.section) != "TRANSLATION") {
            EXPECT_NE(text, english.text(k.section, k.key)) << "left in English: " << text.toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllLanguages, ShippedLanguage, ::testing::ValuesIn(languageList().begin(),
                                                                             languageList().end()),
                         [](const ::testing::TestParamInfo<LanguageEntry>& info) {
                             return std::string(info.param.name);
                         });

TEST(ShippedLanguages, FolderHoldsExactlyTheListedFiles)
{
    QStringList expected;
    for (const LanguageEntry& language : languageList())
        expected << QLatin1String(language.fileName);
    expected.sort();
    QStringList present = QDir(kBinDir).entryList({QStringLiteral("*.LNG")}, QDir::Files,
                                                  QDir::Name);
    present.sort();
    EXPECT_EQ(present, expected);
}
