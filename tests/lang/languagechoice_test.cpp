// SPDX-License-Identifier: GPL-2.0-or-later
#include "lang/abouttexts.h"
#include "lang/languagechoice.h"
#include "lang/languagefile.h"
#include "lang/languagekeys.h"
#include "lang/languagetexts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>
#include <string>

using namespace trackmill;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

}

TEST(LanguageList, StoredNameChoosesEntryOrEnglish)
{
    struct Case { const char* stored; int index; const char* name; };
    const Case cases[] = {
        {"English", 0, "English"},    {"Polish", 1, "Polish"},       {"German", 2, "German"},
        {"Japanese", 4, "Japanese"},  {"PortugueseBr", 5, "PortugueseBr"},
        {"Russian", 13, "Russian"},   {"TChinese", 18, "TChinese"},  {"SChinese", 19, "SChinese"},
        {"Greek", 22, "Greek"},       {"Chilean", 27, "Chilean"},    {"Serbian", 29, "Serbian"},
        {"", 0, "English"},           {"english", 0, "English"},     {"POLISH", 0, "English"},
        {"Polish.LNG", 0, "English"}, {"Klingon", 0, "English"},     {"Brazilian", 0, "English"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        const ChosenLanguage chosen = chooseLanguage(QString::fromLatin1(c.stored));
        EXPECT_EQ(chosen.index, c.index);
        EXPECT_EQ(chosen.name, QString::fromLatin1(c.name));
    }
}

TEST(LanguageList, EveryNameFindsItsOwnPositionAndFile)
{
    const auto list = languageList();
    ASSERT_EQ(list.size(), 30u);
    for (int i = 0; i < languageCount; ++i) {
        const QString name = QString::fromLatin1(list[i].name);
        EXPECT_EQ(languageIndex(name), i);
        EXPECT_EQ(QString::fromLatin1(list[i].fileName), name + ".LNG");
    }
}

TEST(LanguageChoice, SettingsFileNamesTheLanguageFile)
{
    QTemporaryDir dir;
    const QString settings = dir.path() + "/Trackmill.INI";

    // No settings file at all.
    EXPECT_EQ(storedLanguageFileName(settings), ".LNG");
    EXPECT_EQ(storedLanguage(settings), ChosenLanguage{});

    writeFile(settings, "[MAIN]\r\nLANGUAGE=Hungarian\r\n");
    EXPECT_EQ(storedLanguageFileName(settings), "Hungarian.LNG");
    EXPECT_EQ(storedLanguage(settings), (ChosenLanguage{12, "Hungarian"}));

    writeFile(settings, "[main]\r\nlanguage=  Catalan  \r\n");
    EXPECT_EQ(storedLanguageFileName(settings), "Catalan.LNG");
    EXPECT_EQ(storedLanguage(settings).index, 28);

    writeFile(settings, "[MAIN]\r\nLANGUAGE=\r\n");
    EXPECT_EQ(storedLanguageFileName(settings), ".LNG");
    EXPECT_EQ(storedLanguage(settings).name, "English");

    // Not one of the names: the file name keeps it, the list falls back.
    writeFile(settings, "[MAIN]\r\nLANGUAGE=Esperanto\r\n");
    EXPECT_EQ(storedLanguageFileName(settings), "Esperanto.LNG");
    EXPECT_EQ(storedLanguage(settings).index, 0);
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
}

TEST(LanguageChoice, NoDiscTextComesFromTheLanguageFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("Languages"));
    const QString languages = dir.path() + "/Languages";
    writeFile(languages + "/Polish.LNG",
              "[FONTS]\r\nCHARACTER=EASTEUROPE_CHARSET\r\n"
              "[MAIN]\r\nMESSAGE=W\xB3\xF3\xBF p\xB3yt\xEA audio\r\n");

    LanguageTexts texts;
    texts.noDisc = "old";
    texts.tracks = "kept";
    readNoDiscText(languages, "Polish.LNG", texts);
    EXPECT_EQ(texts.noDisc, QStringLiteral("Włóż płytę audio"));
    EXPECT_EQ(texts.tracks, "kept");  // only the no-disc text is read at this point

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
    EXPECT_EQ(t.noDisc, "MAIN/MESSAGE");
    EXPECT_EQ(t.freedbConnect, "FREEDB/FREEDB_CONNECT");
    EXPECT_EQ(t.freedbFound, "FREEDB/FREEDB_CD_AUDIO_FOUND");
    EXPECT_EQ(t.freedbNotFound, "FREEDB/FREEDB_CD_AUDIO_NO_FOUND");
    EXPECT_EQ(t.grabbingTrack, "GRABBING_AND_ENCODING/GRABBING_TRACK");
    EXPECT_EQ(t.file, "GRABBING_AND_ENCODING/FILE");
    EXPECT_EQ(t.of, "GRABBING_AND_ENCODING/OF");
    EXPECT_EQ(t.finishGrabbing, "MESSAGES/FINISH_GRABBING");
    EXPECT_EQ(t.abortGrabbing, "MESSAGES/ABORT_GRABBING");
    EXPECT_EQ(t.finishGrabbingAndEncoding, "MESSAGES/FINISH_GRABBING_AND_ENCODING");
    EXPECT_EQ(t.abortEncoding, "MESSAGES/ABORT_ENCODING");
    EXPECT_EQ(t.aspiError, "MESSAGES/ASPI_ERROR");
    EXPECT_EQ(t.noTrackSelected, "MESSAGES/NO_TRACK_SELECTED");
    EXPECT_EQ(t.finishEncoding, "MESSAGES/FINISH_ENCODING");
    EXPECT_EQ(t.tracks, "OTHERS/TRACKS");
    EXPECT_EQ(t.playtime, "OTHERS/PLAYTIME");
    EXPECT_EQ(t.errorPathFilename, "OTHERS/ERROR_PATH_FILENAME");
    EXPECT_EQ(t.charset, 162);

    // The rows that feed program texts name the field they fill.
    for (const LanguageTextRow& row : languageTextRows()) {
        if (QByteArrayView(row.target).startsWith("LanguageTexts.")) {
            EXPECT_EQ(row.form, TextForm::Text) << row.key;
        }
    }

    const AboutTexts about = AboutTexts::fromFile(LanguageFile::fromBytes(bytes));
    EXPECT_EQ(about.title, "MAIN/ABOUT");
    EXPECT_EQ(about.author, "OTHERS/AUTHOR: " + AboutTexts::authorDetails());
    EXPECT_EQ(about.programmingLanguage,
              "OTHERS/PROGRAMMING_LANGUAGE: " + AboutTexts::programmingLine());
    EXPECT_EQ(about.freeware, "OTHERS/FREEWARE - MONTHS/SEPTEMBER 2001");
    EXPECT_EQ(about.thanksAssistants, "OTHERS/THANKS_ASSISTANTS:");
    EXPECT_EQ(about.thanksOthers, "OTHERS/THANKS_OTHERS:");
    EXPECT_EQ(about.thanksTesters, "OTHERS/THANKS_TESTERS:");
    EXPECT_EQ(about.thanksTranslators, "OTHERS/THANKS_TRANSLATORS:");
    EXPECT_EQ(about.authorTab, "OTHERS/AUTHOR_AND_ASSISTANTS");
    EXPECT_EQ(about.translatorsTab, "OTHERS/TESTERS_AND_TRANSLATORS");
}

