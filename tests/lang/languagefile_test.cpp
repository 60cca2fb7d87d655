// SPDX-License-Identifier: GPL-2.0-or-later
// The language file reader, the language chosen at start-up and the
// program texts read from a file.
#include "lang/abouttexts.h"
#include "lang/fontcharset.h"
#include "lang/languagechoice.h"
#include "lang/languagefile.h"
#include "lang/languagekeys.h"
#include "lang/languagetexts.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <tuple>

using namespace trackmill;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class LanguageFileLookup : public ::testing::Test
{
protected:
    QTemporaryDir root;
    QString dir() const { return root.path() + QStringLiteral("/Languages"); }
    void SetUp() override { ASSERT_TRUE(QDir(root.path()).mkdir(QStringLiteral("Languages"))); }
};

}

TEST_F(LanguageFileLookup, FindsFileWhateverTheLetterCase)
{
    writeFile(dir() + "/Polish.LNG", "[MAIN]\r\nWAV=Zgraj\r\n");
    writeFile(dir() + "/german.lng", "[MAIN]\r\nWAV=Rippen\r\n");
    writeFile(dir() + "/French.LNG", "[MAIN]\r\nWAV=exact\r\n");
    writeFile(dir() + "/FRENCH.LNG", "[MAIN]\r\nWAV=capitals\r\n");
    const std::pair<const char*, const char*> cases[] = {
        {"Polish.LNG", "Zgraj"}, {"POLISH.LNG", "Zgraj"}, {"GERMAN.LNG", "Rippen"}, {"German.LNG", "Rippen"},
        // The exact spelling wins; else the first in name order, every time.
        {"French.LNG", "exact"}, {"FRENCH.LNG", "capitals"}, {"french.lng", "capitals"}, {"Czech.LNG", ""}};
    for (const auto& [name, text] : cases)
        EXPECT_EQ(LanguageFile::open(dir(), name).text("MAIN", "WAV"), text) << name;
    EXPECT_TRUE(LanguageFile::exists(dir(), "polish.lng"));
    EXPECT_FALSE(LanguageFile::exists(dir(), "Polish"));
    const LanguageFile missing = LanguageFile::open(dir(), "Czech.LNG");
    EXPECT_FALSE(missing.isLoaded());
    EXPECT_EQ(missing.charset(), 255);
    EXPECT_FALSE(LanguageFile::open(root.path() + "/Nowhere", "Polish.LNG").isLoaded());

    // The folder in another letter case is found too.
    QTemporaryDir other;
    ASSERT_TRUE(QDir(other.path()).mkdir("LANGUAGES"));
    writeFile(other.path() + "/LANGUAGES/Dutch.LNG", "[MAIN]\r\nWAV=Rippen\r\n");
    EXPECT_EQ(LanguageFile::open(other.path() + "/Languages", "DUTCH.LNG").text("MAIN", "WAV"), "Rippen");
}

TEST_F(LanguageFileLookup, NamesThatLeaveTheFolderFindNothing)
{
    writeFile(root.path() + "/Trackmill.INI", "[MAIN]\r\nMESSAGE=secret\r\n");
    ASSERT_TRUE(QDir(dir()).mkdir("Sub"));
    writeFile(dir() + "/Sub/Evil.LNG", "[MAIN]\r\nMESSAGE=nested\r\n");
    for (const char* name : {"../Trackmill.INI", "..\\Trackmill.INI", "Sub/Evil.LNG", "..", ".",
                             "", "Sub"}) {
        SCOPED_TRACE(name);
        const LanguageFile f = LanguageFile::open(dir(), QString::fromLatin1(name));
        EXPECT_FALSE(f.isLoaded());
        EXPECT_TRUE(f.text("MAIN", "MESSAGE").isEmpty());
    }
}

