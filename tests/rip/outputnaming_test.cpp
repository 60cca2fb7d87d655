// SPDX-License-Identifier: GPL-2.0-or-later
// File name schemes, the character filter, names that must stay safe, and
// the output sub-directories made before a batch.
#include "rip/outputdirectory.h"
#include "rip/outputnaming.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using trackmill::NamingSettings;
using trackmill::OutputDirectory;
using trackmill::OutputNaming;

namespace {

NamingSettings plain(int scheme = 0)
{
    NamingSettings s;
    s.fileNameScheme = scheme;
    s.split = s.replaceSpaces = false;
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
        const char *separator, *trackName, *expected;  // separator null: no split
    } cases[] = {
        {0, nullptr, "Song", "03"},
        {1, nullptr, "Dead / Alive: Live?", "03 - Dead / Alive: Live?"},
        {2, nullptr, "Song", "03 - Band - Song"},
        {4, nullptr, "Song", "Band - 03 - Song"},
        {-1, nullptr, "Song", ""},
        // Splitting takes the artist from the name at the first separator.
        {2, "/", "Various / Song", "03 - Various  -  Song"},
        {3, "/", "A/B/C", "A - B/C"},
        {3, "/", "Solo", "Solo - Solo"},
        // The title starts one character after the separator's start.
        {3, " - ", "A - B", "A - - B"},
    };
    for (const auto& c : cases) {
        NamingSettings s = plain(c.scheme);
        s.split = c.separator != nullptr;
        s.splitCharacter = QString::fromUtf8(c.separator);
        EXPECT_EQ(OutputNaming(s).GetFileName(3, QString::fromUtf8(c.trackName), QStringLiteral("Band")),
                  QString::fromUtf8(c.expected))
            << c.scheme << " " << c.trackName;
    }
    NamingSettings s = plain(3);
    s.replaceSpaces = true;
    EXPECT_EQ(OutputNaming(s).BaseFileName(1, QStringLiteral("C?"), QStringLiteral("A B")), QStringLiteral("A_B_-_C_"));
}

TEST(OutputNaming, ForbiddenCharactersTakeTheirCheckedReplacements)
{
    NamingSettings s = plain();
    s.replacements = {"a", "b", "c", "d", "e", "f", "g", "h", "i"};
    EXPECT_EQ(OutputNaming(s).ChangeIllegalCharacter(QStringLiteral("<>:\"\\/|*? x")), QStringLiteral("abcdefghi x"));

    // Text of the edit for "?", and what "a?b" becomes.
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("/"), QStringLiteral("a_b")},  // forbidden itself
        {QStringLiteral("xyz"), QStringLiteral("axb")},  // first character only
        {QString(QChar(0xD800)), QStringLiteral("a_b")},  // half a surrogate pair
        {QString::fromUtf8("\xF0\x9F\x8E\xB5x"), QString::fromUtf8("a\xF0\x9F\x8E\xB5" "b")},
    };
    for (const auto& [edit, expected] : cases) {
        s.replacements[8] = edit;
        EXPECT_EQ(OutputNaming(s).ChangeIllegalCharacter(QStringLiteral("a?b")), expected) << edit.toStdString();
    }

    // Controls (DEL, NEL, NUL) and a lone low surrogate become underscores; other scripts stay.
    const QString text = QStringLiteral("a\tb") + QChar(0x7F) + QChar(0x85) + QChar(0xDC00) + QChar(0);
    EXPECT_EQ(OutputNaming(plain()).ChangeIllegalCharacter(text), QStringLiteral("a_b____"));
    const QString foreign = QString::fromUtf8("Björk – Jóga 音楽 \xF0\x9F\x8E\xB5");
    EXPECT_EQ(OutputNaming(plain()).ChangeIllegalCharacter(foreign), foreign);
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
        {repeat("\xF0\x9F\x8E\xB5", 300), repeat("\xF0\x9F\x8E\xB5", 62)},
        // e + combining acute, 3 bytes a letter: never cut between the two.
        {repeat("e\xCC\x81", 300), repeat("e\xCC\x81", 83)},
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

