// SPDX-License-Identifier: GPL-2.0-or-later
// Output sub-directories made before a batch, in a temporary folder.
#include "rip/outputdirectory.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <ostream>

using trackmill::NamingSettings;
using trackmill::OutputDirectory;
using trackmill::OutputNaming;

namespace {

NamingSettings switches(bool artist, bool album, bool artistAndAlbum, bool artistAlbumYear)
{
    NamingSettings s;
    s.replaceSpaces = false;
    s.artistAsDirectory = artist;
    s.albumAsDirectory = album;
    s.artistAndAlbumAsDirectory = artistAndAlbum;
    s.artistAlbumYearAsDirectory = artistAlbumYear;
    return s;
}

// Each test works below its own temporary folder and puts the process's
// current directory back when it moved it.
class OutputDirectoryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_tmp.isValid());
        m_savedCwd = QDir::currentPath();
        m_root = QDir(m_tmp.path()).canonicalPath() + QLatin1Char('/');
    }
    void TearDown() override { QDir::setCurrent(m_savedCwd); }

    // Every directory below the root, relative to it, sorted.
    QStringList tree() const
    {
        QStringList dirs;
        QDirIterator it(m_root, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            dirs << it.next().mid(m_root.size());
        dirs.sort();
        return dirs;
    }

    QTemporaryDir m_tmp;
    QString m_savedCwd;
    QString m_root;
};

struct NestingCase
{
    const char* label;
    bool artist, album, artistAndAlbum, artistAlbumYear;
    const char* expected; // output directory text below the root
};

void PrintTo(const NestingCase& c, std::ostream* os)
{
    *os << c.label;
}

class DirectorySwitches : public OutputDirectoryTest, public ::testing::WithParamInterface<NestingCase>
{
};

TEST_P(DirectorySwitches, NestInTheirOrder)
{
    const NestingCase& c = GetParam();
    const OutputNaming naming(switches(c.artist, c.album, c.artistAndAlbum, c.artistAlbumYear));
    OutputDirectory out(naming, m_root);
    QString artist = QStringLiteral("Artist"), album = QStringLiteral("Album"), year = QStringLiteral("2001");

    ASSERT_TRUE(out.MakingDirectory(artist, album, year)) << out.errorText().toStdString();
    EXPECT_FALSE(out.hasError());
    EXPECT_EQ(out.directory(), m_root + QString::fromUtf8(c.expected));
    EXPECT_TRUE(QFileInfo(out.directory()).isDir());
    // Nothing made beside the chain: one directory per level.
    EXPECT_EQ(tree().size(), QString::fromUtf8(c.expected).count(QLatin1Char('/')));
    EXPECT_TRUE(out.Check());
    EXPECT_EQ(QDir::currentPath(), m_savedCwd) << "the process's current directory moved";
}

INSTANTIATE_TEST_SUITE_P(
    Switches, DirectorySwitches,
    ::testing::Values(
        NestingCase{"none", false, false, false, false, ""},
        NestingCase{"artist", true, false, false, false, "Artist/"},
        NestingCase{"album", false, true, false, false, "Album/"},
        NestingCase{"artist and album switches", true, true, false, false, "Artist/Album/"},
        NestingCase{"artist - album", false, false, true, false, "Artist - Album/"},
        NestingCase{"artist - album - year", false, false, false, true, "Artist - Album - 2001/"},
        NestingCase{"artist then artist - album - year", true, false, false, true,
                    "Artist/Artist - Album - 2001/"},
        NestingCase{"all four", true, true, true, true,
                    "Artist/Album/Artist - Album/Artist - Album - 2001/"}));

TEST_F(OutputDirectoryTest, NamesAreFilteredAndHandedBack)
{
    NamingSettings s = switches(true, false, true, false);
    s.replaceSpaces = true;
    const OutputNaming naming(s);
    OutputDirectory out(naming, m_root);
    QString artist = QStringLiteral("AC/DC"), album = QStringLiteral("Back in Black"), year = QStringLiteral("1980?");

    ASSERT_TRUE(out.MakingDirectory(artist, album, year));
    EXPECT_EQ(artist, QStringLiteral("AC_DC"));
    EXPECT_EQ(album, QStringLiteral("Back_in_Black"));
    EXPECT_EQ(year, QStringLiteral("1980_"));
    // The separator is added after filtering and keeps its spaces.
    EXPECT_EQ(out.directory(), m_root + QStringLiteral("AC_DC/AC_DC - Back_in_Black/"));
    EXPECT_TRUE(QFileInfo(out.directory()).isDir());
}

