// SPDX-License-Identifier: GPL-2.0-or-later
// File name schemes, the character filter and the safety of names taken
// from the disc, the user or a freedb server.
#include "rip/outputnaming.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <ostream>

using trackmill::NamingSettings;
using trackmill::OutputNaming;

namespace {

NamingSettings plain()
{
    NamingSettings s;
    s.split = false;
    s.replaceSpaces = false;
    return s;
}

qsizetype utf8Bytes(const QString& s)
{
    return s.toUtf8().size();
}

QString repeat(const QString& piece, int times)
{
    QString out;
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

// ---------------------------------------------------------------- schemes

struct SchemeCase
{
    const char* label;
    int scheme;
    bool split;
    const char* separator;
    int track;
    const char* trackName;
    const char* artist;
    const char* expected;
};

void PrintTo(const SchemeCase& c, std::ostream* os)
{
    *os << c.label;
}

class FileNameSchemes : public ::testing::TestWithParam<SchemeCase>
{
};

TEST_P(FileNameSchemes, BuildTheUnfilteredBaseName)
{
    const SchemeCase& c = GetParam();
    NamingSettings s = plain();
    s.fileNameScheme = c.scheme;
    s.split = c.split;
    s.splitCharacter = QString::fromUtf8(c.separator);
    const OutputNaming naming(s);
    EXPECT_EQ(naming.GetFileName(c.track, QString::fromUtf8(c.trackName), QString::fromUtf8(c.artist)),
              QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    AllSchemes, FileNameSchemes,
    ::testing::Values(
        SchemeCase{"number one digit padded", 0, false, "/", 3, "Song", "Band", "03"},
        SchemeCase{"number three digits not padded", 0, false, "/", 100, "Song", "Band", "100"},
        SchemeCase{"number title", 1, false, "/", 3, "Dead / Alive: Live?", "Band", "03 - Dead / Alive: Live?"},
        SchemeCase{"number artist title", 2, false, "/", 7, "Song", "Band", "07 - Band - Song"},
        SchemeCase{"artist title", 3, false, "/", 7, "Song", "Band", "Band - Song"},
        SchemeCase{"artist number title", 4, false, "/", 7, "Song", "Band", "Band - 07 - Song"},
        SchemeCase{"title", 5, false, "/", 7, "Song", "Band", "Song"},
        SchemeCase{"none selected", -1, false, "/", 7, "Song", "Band", ""},
        // Splitting keeps the spaces around the separator.
        SchemeCase{"split keeps spaces", 2, true, "/", 12, "Various / Song", "Disc artist",
                   "12 - Various  -  Song"},
        SchemeCase{"split replaces disc artist", 4, true, "/", 1, "Guest/Tune", "Disc artist",
                   "Guest - 01 - Tune"},
        SchemeCase{"split at the first occurrence", 3, true, "/", 1, "A/B/C", "X", "A - B/C"},
        SchemeCase{"split without separator in name", 3, true, "/", 1, "Solo", "X", "Solo - Solo"},
        SchemeCase{"split with empty separator", 3, true, "", 1, "A/B", "X", "A/B - A/B"},
        SchemeCase{"split separator at start", 3, true, "/", 1, "/Title", "X", " - Title"},
        // The title starts one character after the separator's start.
        SchemeCase{"split with longer separator", 3, true, " - ", 1, "A - B", "X", "A - - B"},
        SchemeCase{"split multi-byte name", 3, true, "/", 1, "Björk/Jóga", "X", "Björk - Jóga"}));

// ------------------------------------------------- filter and base names

TEST(OutputNamingFilter, DesignedExamplesOfWholeBaseNames)
{
    NamingSettings s = plain();
    s.fileNameScheme = 1;
    EXPECT_EQ(OutputNaming(s).BaseFileName(3, QStringLiteral("Dead / Alive: Live?"), {}),
              QStringLiteral("03 - Dead _ Alive_ Live_"));

    s.fileNameScheme = 3;
    s.replaceSpaces = true;
    EXPECT_EQ(OutputNaming(s).BaseFileName(1, QStringLiteral("C"), QStringLiteral("A B")),
              QStringLiteral("A_B_-_C"));
}

TEST(OutputNamingFilter, EachForbiddenCharacterTakesItsOwnReplacement)
{
    NamingSettings s = plain();
    s.replacements = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                      QStringLiteral("d"), QStringLiteral("e"), QStringLiteral("f"),
                      QStringLiteral("g"), QStringLiteral("h"), QStringLiteral("i")};
    const OutputNaming naming(s);
    EXPECT_EQ(naming.ChangeIllegalCharacter(QStringLiteral("<>:\"\\/|*? x")), QStringLiteral("abcdefghi x"));
}

TEST(OutputNamingFilter, ReplacementEditsAreCheckedBeforeUse)
{
    // Text of the edit for "?", and what "a?b" becomes.
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("?"), QStringLiteral("a_b")},   // forbidden itself
        {QStringLiteral("/"), QStringLiteral("a_b")},
        {QStringLiteral("x"), QStringLiteral("axb")},
        {QStringLiteral("xyz"), QStringLiteral("axb")}, // first character only
        {QString(), QStringLiteral("a_b")},             // empty edit
        {QStringLiteral(" "), QStringLiteral("a b")},   // a space passes
        {QStringLiteral("\n"), QStringLiteral("a_b")},
        {QString(QChar(0)), QStringLiteral("a_b")},
        {QString(QChar(0xD800)), QStringLiteral("a_b")}, // half a surrogate pair
        {QString::fromUtf8("\xF0\x9F\x8E\xB5x"), QString::fromUtf8("a\xF0\x9F\x8E\xB5" "b")},
    };
    for (const auto& [edit, expected] : cases) {
        NamingSettings s = plain();
        s.replacements[8] = edit;
        EXPECT_EQ(OutputNaming(s).ChangeIllegalCharacter(QStringLiteral("a?b")), expected) << edit.toStdString();
    }
}