TEST(LanguageFileTexts, ComposedFormsAndIniRules)
{
    const LanguageFile f = LanguageFile::fromBytes(
        "[id3]\r\n"
        "track=Utwór\r\n"          // not the code page declared: see the decoding test
        "TITLE=  Title  \r\n"
        "COMMENT=\"  Comment  \"\r\n"
        "[GRABBING_AND_ENCODING]\r\n"
        "GRABBING_AND_ENCODING=Grabbing & Encoding\r\n"
        "ABORT=Abort\r\n"
        "[FONTS]\r\nCHARACTER=ANSI_CHARSET\r\n");
    const std::tuple<const char*, const char*, TextForm, const char*> cases[] = {
        {"ID3", "TITLE", TextForm::Text, "Title"}, {"ID3", "TITLE", TextForm::Colon, "Title:"},
        {"ID3", "TITLE", TextForm::TrackNumber, "Title #:"}, {"ID3", "TITLE", TextForm::TrackNumberOfTotal, "Title #/*:"},
        {"ID3", "COMMENT", TextForm::Colon, "  Comment  :"},
        {"GRABBING_AND_ENCODING", "GRABBING_AND_ENCODING", TextForm::Ellipsis, "Grabbing & Encoding..."},
        {"GRABBING_AND_ENCODING", "ABORT", TextForm::LeadingBlank, " Abort"},
        {"ID3", "MISSING", TextForm::TrackNumberOfTotal, " #/*:"}, {"ID3", "MISSING", TextForm::Ellipsis, "..."},
    };
    for (const auto& [section, key, form, expected] : cases)
        EXPECT_EQ(f.composed(section, key, form), QString::fromUtf8(expected)) << section << "/" << key;
    EXPECT_EQ(f.text("Id3", "Track"), QString::fromLatin1("Utw\xC3\xB3r"));
}

TEST(LanguageFileTexts, DecodesTheCodePageTheCharacterSetNames)
{
    struct Case { const char* charset; QByteArray bytes; const char* utf8; };
    const Case cases[] = {
        {"ANSI_CHARSET", "K\xFCnstler \x80", "Künstler €"},
        {"EASTEUROPE_CHARSET", "Wykonawca \xB3\xB9\x9C\x9F", "Wykonawca łąśź"},
        {"RUSSIAN_CHARSET", "\xC8\xF1\xEF\xEE\xEB\xED\xE8\xF2\xE5\xEB\xFC", "Исполнитель"},
        {"GREEK_CHARSET", "\xC1\xF1\xf7\xe5\xdf\xef", "Αρχείο"},
        {"TURKISH_CHARSET", "\xDE\xE2\xFD\xF0", "Şâığ"},
        {"HEBREW_CHARSET", "\xE0\xEE\xF0", "אמנ"},
        {"BALTIC_CHARSET", "\xF5\xD0\xFE\xE6", "õŠžę"},
        {"SHIFTJIS_CHARSET", "\x83\x41\x81\x5B\x83\x65\x83\x42\x83\x58\x83\x67",
         "アーティスト"},
        {"GB2312_CHARSET", "\xD2\xD5\xCA\xF5\xBC\xD2", "艺术家"},
        {"CHINESEBIG5_CHARSET", "\xBA\x74\xB0\xDB", "演唱"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.charset);
        const LanguageFile f = LanguageFile::fromBytes(
            "[FONTS]\r\nCHARACTER=" + QByteArray(c.charset) + "\r\n[MAIN]\r\nARTIST=" + c.bytes
            + "\r\n");
        EXPECT_EQ(f.charset(), charsetFromName(c.charset));
        EXPECT_EQ(f.text("MAIN", "ARTIST"), QString::fromUtf8(c.utf8));
    }
}

