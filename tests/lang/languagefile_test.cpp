// SPDX-License-Identifier: GPL-2.0-or-later
// The language file reader, the language chosen at start-up, the program
// texts read from a file, and the shipped language files.
#include "lang/languagechoice.h"
#include "lang/languagefile.h"
#include "lang/languagekeys.h"
#include "lang/languagelist.h"
#include "lang/languagetexts.h"
#include "platform/inidocument.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <algorithm>
#include <set>
#include <string>
#include <tuple>
#include <sys/stat.h>
#include <unistd.h>

using namespace trackmill;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

const QString kBinDir = QStringLiteral(TRACKMILL_LANGUAGES_BIN_DIR);

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString artist(const QByteArray& file)
{
    return LanguageFile::fromBytes(file).text("MAIN", "ARTIST");
}

}

TEST(LanguageFileLookup, FindsFileWhateverTheLetterCaseButNeverOutsideTheFolder)
{
    QTemporaryDir root;
    const QString dir = root.path() + "/Languages";
    ASSERT_TRUE(QDir(root.path()).mkpath("Languages/Sub"));
    writeFile(dir + "/german.lng", "[MAIN]\r\nWAV=Rippen\r\n");
    writeFile(dir + "/French.LNG", "[MAIN]\r\nWAV=exact\r\n");
    writeFile(dir + "/FRENCH.LNG", "[MAIN]\r\nWAV=capitals\r\n");
    writeFile(root.path() + "/Trackmill.INI", "[MAIN]\r\nWAV=secret\r\n");
    writeFile(dir + "/Sub/Evil.LNG", "[MAIN]\r\nWAV=nested\r\n");
    const std::pair<const char*, const char*> cases[] = {
        {"GERMAN.LNG", "Rippen"},
        // The exact spelling wins; else the first in name order, every time.
        {"French.LNG", "exact"}, {"french.lng", "capitals"}, {"Czech.LNG", ""},
        {"../Trackmill.INI", ""}, {"..\\Trackmill.INI", ""}, {"Sub/Evil.LNG", ""}, {"..", ""}, {"", ""}};
    for (const auto& [name, text] : cases) {
        const LanguageFile f = LanguageFile::open(dir, name);
        EXPECT_EQ(f.text("MAIN", "WAV"), text) << name;
        EXPECT_EQ(f.isLoaded(), *text != 0) << name;
    }
    EXPECT_TRUE(LanguageFile::exists(dir, "German.LNG") && !LanguageFile::exists(dir, "German"));
    // The folder in another letter case is found too.
    EXPECT_EQ(LanguageFile::open(root.path() + "/LANGUAGES", "German.LNG").text("MAIN", "WAV"), "Rippen");
}