TEST(OutputNamingFilter, ReplacementsAreReadAgainAtEveryCall)
{
    OutputNaming naming(plain());
    EXPECT_EQ(naming.ChangeIllegalCharacter(QStringLiteral("a:b")), QStringLiteral("a_b"));
    NamingSettings s = naming.settings();
    s.replacements[2] = QStringLiteral("-");
    naming.setSettings(s);
    EXPECT_EQ(naming.ChangeIllegalCharacter(QStringLiteral("a:b")), QStringLiteral("a-b"));
}

TEST(OutputNamingFilter, ControlsAndBrokenTextBecomeUnderscores)
{
    const OutputNaming naming(plain());
    QString text = QStringLiteral("a\tb\nc");
    text += QChar(0x7F);
    text += QChar(0x85);
    text += QChar(0xDC00); // low surrogate without its high half
    text += QStringLiteral("d");
    text += QChar(0);
    EXPECT_EQ(naming.ChangeIllegalCharacter(text), QStringLiteral("a_b_c___d_"));
    EXPECT_EQ(naming.ChangeIllegalCharacter(QString()), QString());
    const QString foreign = QString::fromUtf8("Björk – Jóga 音楽 \xF0\x9F\x8E\xB5");
    EXPECT_EQ(naming.ChangeIllegalCharacter(foreign), foreign);

    NamingSettings s = plain();
    s.replaceSpaces = true;
    EXPECT_EQ(OutputNaming(s).ChangeIllegalCharacter(QStringLiteral(" a b ")), QStringLiteral("_a_b_"));
}