TEST(LanguageFileTexts, CharacterSetNamesAreExactAndUnknownOnesMeanOem)
{
    const std::pair<const char*, int> cases[] = {
        {"RUSSIAN_CHARSET", 204}, {"russian_charset", 255}, {"EASTEUROPE_CHARSET", 238}, {"SHIFTJIS_CHARSET", 128},
        {"ANSI_CHARSET", 0}, {"OEM_CHARSET", 255}, {"", 255}, {"RUSSIAN", 255},
        {"\"GREEK_CHARSET\"", 161},  // the INI layer drops the quotes
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(LanguageFile::fromBytes("[Fonts]\r\ncharacter=" + QByteArray(value) + "\r\n").charset(), expected)
            << value;
    EXPECT_EQ(LanguageFile::fromBytes("[MAIN]\r\nWAV=x\r\n").charset(), 255);

    for (const FontCharset& c : fontCharsets()) {
        if (c.codec) {
            EXPECT_TRUE(QStringDecoder(c.codec, QStringDecoder::Flag::Stateless).isValid()) << c.name;
        }
    }
}

TEST(LanguageFileTexts, ByteOrderMarkMeansUnicodeWhateverIsDeclared)
{
    const QByteArray body = "[MAIN]\r\nARTIST=Wykonawca łąś\r\n[FONTS]\r\nCHARACTER=EASTEUROPE_CHARSET\r\n";
    const LanguageFile utf8 = LanguageFile::fromBytes("\xEF\xBB\xBF" + body);
    EXPECT_EQ(utf8.text("MAIN", "ARTIST"), QStringLiteral("Wykonawca łąś"));
    EXPECT_EQ(utf8.charset(), 238);  // the fonts still follow the declaration
    EXPECT_EQ(utf8.encoding(), "UTF-8");

    // The mark must not spoil the first section header.
    const QString text = QString::fromUtf8(body);
    QByteArray utf16("\xFF\xFE", 2);
    utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    const LanguageFile wide = LanguageFile::fromBytes(utf16);
    EXPECT_EQ(wide.text("MAIN", "ARTIST"), QStringLiteral("Wykonawca łąś"));
    EXPECT_EQ(wide.charset(), 238);
}

TEST(LanguageFileTexts, UndeclaredCodePageReadsUtf8WhenValidElseWestern)
{
    EXPECT_EQ(LanguageFile::fromBytes("[MAIN]\r\nARTIST=Künstler\r\n").text("MAIN", "ARTIST"),
              QStringLiteral("Künstler"));
    EXPECT_EQ(LanguageFile::fromBytes("[MAIN]\r\nARTIST=K\xFCnstler\r\n").text("MAIN", "ARTIST"),
              QStringLiteral("Künstler"));
    EXPECT_EQ(LanguageFile::fromBytes("[FONTS]\r\nCHARACTER=DEFAULT_CHARSET\r\n[MAIN]\r\n"
                                      "ARTIST=Künstler\r\n")
                  .text("MAIN", "ARTIST"),
              QStringLiteral("Künstler"));
}

TEST(LanguageFileTexts, TextsAreCutAt2047Characters)
{
    const QByteArray longValue(5000, 'a');
    const LanguageFile f = LanguageFile::fromBytes("[MAIN]\r\nMESSAGE=" + longValue + "\r\n");
    EXPECT_EQ(f.text("MAIN", "MESSAGE").size(), 2047);

    // A character outside the basic plane straddling the limit is dropped whole.
    const QByteArray nearLimit = QByteArray(2046, 'a') + "\xF0\x9F\x8E\xB5";
    const LanguageFile g = LanguageFile::fromBytes("\xEF\xBB\xBF[MAIN]\r\nMESSAGE=" + nearLimit
                                                   + "\r\n");
    EXPECT_EQ(g.text("MAIN", "MESSAGE"), QString(2046, QLatin1Char('a')));
}

TEST(LanguageList, StoredNameChoosesEntryOrEnglish)
{
    const std::pair<const char*, int> cases[] = {
        {"English", 0}, {"Polish", 1}, {"German", 2}, {"Japanese", 4}, {"Russian", 13}, {"Greek", 22}, {"Serbian", 29},
        // Exact names only; anything else is English.
        {"", 0}, {"english", 0}, {"POLISH", 0}, {"Polish.LNG", 0}, {"Brazilian", 0}};
    for (const auto& [stored, index] : cases) {
        const ChosenLanguage chosen = chooseLanguage(QString::fromLatin1(stored));
        EXPECT_EQ(chosen.index, index) << stored;
        EXPECT_EQ(chosen.name, index ? QString::fromLatin1(stored) : QStringLiteral("English")) << stored;
    }
}

TEST(LanguageChoice, SettingsFileNamesTheLanguageFile)
{
    QTemporaryDir dir;
    const QString settings = dir.path() + "/Trackmill.INI";
    EXPECT_EQ(storedLanguageFileName(settings), ".LNG");  // no settings file at all
    EXPECT_EQ(storedLanguage(settings), ChosenLanguage{});

    const struct
    {
        QByteArray file;
        QString fileName;
        ChosenLanguage chosen;
    } cases[] = {
        {"[MAIN]\r\nLANGUAGE=Hungarian\r\n", "Hungarian.LNG", {12, "Hungarian"}},
        {"[main]\r\nlanguage=  Catalan  \r\n", "Catalan.LNG", {28, "Catalan"}},
        {"[MAIN]\r\nLANGUAGE=\r\n", ".LNG", {0, "English"}},
        // Not one of the names: the file name keeps it, the list falls back.
        {"[MAIN]\r\nLANGUAGE=Esperanto\r\n", "Esperanto.LNG", {0, "English"}},
    };
    for (const auto& c : cases) {
        writeFile(settings, c.file);
        EXPECT_EQ(storedLanguageFileName(settings), c.fileName);
        EXPECT_EQ(storedLanguage(settings), c.chosen) << c.file.constData();
    }
}

TEST(LanguageChoice, StartupAppliesTheStoredLanguageOnlyWhenItsFileIsThere)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("Languages"));
    const QString settings = dir.path() + "/Trackmill.INI";
    const QString languages = dir.path() + "/Languages";
    writeFile(languages + "/GERMAN.LNG", "[MAIN]\r\nWAV=Rippen\r\n");

    writeFile(settings, "[MAIN]\r\nLANGUAGE=German\r\n");
    EXPECT_EQ(startupLanguage(settings, languages), (StartupLanguage{{2, "German"}, true}));
    // Polish chosen, but no Polish.LNG: built-in texts, English marked.
    writeFile(settings, "[MAIN]\r\nLANGUAGE=Polish\r\n");
    EXPECT_EQ(startupLanguage(settings, languages), StartupLanguage{});
    // An unknown name stands for English, applied once English.LNG is there.
    writeFile(settings, "[MAIN]\r\nLANGUAGE=Klingon\r\n");
    EXPECT_FALSE(startupLanguage(settings, languages).applyFile);
    writeFile(languages + "/English.LNG", "[MAIN]\r\nWAV=WAV\r\n");
    EXPECT_EQ(startupLanguage(settings, languages), (StartupLanguage{{0, "English"}, true}));

    // The no-disc text alone is read at that point, in the file's code page.
    writeFile(languages + "/Polish.LNG", "[FONTS]\r\nCHARACTER=EASTEUROPE_CHARSET\r\n"
                                         "[MAIN]\r\nMESSAGE=W\xB3\xF3\xBF p\xB3yt\xEA audio\r\n");
    LanguageTexts texts;
    texts.tracks = "kept";
    readNoDiscText(languages, "Polish.LNG", texts);
    EXPECT_EQ(texts.noDisc, QStringLiteral("Włóż płytę audio"));
    EXPECT_EQ(texts.tracks, "kept");
    readNoDiscText(languages, ".LNG", texts);
    EXPECT_EQ(texts.noDisc, "");
}

