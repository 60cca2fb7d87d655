// SPDX-License-Identifier: GPL-2.0-or-later
// File name schemes, the character filter and the safety of names taken
// from the disc, the user or a freedb server.
#include "rip/outputnaming.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using trackmill::NamingSettings;
using trackmill::OutputNaming;

namespace {

NamingSettings plain(int scheme = 0)
{
    NamingSettings s;
    s.fileNameScheme = scheme;
    s.split = false;
    s.replaceSpaces = false;
    return s;
}

QString repeat(const char* utf8, int times)
{
    return QString::fromUtf8(utf8).repeated(times);
}

TEST(OutputNaming, SchemesBuildTheUnfilteredBaseName)
{
    const struct
    {
        int scheme;
        bool split;
        const char* separator;
        int track;
        const char* trackName;
        const char* expected;
    } cases[] = {
        {0, false, "/", 3, "Song", "03"},
        {0, false, "/", 100, "Song", "100"},
        {1, false, "/", 3, "Dead / Alive: Live?", "03 - Dead / Alive: Live?"},
        {2, false, "/", 7, "Song", "07 - Band - Song"},
        {3, false, "/", 7, "Song", "Band - Song"},
        {4, false, "/", 7, "Song", "Band - 07 - Song"},
        {5, false, "/", 7, "Song", "Song"},
        {-1, false, "/", 7, "Song", ""},
        // Splitting takes the artist from the name and keeps the spaces.
        {2, true, "/", 12, "Various / Song", "12 - Various  -  Song"},
        {4, true, "/", 1, "Guest/Tune", "Guest - 01 - Tune"},
        {3, true, "/", 1, "A/B/C", "A - B/C"},
        {3, true, "/", 1, "Solo", "Solo - Solo"},
        {3, true, "", 1, "A/B", "A/B - A/B"},
        {3, true, "/", 1, "/Title", " - Title"},
        // The title starts one character after the separator's start.
        {3, true, " - ", 1, "A - B", "A - - B"},
        {3, true, "/", 1, "Björk/Jóga", "Björk - Jóga"},
    };
    for (const auto& c : cases) {
        NamingSettings s = plain(c.scheme);
        s.split = c.split;
        s.splitCharacter = QString::fromUtf8(c.separator);
        EXPECT_EQ(OutputNaming(s).GetFileName(c.track, QString::fromUtf8(c.trackName), QStringLiteral("Band")),
                  QString::fromUtf8(c.expected))
            << c.scheme << " " << c.trackName;
    }
}

TEST(OutputNaming, DesignedExamplesOfWholeBaseNames)
{
    EXPECT_EQ(OutputNaming(plain(1)).BaseFileName(3, QStringLiteral("Dead / Alive: Live?"), {}),
              QStringLiteral("03 - Dead _ Alive_ Live_"));
    NamingSettings s = plain(3);
    s.replaceSpaces = true;
    EXPECT_EQ(OutputNaming(s).BaseFileName(1, QStringLiteral("C"), QStringLiteral("A B")), QStringLiteral("A_B_-_C"));
}

TEST(OutputNaming, EachForbiddenCharacterTakesItsOwnReplacement)
{
    NamingSettings s = plain();
    s.replacements = {"a", "b", "c", "d", "e", "f", "g", "h", "i"};
    const OutputNaming naming(s);
    EXPECT_EQ(naming.ChangeIllegalCharacter(QStringLiteral("<>:\"\\/|*? x")), QStringLiteral("abcdefghi x"));
}

TEST(OutputNaming, ReplacementEditsAreCheckedBeforeUse)
{
    // Text of the edit for "?", and what "a?b" becomes.
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("?"), QStringLiteral("a_b")},  // forbidden itself
        {QStringLiteral("/"), QStringLiteral("a_b")},
        {QStringLiteral("xyz"), QStringLiteral("axb")},  // first character only
        {QString(), QStringLiteral("a_b")},
        {QStringLiteral(" "), QStringLiteral("a b")},
        {QStringLiteral("\n"), QStringLiteral("a_b")},
        {QString(QChar(0xD800)), QStringLiteral("a_b")},  // half a surrogate pair
        {QString::fromUtf8("\xF0\x9F\x8E\xB5x"), QString::fromUtf8("a\xF0\x9F\x8E\xB5" "b")},
    };
    for (const auto& [edit, expected] : cases) {
        NamingSettings s = plain();
        s.replacements[8] = edit;
        EXPECT_EQ(OutputNaming(s).ChangeIllegalCharacter(QStringLiteral("a?b")), expected) << edit.toStdString();
    }
}

TEST(OutputNaming, ControlsAndBrokenTextBecomeUnderscores)
{
    const OutputNaming naming(plain());
    QString text = QStringLiteral("a\tb\nc");
    text += QChar(0x7F);
    text += QChar(0x85);
    text += QChar(0xDC00);  // low surrogate without its high half
    text += QStringLiteral("d");
    text += QChar(0);
    EXPECT_EQ(naming.ChangeIllegalCharacter(text), QStringLiteral("a_b_c___d_"));
    const QString foreign = QString::fromUtf8("Björk – Jóga 音楽 \xF0\x9F\x8E\xB5");
    EXPECT_EQ(naming.ChangeIllegalCharacter(foreign), foreign);
}

// Title-only scheme, so the base name is the track name after filtering.
TEST(OutputNaming, HostileTrackNamesGiveASafeFileInsideTheOutputDirectory)
{
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral(".."), QStringLiteral("_")},
        {QStringLiteral("."), QStringLiteral("_")},
        {QString(), QStringLiteral("_")},
        {QStringLiteral("..."), QStringLiteral("...")},
        {QStringLiteral("../../etc/passwd"), QStringLiteral(".._.._etc_passwd")},
        {QStringLiteral("a\r\nb\x1b"), QStringLiteral("a__b_")},
        // Cut to 255 bytes with ".wav", at a character boundary.
        {QString(300, 'a'), QString(251, 'a')},
        {repeat("é", 300), repeat("é", 125)},
        {repeat("\xF0\x9F\x8E\xB5", 300), repeat("\xF0\x9F\x8E\xB5", 62)},
        // e + combining acute, 3 bytes a letter: never cut between the two.
        {repeat("e\xCC\x81", 300), repeat("e\xCC\x81", 83)},
        {QStringLiteral("e") + repeat("\xCC\x81", 300), QStringLiteral("e") + repeat("\xCC\x81", 125)},
        {QString(250, 'a') + repeat("é", 2), QString(250, 'a')},
    };
    const OutputNaming naming(plain(5));
    QTemporaryDir dir;
    for (const auto& [name, expected] : cases) {
        const QString base = naming.BaseFileName(1, name, {});
        EXPECT_EQ(base, expected) << name.left(20).toStdString();
        // The file system takes the name and the file lands in the directory.
        QFile file(dir.path() + '/' + base + QStringLiteral(".mp3"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << file.errorString().toStdString();
        file.remove();
    }
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    // A folder name where not even one character fits is still usable.
    EXPECT_EQ(OutputNaming::SafeComponent(QString::fromUtf8("é"), 254), QStringLiteral("_"));
}

}