TEST(OutputNamingLabels, AddAndCharacterDoublesTheFirstAmpersandOnly)
{
    const std::pair<QString, QString> cases[] = {
        {QString(), QString()},
        {QStringLiteral("No ampersand"), QStringLiteral("No ampersand")},
        {QStringLiteral("Simon & Garfunkel"), QStringLiteral("Simon && Garfunkel")},
        {QStringLiteral("Rock & Roll & Blues"), QStringLiteral("Rock && Roll & Blues")},
        {QStringLiteral("&"), QStringLiteral("&&")},
        {QStringLiteral("&&"), QStringLiteral("&&&")},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(OutputNaming::Add_And_Character(in), out) << in.toStdString();
}

// ------------------------------------------------------------ hostile names

struct HostileCase
{
    const char* label;
    QString trackName;
    QString expected; // empty: only the general rules are checked
};

void PrintTo(const HostileCase& c, std::ostream* os)
{
    *os << c.label;
}

class HostileTrackNames : public ::testing::TestWithParam<HostileCase>
{
};

// Title-only scheme, so the base name is the track name after filtering.
TEST_P(HostileTrackNames, GiveASafeFileInsideTheOutputDirectory)
{
    NamingSettings s = plain();
    s.fileNameScheme = 5;
    const OutputNaming naming(s);
    const QString base = naming.BaseFileName(1, GetParam().trackName, {});

    if (!GetParam().expected.isEmpty()) {
        EXPECT_EQ(base, GetParam().expected);
    }
    EXPECT_FALSE(base.isEmpty());
    EXPECT_NE(base, QStringLiteral("."));
    EXPECT_NE(base, QStringLiteral(".."));
    EXPECT_FALSE(base.contains(QLatin1Char('/')));
    for (QChar c : base)
        EXPECT_GE(c.unicode(), 0x20);
    EXPECT_LE(utf8Bytes(base + QStringLiteral(".wav")), 255);
    EXPECT_EQ(QString::fromUtf8(base.toUtf8()), base) << "not whole characters";

    // The file system takes the name and the file lands in the directory.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.path() + QLatin1Char('/') + base + QStringLiteral(".mp3");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << file.errorString().toStdString();
    file.close();
    EXPECT_EQ(QFileInfo(path).canonicalPath(), QDir(dir.path()).canonicalPath());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Names, HostileTrackNames,
    ::testing::Values(
        HostileCase{"dot dot", QStringLiteral(".."), QStringLiteral("_")},
        HostileCase{"dot", QStringLiteral("."), QStringLiteral("_")},
        HostileCase{"empty", QString(), QStringLiteral("_")},
        HostileCase{"three dots are a valid name", QStringLiteral("..."), QStringLiteral("...")},
        HostileCase{"slash", QStringLiteral("a/b"), QStringLiteral("a_b")},
        HostileCase{"climbing out", QStringLiteral("../../etc/passwd"), QStringLiteral(".._.._etc_passwd")},
        HostileCase{"control characters", QStringLiteral("a\r\nb\x1b"), QStringLiteral("a__b_")},
        HostileCase{"300 ASCII", QString(300, QLatin1Char('a')), QString(251, QLatin1Char('a'))},
        HostileCase{"300 two-byte", repeat(QString::fromUtf8("é"), 300), repeat(QString::fromUtf8("é"), 125)},
        HostileCase{"300 three-byte", repeat(QString::fromUtf8("音"), 300), repeat(QString::fromUtf8("音"), 83)},
        HostileCase{"300 four-byte", repeat(QString::fromUtf8("\xF0\x9F\x8E\xB5"), 300),
                    repeat(QString::fromUtf8("\xF0\x9F\x8E\xB5"), 62)},
        // e + combining acute, 3 bytes a letter: never cut between the two.
        HostileCase{"300 decomposed letters", repeat(QString::fromUtf8("e\xCC\x81"), 300),
                    repeat(QString::fromUtf8("e\xCC\x81"), 83)},
        HostileCase{"one letter with 300 marks", QStringLiteral("e") + repeat(QString::fromUtf8("\xCC\x81"), 300),
                    QStringLiteral("e") + repeat(QString::fromUtf8("\xCC\x81"), 125)},
        HostileCase{"ASCII then multi-byte at the limit",
                    QString(250, QLatin1Char('a')) + QString::fromUtf8("éé"),
                    QString(250, QLatin1Char('a'))}));

TEST(OutputNamingSafeComponent, DirectoryNamesUseTheWhole255Bytes)
{
    EXPECT_EQ(OutputNaming::SafeComponent(QString(300, QLatin1Char('x'))), QString(255, QLatin1Char('x')));
    EXPECT_EQ(OutputNaming::SafeComponent(QString(255, QLatin1Char('x'))), QString(255, QLatin1Char('x')));
    EXPECT_EQ(OutputNaming::SafeComponent(QStringLiteral("a/b\n")), QStringLiteral("a_b_"));
    EXPECT_EQ(OutputNaming::SafeComponent(QStringLiteral("..")), QStringLiteral("_"));
    // Nothing fits: still a usable name.
    EXPECT_EQ(OutputNaming::SafeComponent(QString::fromUtf8("é"), 254), QStringLiteral("_"));
}

} // namespace