TEST(LanguageTexts, EachProgramTextComesFromItsKey)
{
    // Every value names its own section and key, so a text taken from the
    // wrong key shows at once.
    QByteArray bytes = "[FONTS]\r\nCHARACTER=TURKISH_CHARSET\r\n";
    std::set<std::string> sections;
    for (const LanguageKey& k : allLanguageKeys())
        sections.insert(k.section);
    for (const std::string& section : sections) {
        bytes += "[" + QByteArray(section.c_str()) + "]\r\n";
        for (const LanguageKey& k : allLanguageKeys()) {
            if (section == k.section && QByteArrayView(k.key) != "CHARACTER")
                bytes += QByteArray(k.key) + "=" + k.section + "/" + k.key + "\r\n";
        }
    }
    const LanguageTexts t = LanguageTexts::fromFile(LanguageFile::fromBytes(bytes));
    using L = LanguageTexts;
    const std::pair<QString L::*, const char*> texts[] = {
        {&L::noDisc, "MAIN/MESSAGE"}, {&L::freedbConnect, "FREEDB/FREEDB_CONNECT"},
        {&L::freedbFound, "FREEDB/FREEDB_CD_AUDIO_FOUND"}, {&L::freedbNotFound, "FREEDB/FREEDB_CD_AUDIO_NO_FOUND"},
        {&L::grabbingTrack, "GRABBING_AND_ENCODING/GRABBING_TRACK"}, {&L::file, "GRABBING_AND_ENCODING/FILE"},
        {&L::of, "GRABBING_AND_ENCODING/OF"}, {&L::finishGrabbing, "MESSAGES/FINISH_GRABBING"},
        {&L::abortGrabbing, "MESSAGES/ABORT_GRABBING"}, {&L::abortEncoding, "MESSAGES/ABORT_ENCODING"},
        {&L::finishGrabbingAndEncoding, "MESSAGES/FINISH_GRABBING_AND_ENCODING"},
        {&L::aspiError, "MESSAGES/ASPI_ERROR"}, {&L::noTrackSelected, "MESSAGES/NO_TRACK_SELECTED"},
        {&L::finishEncoding, "MESSAGES/FINISH_ENCODING"}, {&L::tracks, "OTHERS/TRACKS"},
        {&L::playtime, "OTHERS/PLAYTIME"}, {&L::errorPathFilename, "OTHERS/ERROR_PATH_FILENAME"}};
    for (const auto& [member, key] : texts)
        EXPECT_EQ(t.*member, QLatin1String(key));
    EXPECT_EQ(t.charset, 162);

    const AboutTexts about = AboutTexts::fromFile(LanguageFile::fromBytes(bytes));
    EXPECT_EQ(about.title, "MAIN/ABOUT");
    EXPECT_EQ(about.author, "OTHERS/AUTHOR: " + AboutTexts::authorDetails());
    EXPECT_EQ(about.programmingLanguage, "OTHERS/PROGRAMMING_LANGUAGE: " + AboutTexts::programmingLine());
    EXPECT_EQ(about.freeware, "OTHERS/FREEWARE - MONTHS/SEPTEMBER 2001");
    EXPECT_EQ(about.thanksAssistants, "OTHERS/THANKS_ASSISTANTS:");
    EXPECT_EQ(about.thanksOthers, "OTHERS/THANKS_OTHERS:");
    EXPECT_EQ(about.thanksTesters, "OTHERS/THANKS_TESTERS:");
    EXPECT_EQ(about.thanksTranslators, "OTHERS/THANKS_TRANSLATORS:");
    EXPECT_EQ(about.authorTab, "OTHERS/AUTHOR_AND_ASSISTANTS");
    EXPECT_EQ(about.translatorsTab, "OTHERS/TESTERS_AND_TRANSLATORS");

    // Without a file, or with some keys only, the fixed parts remain.
    EXPECT_EQ(LanguageTexts::fromFile(LanguageFile()), LanguageTexts{});
    EXPECT_EQ(LanguageTexts{}.fileOf(2, 7), " 2  7");
    const AboutTexts partial = AboutTexts::fromFile(
        LanguageFile::fromBytes("[MONTHS]\r\nSEPTEMBER=September\r\n[OTHERS]\r\nTHANKS_OTHERS=Others\r\n"));
    EXPECT_EQ(partial.freeware, " - September 2001");
    EXPECT_EQ(partial.thanksOthers, "Others:");
}

TEST(LanguageKeys, TableFeedsEachControlOnceAndListsEachKeyOnce)
{
    std::set<std::string> targets;
    for (const LanguageTextRow& row : languageTextRows()) {
        EXPECT_TRUE(targets.insert(row.target).second) << "fed twice: " << row.target;
        if (QByteArrayView(row.target).startsWith("LanguageTexts.")) {
            EXPECT_EQ(row.form, TextForm::Text) << row.key;
        }
    }
    std::set<std::string> keys;
    for (const LanguageKey& k : allLanguageKeys())
        EXPECT_TRUE(keys.insert(std::string(k.section) + "/" + k.key).second);
    // 162 keys of the window and program texts, 10 of the About window, the character set.
    EXPECT_EQ(keys.size(), 173u);
    for (const char* key : {"ID3/ORGINAL_ARTIST", "SETTINGS_ENCODER/FILTER_16kHz", "FONTS/CHARACTER", "MONTHS/SEPTEMBER"})
        EXPECT_TRUE(keys.count(key)) << key;
}
