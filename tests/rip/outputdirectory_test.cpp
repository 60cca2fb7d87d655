// SPDX-License-Identifier: GPL-2.0-or-later
// Output sub-directories made before a batch, in a temporary folder.
#include "rip/outputdirectory.h"

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

// Every directory below `root`, relative to it, sorted.
QStringList tree(const QString& root)
{
    QStringList dirs;
    QDirIterator it(root, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        dirs << it.next().mid(root.size());
    dirs.sort();
    return dirs;
}

// Each test works below its own temporary folder and puts the process's
// current directory back when it moved it.
class OutputDirectoryTest : public ::testing::Test
{
protected:
    void TearDown() override { QDir::setCurrent(m_savedCwd); }

    // Makes the folders for Artist / Album / 2001 below `root`.
    QString make(const NamingSettings& s, const QString& root, bool* ok = nullptr)
    {
        const OutputNaming naming(s);
        OutputDirectory out(naming, root);
        QString artist = QStringLiteral("Artist"), album = QStringLiteral("Album"), year = QStringLiteral("2001");
        const bool made = out.MakingDirectory(artist, album, year);
        if (ok)
            *ok = made;
        else
            EXPECT_TRUE(made) << out.errorText().toStdString();
        m_error = out.errorText();
        return out.directory();
    }

    QTemporaryDir m_tmp;
    QString m_savedCwd = QDir::currentPath();
    QString m_root = QDir(m_tmp.path()).canonicalPath() + '/';
    QString m_error;
};

TEST_F(OutputDirectoryTest, SwitchesNestInTheirOrder)
{
    const struct
    {
        bool artist, album, artistAndAlbum, artistAlbumYear;
        const char* expected;
    } cases[] = {
        {false, false, false, false, ""},
        {true, false, false, false, "Artist/"},
        {false, true, false, false, "Album/"},
        {false, false, true, false, "Artist - Album/"},
        {false, false, false, true, "Artist - Album - 2001/"},
        {true, false, false, true, "Artist/Artist - Album - 2001/"},
        {true, true, true, true, "Artist/Album/Artist - Album/Artist - Album - 2001/"},
    };
    for (const auto& c : cases) {
        QTemporaryDir sub(m_root + QStringLiteral("case-XXXXXX"));
        const QString root = sub.path() + '/';
        const QString made = make(switches(c.artist, c.album, c.artistAndAlbum, c.artistAlbumYear), root);
        EXPECT_EQ(made, root + c.expected);
        EXPECT_TRUE(QFileInfo(made).isDir());
        // Nothing made beside the chain: one directory per level.
        EXPECT_EQ(tree(root).size(), QString(c.expected).count('/')) << c.expected;
    }
    EXPECT_EQ(QDir::currentPath(), m_savedCwd) << "the process's current directory moved";
}

// The names are filtered and handed back; the separators are added after
// filtering and keep their spaces.
TEST_F(OutputDirectoryTest, HostileNamesStayInsideTheOutputDirectory)
{
    const struct
    {
        QString artist, album, year, expected, handedBack;
    } cases[] = {
        {"..", ".", "", "_/_/.. - ./.. - . - /", ".. . "},
        {"", "", "", "_/_/ - / -  - /", "  "},
        {"../../etc", "a/b", "\n", ".._.._etc/a_b/.._.._etc - a_b/.._.._etc - a_b - _/", ".._.._etc a_b _"},
        {"AC/DC", "Back in Black", "1980?", "AC_DC/Back_in_Black/AC_DC - Back_in_Black/AC_DC - Back_in_Black - 1980_/",
         "AC_DC Back_in_Black 1980_"},
    };
    for (const auto& c : cases) {
        QTemporaryDir sub(m_root + QStringLiteral("case-XXXXXX"));
        const QString root = sub.path() + '/';
        NamingSettings s = switches(true, true, true, true);
        s.replaceSpaces = c.artist == "AC/DC";
        const OutputNaming naming(s);
        OutputDirectory out(naming, root);
        QString artist = c.artist, album = c.album, year = c.year;
        ASSERT_TRUE(out.MakingDirectory(artist, album, year)) << out.errorText().toStdString();
        EXPECT_EQ(out.directory(), root + c.expected);
        EXPECT_EQ(QStringList({artist, album, year}).join(' '), c.handedBack);
        EXPECT_TRUE(QFileInfo(out.directory()).canonicalFilePath().startsWith(root));
    }
}

TEST_F(OutputDirectoryTest, LongNamesAreCutToWhatTheFileSystemTakes)
{
    const OutputNaming naming(switches(true, true, false, false));
    OutputDirectory out(naming, m_root);
    QString artist(300, 'a'), album = QString::fromUtf8("音").repeated(300), year;
    ASSERT_TRUE(out.MakingDirectory(artist, album, year)) << out.errorText().toStdString();
    EXPECT_EQ(out.directory(), m_root + QString(255, 'a') + '/' + album.left(85) + '/');
    EXPECT_TRUE(QFileInfo(out.directory()).isDir());
    EXPECT_EQ(artist.size(), 300) << "the edits keep the whole text";
}

TEST_F(OutputDirectoryTest, RelativeDirectoryTextMeansTheSameEveryBatch)
{
    ASSERT_TRUE(QDir(m_root).mkdir(QStringLiteral("music")));
    ASSERT_TRUE(QDir::setCurrent(m_root));
    // Without its final "/" too: the slash is supplied, not glued on.
    for (const QString& text : {QStringLiteral("music/"), QStringLiteral("music")})
        EXPECT_EQ(make(switches(true, true, false, false), text), QStringLiteral("music/Artist/Album/"));
    EXPECT_EQ(tree(m_root), QStringList({"music", "music/Artist", "music/Artist/Album"}));
}

TEST_F(OutputDirectoryTest, MissingOrBlockedDirectoryIsReportedWithPathAndReason)
{
    const QString missing = m_root + QStringLiteral("missing/");
    bool ok = true;
    EXPECT_EQ(make(switches(true, true, false, false), missing, &ok), missing);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(m_error.startsWith(missing) && m_error.contains(qt_error_string(ENOENT))) << m_error.toStdString();

    QFile blocker(m_root + QStringLiteral("Artist"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    make(switches(true, true, false, false), m_root, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(m_error, m_root + QStringLiteral("Artist: ") + qt_error_string(ENOTDIR));
    EXPECT_TRUE(tree(m_root).isEmpty());

    // Once the way is free the next run goes through; running twice over
    // existing directories is no error.
    ASSERT_TRUE(blocker.remove());
    for (int run = 0; run < 2; ++run) {
        EXPECT_EQ(make(switches(true, true, false, false), m_root), m_root + QStringLiteral("Artist/Album/"));
        EXPECT_TRUE(m_error.isEmpty());
    }

    const OutputNaming naming(switches(false, false, false, false));
    OutputDirectory empty(naming, QString());
    EXPECT_FALSE(empty.Check());
    EXPECT_TRUE(empty.hasError());
}

}