TEST(LanguageTexts, MissingFileLeavesOnlyTheFixedParts)
{
    const LanguageFile none;
    const LanguageTexts t = LanguageTexts::fromFile(none);
    EXPECT_EQ(t, LanguageTexts{});
    EXPECT_EQ(t.fileOf(2, 7), " 2  7");

    const AboutTexts about = AboutTexts::fromFile(none);
    EXPECT_EQ(about.freeware, " -  2001");
    EXPECT_EQ(about.thanksTesters, ":");
    EXPECT_EQ(about.author, ": " + AboutTexts::authorDetails());
    EXPECT_EQ(about.title, "");
}

TEST(LanguageKeys, TableFeedsEachControlOnceAndListsEachKeyOnce)
{
    std::set<std::string> targets;
    for (const LanguageTextRow& row : languageTextRows())
        EXPECT_TRUE(targets.insert(row.target).second) << "fed twice: " << row.target;

    std::set<std::string> keys;
    for (const LanguageKey& k : allLanguageKeys())
        EXPECT_TRUE(keys.insert(std::string(k.section) + "/" + k.key).second);
    // 162 keys of the window and program texts, 10 of the About window, the character set.
    EXPECT_EQ(keys.size(), 173u);
    EXPECT_TRUE(keys.count("ID3/ORGINAL_ARTIST"));
    EXPECT_TRUE(keys.count("SETTINGS_ENCODER/FILTER_16kHz"));
    EXPECT_TRUE(keys.count("FONTS/CHARACTER"));
    EXPECT_TRUE(keys.count("MONTHS/SEPTEMBER"));
}
