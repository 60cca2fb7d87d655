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
    const std::pair<const char*, int> cases[] = {
        {"English", 0}, {"Polish", 1}, {"German", 2}, {"Japanese", 4}, {"Russian", 13}, {"Greek", 22}, {"Serbian", 29},
        // Exact names only; anything else is English.
        {"", 0}, {"english", 0}, {"POLISH", 0}, {"Polish.LNG", 0}, {"Brazilian", 0}};
    for (const auto& [stored, index] : cases) {
        const ChosenLanguage chosen = chooseLanguage(QString::fromLatin1(stored));
        EXPECT_EQ(chosen.index, index) << stored;
        EXPECT_EQ(chosen.name, index ? QString::fromLatin1(stored) : QStringLiteral("English")) << stored;
    }

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

    // Without a file only the fixed parts remain.
    EXPECT_EQ(LanguageTexts::fromFile(LanguageFile()), LanguageTexts{});
    EXPECT_EQ(LanguageTexts{}.fileOf(2, 7), " 2  7");
    const AboutTexts none = AboutTexts::fromFile(LanguageFile());
    EXPECT_EQ(none.freeware, " -  2001");
    EXPECT_EQ(none.thanksTesters, ":");
    EXPECT_EQ(none.author, ": " + AboutTexts::authorDetails());
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