TEST_F(OutputDirectoryTest, HostileNamesStayInsideTheOutputDirectory)
{
    struct Case
    {
        QString artist, album, year;
        QString expected;
    };
    const Case cases[] = {
        {QStringLiteral(".."), QStringLiteral("."), QString(), QStringLiteral("_/_/.. - ./.. - . - /")},
        {QString(), QString(), QString(), QStringLiteral("_/_/ - / -  - /")},
        {QStringLiteral("../../etc"), QStringLiteral("a/b"), QStringLiteral("\n"),
         QStringLiteral(".._.._etc/a_b/.._.._etc - a_b/.._.._etc - a_b - _/")},
    };
    for (const Case& c : cases) {
        QTemporaryDir sub(m_root + QStringLiteral("case-XXXXXX"));
        ASSERT_TRUE(sub.isValid());
        const QString root = sub.path() + QLatin1Char('/');
        const OutputNaming naming(switches(true, true, true, true));
        OutputDirectory out(naming, root);
        QString artist = c.artist, album = c.album, year = c.year;
        ASSERT_TRUE(out.MakingDirectory(artist, album, year)) << out.errorText().toStdString();
        EXPECT_EQ(out.directory(), root + c.expected);
        const QString made = QFileInfo(out.directory()).canonicalFilePath();
        EXPECT_TRUE(made.startsWith(root)) << made.toStdString();
    }
}

TEST_F(OutputDirectoryTest, LongNamesAreCutToWhatTheFileSystemTakes)
{
    const OutputNaming naming(switches(true, true, false, false));
    OutputDirectory out(naming, m_root);
    QString artist(300, QLatin1Char('a'));
    QString album;
    for (int i = 0; i < 300; ++i)
        album += QString::fromUtf8("音");
    QString year;
    ASSERT_TRUE(out.MakingDirectory(artist, album, year)) << out.errorText().toStdString();
    EXPECT_EQ(out.directory(), m_root + QString(255, QLatin1Char('a')) + QLatin1Char('/') + album.left(85)
                                   + QLatin1Char('/'));
    EXPECT_TRUE(QFileInfo(out.directory()).isDir());
    // The edits keep the whole text; only the folder name is cut.
    EXPECT_EQ(artist.size(), 300);
}

TEST_F(OutputDirectoryTest, RelativeDirectoryTextMeansTheSameEveryBatch)
{
    ASSERT_TRUE(QDir(m_root).mkdir(QStringLiteral("music")));
    ASSERT_TRUE(QDir::setCurrent(m_root));
    const OutputNaming naming(switches(true, true, false, false));
    // Without its final "/" too: the slash is supplied, not glued on.
    for (const QString& text : {QStringLiteral("music/"), QStringLiteral("music")}) {
        OutputDirectory out(naming, text);
        QString artist = QStringLiteral("Artist"), album = QStringLiteral("Album"), year;
        ASSERT_TRUE(out.MakingDirectory(artist, album, year)) << out.errorText().toStdString();
        EXPECT_EQ(out.directory(), QStringLiteral("music/Artist/Album/"));
        EXPECT_TRUE(out.Check());
    }
    EXPECT_EQ(tree(), QStringList({QStringLiteral("music"), QStringLiteral("music/Artist"),
                                   QStringLiteral("music/Artist/Album")}));
}

TEST_F(OutputDirectoryTest, MissingOutputDirectoryIsReportedWithPathAndReason)
{
    const OutputNaming naming(switches(true, true, false, false));
    const QString missing = m_root + QStringLiteral("missing/");
    OutputDirectory out(naming, missing);
    QString artist = QStringLiteral("Artist"), album = QStringLiteral("Album"), year;
    EXPECT_FALSE(out.MakingDirectory(artist, album, year));
    EXPECT_TRUE(out.hasError());
    EXPECT_TRUE(out.errorText().startsWith(missing)) << out.errorText().toStdString();
    EXPECT_TRUE(out.errorText().contains(QStringLiteral("No such file or directory")))
        << out.errorText().toStdString();
    EXPECT_TRUE(tree().isEmpty());
    EXPECT_EQ(out.directory(), missing);

    OutputDirectory empty(naming, QString());
    EXPECT_FALSE(empty.Check());
    EXPECT_TRUE(empty.hasError());
}

TEST_F(OutputDirectoryTest, AFileInTheWayStopsAtOnceAndSaysWhy)
{
    QFile blocker(m_root + QStringLiteral("Artist"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    const OutputNaming naming(switches(true, true, false, false));
    OutputDirectory out(naming, m_root);
    QString artist = QStringLiteral("Artist"), album = QStringLiteral("Album"), year;
    EXPECT_FALSE(out.MakingDirectory(artist, album, year));
    EXPECT_TRUE(out.hasError());
    EXPECT_EQ(out.errorText(), m_root + QStringLiteral("Artist: ") + qt_error_string(ENOTDIR));
    EXPECT_TRUE(tree().isEmpty());

    // The flag is cleared by the next run once the way is free; running
    // twice over existing directories is no error.
    ASSERT_TRUE(QFile::remove(m_root + QStringLiteral("Artist")));
    for (int run = 0; run < 2; ++run) {
        OutputDirectory again(naming, m_root);
        EXPECT_TRUE(again.MakingDirectory(artist, album, year)) << again.errorText().toStdString();
        EXPECT_EQ(again.directory(), m_root + QStringLiteral("Artist/Album/"));
        EXPECT_TRUE(again.errorText().isEmpty());
    }
}

} // namespace