TEST(LanguageFileLookup, AFifoOrDeviceNamedLikeALanguageFileReadsAsMissing)
{
    QTemporaryDir root;
    const QString dir = root.path();
    ASSERT_EQ(mkfifo(QFile::encodeName(dir + "/English.LNG").constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", dir + "/German.LNG"));
    alarm(20);  // a reader that blocks fails instead of hanging the suite
    for (const char* name : {"English.LNG", "german.lng"}) {
        const LanguageFile f = LanguageFile::open(dir, name);
        EXPECT_FALSE(f.isLoaded()) << name;
        EXPECT_EQ(f.text("MAIN", "WAV"), "") << name;
        EXPECT_EQ(f.charset(), 255) << name;
        EXPECT_TRUE(f.error().endsWith(": not a regular file")) << f.error().toStdString();
    }
    alarm(0);
    EXPECT_TRUE(LanguageFile::open(dir, "Czech.LNG").error().isEmpty());
}

TEST(LanguageFileTexts, ComposedForms)
{
    const LanguageFile f = LanguageFile::fromBytes(
        "[id3]\r\nTITLE=  Title  \r\nCOMMENT=\"  Comment  \"\r\n"
        "[GRABBING_AND_ENCODING]\r\nABORT=Abort\r\n[FONTS]\r\nCHARACTER=ANSI_CHARSET\r\n");
    const std::tuple<const char*, const char*, TextForm, const char*> cases[] = {
        {"ID3", "TITLE", TextForm::Text, "Title"}, {"ID3", "TITLE", TextForm::TrackNumber, "Title #:"},
        {"ID3", "TITLE", TextForm::TrackNumberOfTotal, "Title #/*:"}, {"ID3", "COMMENT", TextForm::Colon, "  Comment  :"},
        {"GRABBING_AND_ENCODING", "ABORT", TextForm::Ellipsis, "Abort..."},
        {"GRABBING_AND_ENCODING", "ABORT", TextForm::LeadingBlank, " Abort"}, {"ID3", "MISSING", TextForm::Colon, ":"}};
    for (const auto& [section, key, form, expected] : cases)
        EXPECT_EQ(f.composed(section, key, form), QString::fromUtf8(expected)) << section << "/" << key;
}

TEST(LanguageFileTexts, CodePageFollowsTheExactCharacterSetNameOrAByteOrderMark)
{
    // The shipped files cover the other character sets.
    EXPECT_EQ(artist("[FONTS]\r\nCHARACTER=ANSI_CHARSET\r\n[MAIN]\r\nARTIST=K\xFCnstler \x80\r\n"), "Künstler €");

    const std::pair<const char*, int> cases[] = {
        {"RUSSIAN_CHARSET", 204}, {"russian_charset", 255}, {"ANSI_CHARSET", 0}, {"", 255}, {"RUSSIAN", 255},
        {"\"GREEK_CHARSET\"", 161},  // the INI layer drops the quotes
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(LanguageFile::fromBytes("[Fonts]\r\ncharacter=" + QByteArray(value) + "\r\n").charset(), expected)
            << value;
    EXPECT_EQ(LanguageFile::fromBytes("[MAIN]\r\nWAV=x\r\n").charset(), 255);

    // Undeclared: UTF-8 when valid, else Western.
    EXPECT_EQ(artist("[MAIN]\r\nARTIST=Künstler\r\n"), "Künstler");
    EXPECT_EQ(artist("[MAIN]\r\nARTIST=K\xFCnstler\r\n"), "Künstler");

    // A mark means Unicode whatever is declared, and must not spoil the first header.
    const QByteArray body = "[MAIN]\r\nARTIST=Wykonawca łąś\r\n[FONTS]\r\nCHARACTER=EASTEUROPE_CHARSET\r\n";
    const LanguageFile utf8 = LanguageFile::fromBytes("\xEF\xBB\xBF" + body);
    EXPECT_EQ(utf8.text("MAIN", "ARTIST"), "Wykonawca łąś");
    EXPECT_EQ(utf8.charset(), 238);  // the fonts still follow the declaration
    const QString text = QString::fromUtf8(body);
    QByteArray utf16("\xFF\xFE", 2);
    utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    EXPECT_EQ(artist(utf16), "Wykonawca łąś");
}

TEST(LanguageFileTexts, TextsAreCutAt2047Characters)
{
    EXPECT_EQ(artist("[MAIN]\r\nARTIST=" + QByteArray(5000, 'a') + "\r\n").size(), 2047);
    // A character outside the basic plane straddling the limit is dropped whole.
    EXPECT_EQ(artist("\xEF\xBB\xBF[MAIN]\r\nARTIST=" + QByteArray(2046, 'a') + "\xF0\x9F\x8E\xB5\r\n"),
              QString(2046, QLatin1Char('a')));
}

// A stored language at start-up with its file present is part of the whole-program tests.
TEST(LanguageChoice, StoredNameChoosesEntryOrEnglish)
{
    for (const auto& [stored, index] : {std::pair{"Polish", 1}, {"Serbian", 29}, {"", 0}, {"POLISH", 0}, {"Polish.LNG", 0}})
        EXPECT_EQ(chooseLanguage(stored), (index ? ChosenLanguage{index, stored} : ChosenLanguage{})) << stored;
    QTemporaryDir dir;
    const QString settings = dir.path() + "/Trackmill.INI";
    const QString languages = dir.path();
    EXPECT_EQ(storedLanguageFileName(settings), ".LNG");  // no settings file at all
    writeFile(settings, "[main]\r\nlanguage=  Catalan  \r\n");
    EXPECT_EQ(storedLanguageFileName(settings), "Catalan.LNG");
    EXPECT_EQ(storedLanguage(settings), (ChosenLanguage{28, "Catalan"}));
    // Catalan chosen, but no Catalan.LNG: built-in texts, English marked.
    EXPECT_EQ(startupLanguage(settings, languages), StartupLanguage{});
    // Not one of the names: the file name keeps it, the list falls back to
    // English, applied once English.LNG is there.
    writeFile(settings, "[MAIN]\r\nLANGUAGE=Esperanto\r\n");
    EXPECT_EQ(storedLanguageFileName(settings), "Esperanto.LNG");
    EXPECT_EQ(storedLanguage(settings), ChosenLanguage{});
    writeFile(languages + "/english.lng", "[MAIN]\r\nWAV=WAV\r\n");
    EXPECT_EQ(startupLanguage(settings, languages), (StartupLanguage{{0, "English"}, true}));

    // The no-disc text alone is read at that point, in the file's code page.
    writeFile(languages + "/Polish.LNG", "[FONTS]\r\nCHARACTER=EASTEUROPE_CHARSET\r\n"
                                         "[MAIN]\r\nMESSAGE=W\xB3\xF3\xBF p\xB3yt\xEA audio\r\n");
    LanguageTexts texts;
    texts.tracks = "kept";
    readNoDiscText(languages, "Polish.LNG", texts);
    EXPECT_EQ(texts.noDisc, QStringLiteral("Włóż płytę audio"));
    EXPECT_EQ(texts.tracks, "kept");
}

TEST(LanguageKeys, TableFeedsEachControlOnce)
{
    std::set<std::string> targets;
    for (const LanguageTextRow& row : languageTextRows()) {
        EXPECT_TRUE(targets.insert(row.target).second) << "fed twice: " << row.target;
        EXPECT_TRUE(!QByteArrayView(row.target).startsWith("LanguageTexts.") || row.form == TextForm::Text) << row.key;
    }
}

// The thirty language files shipped with the program: complete, stored in
// the code page their character set names, and equal to their sources.
using ShippedLanguage = ::testing::TestWithParam<LanguageEntry>;

TEST_P(ShippedLanguage, IsCompleteTranslatedDecodesCleanlyAndEqualsItsUtf8Source)
{
    const LanguageEntry language = GetParam();
    const QByteArray bytes = readAll(kBinDir + '/' + QLatin1String(language.fileName));
    ASSERT_FALSE(bytes.isEmpty()) << "not laid out beside the program";
    EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF")) << "stored in its code page, without a mark";
    EXPECT_EQ(bytes.count("\n"), bytes.count("\r\n")) << "every line ends in CR LF";

    const LanguageFile file = LanguageFile::open(kBinDir, QLatin1String(language.fileName));
    // A known character set; that it suits the texts shows in the comparison with the source below.
    EXPECT_NE(file.charset(), 255);
    const IniDocument utf8 = IniDocument::fromBytes(
        readAll(QStringLiteral(TRACKMILL_LANGUAGE_SOURCES_DIR "/") + QLatin1String(language.name) + ".ini"));
    const LanguageFile english = LanguageFile::open(kBinDir, QStringLiteral("English.LNG"));

    for (const LanguageKey& k : allLanguageKeys()) {
        SCOPED_TRACE(std::string(k.section) + "/" + k.key);
        const QString text = file.text(k.section, k.key);
        // The translator's own details may stay empty: we credit no person.
        const bool translator = QByteArrayView(k.section) == "TRANSLATION";
        EXPECT_TRUE(!text.isEmpty() || (translator && QByteArrayList{"CITY", "EMAIL", "WWW"}.contains(k.key)));
        EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x20 && c != QChar::ReplacementCharacter; }))
            << text.toStdString();
        EXPECT_EQ(text.toStdString(), utf8.value(k.section, k.key).toStdString())
            << "regenerate with tools/languages/generate.py";
        // Single words may well be the same ("Album"); a whole phrase equal
        // to the English one is a text nobody translated.
        if (QByteArrayView(language.name) != "English" && text.contains(' ') && !translator) {
            EXPECT_NE(text, english.text(k.section, k.key)) << "left in English: " << text.toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllLanguages, ShippedLanguage, ::testing::ValuesIn(languageList().begin(), languageList().end()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ShippedLanguages, FolderHoldsExactlyTheListedFiles)
{
    QStringList expected;
    for (const LanguageEntry& language : languageList())
        expected << QLatin1String(language.fileName);
    QStringList present = QDir(kBinDir).entryList({QStringLiteral("*.LNG")}, QDir::Files);
    expected.sort();
    present.sort();
    EXPECT_EQ(present, expected);
}