// Folder switches as bits: artist, album, "artist - album", "artist - album - year".
NamingSettings folders(int bits)
{
    NamingSettings s = plain();
    s.artistAsDirectory = bits & 1;
    s.albumAsDirectory = bits & 2;
    s.artistAndAlbumAsDirectory = bits & 4;
    s.artistAlbumYearAsDirectory = bits & 8;
    return s;
}

// Makes the folders below `root`: the directory, the names handed back, the error.
QStringList makeFolders(int bits, const QString& root, QString artist = "Artist", QString album = "Album",
                        QString year = "2001")
{
    const OutputNaming naming(folders(bits));
    OutputDirectory out(naming, root);
    const bool made = out.MakingDirectory(artist, album, year);
    return {made ? out.directory() : QStringLiteral("failed"), artist + ' ' + album + ' ' + year, out.errorText()};
}

// Every directory below `root`.
int directoryCount(const QString& root)
{
    int count = 0;
    for (QDirIterator it(root, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
         it.hasNext(); it.next())
        ++count;
    return count;
}

// The names are filtered and handed back; the separators are added after
// filtering and keep their spaces.
TEST(OutputDirectory, SwitchesNestInTheirOrderAndHostileOrLongNamesStayInside)
{
    const QString cwd = QDir::currentPath();
    const QString longAlbum = QString::fromUtf8("音").repeated(300);
    const struct
    {
        int bits;
        QString artist, album, year, expected, handedBack;
    } cases[] = {
        {0, "Artist", "Album", "2001", "", "Artist Album 2001"},
        {1 | 8, "Artist", "Album", "2001", "Artist/Artist - Album - 2001/", "Artist Album 2001"},
        {15, "..", ".", "", "_/_/.. - ./.. - . - /", ".. . "},
        {15, "../../etc", "a/b", "\n", ".._.._etc/a_b/.._.._etc - a_b/.._.._etc - a_b - _/", ".._.._etc a_b _"},
        // Cut to what the file system takes; the edits keep the whole text.
        {1 | 2, QString(300, 'a'), longAlbum, "", QString(255, 'a') + '/' + longAlbum.left(85) + '/',
         QString(300, 'a') + ' ' + longAlbum + ' '},
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        const QString root = QDir(dir.path()).canonicalPath() + '/';
        const QStringList made = makeFolders(c.bits, root, c.artist, c.album, c.year);
        EXPECT_EQ(made.mid(0, 2), QStringList({root + c.expected, c.handedBack})) << made[2].toStdString();
        EXPECT_TRUE((QFileInfo(made[0]).canonicalFilePath() + '/').startsWith(root));
        // Nothing made beside the chain: one directory per level.
        EXPECT_EQ(directoryCount(root), c.expected.count('/')) << c.expected.toStdString();
    }
    EXPECT_EQ(QDir::currentPath(), cwd) << "the process's current directory moved";
}

TEST(OutputDirectory, BlockedDirectoryIsReportedWithPathAndReason)
{
    QTemporaryDir dir;
    const QString root = QDir(dir.path()).canonicalPath() + '/';
    QFile blocker(root + QStringLiteral("Artist"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_EQ(makeFolders(1 | 2, root).value(2), root + QStringLiteral("Artist: ") + qt_error_string(ENOTDIR));
    EXPECT_EQ(directoryCount(root), 0);

    // Once the way is free the next run goes through, twice over the same folders.
    ASSERT_TRUE(blocker.remove());
    for (int run = 0; run < 2; ++run)
        EXPECT_EQ(makeFolders(1 | 2, root).value(0), root + QStringLiteral("Artist/Album/"));

    const OutputNaming naming(folders(0));
    OutputDirectory empty(naming, QString());
    EXPECT_FALSE(empty.Check());
    EXPECT_TRUE(empty.hasError());
}

}
