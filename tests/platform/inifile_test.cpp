// SPDX-License-Identifier: GPL-2.0-or-later
// The INI layer: what the profile services read out of odd files, the exact
// bytes they write back, and what a failed write leaves on disk.
#include "platform/inifile.h"

#include "inifileio.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <csignal>
#include <limits>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using trackmill::IniDocument;
using trackmill::IniFile;

namespace {

// Byte strings that may hold NULs.
#define B(literal) QByteArray(literal, sizeof(literal) - 1)

TEST(IniDocument, Reads)
{
    const struct
    {
        QByteArray file;
        const char* section;
        const char* key;
        std::optional<QByteArray> expected;  // nullopt: the key is missing
    } cases[] = {
        {B("[main]\r\nvbrratio=0\r\n"), "Main", "VBRRATIO", "0"},
        {B("[\xc4]\nk=1\n"), "\xe4", "k", std::nullopt},  // case ignored for ASCII only
        {B("[A]\n  key \t= \" padded \" \t\n"), "A", "key", " padded "},
        {B("[A]\nurl=a=b ; c\n"), "A", "url", "a=b ; c"},
        {B("[A]\nk=1\n[a]\nK=2\nj=3\n"), "A", "k", "1"},
        {B("[A]\nk=1\n[a]\nj=3\n"), "A", "j", std::nullopt},  // the first duplicate section only
        {B("k=1\n[A]\n;k=1\nk\n"), "A", "k", std::nullopt},
        {B("\xEF\xBB\xBF  [ MAIN ]  ; comment\nk=v\n"), "MAIN", "k", "v"},
        {B("[MAIN\nk=v\n"), "MAIN", "k", "v"},
        {B("[A]\r\nk=a\rb\r\r\n"), "A", "k", "a\rb"},
        {B("[A]\nk=a\0\xff"), "A", "k", B("a\0\xff")},
    };
    for (const auto& c : cases) {
        const IniDocument doc = IniDocument::fromBytes(c.file);
        EXPECT_EQ(doc.value(c.section, c.key, "<default>"), c.expected.value_or("<default>")) << c.file.left(40).constData();
        EXPECT_EQ(doc.hasKey(c.section, c.key), c.expected.has_value());
    }
}

TEST(IniDocument, ReadsIntegersAsProfileServicesDo)
{
    const std::pair<const char*, int> cases[] = {
        {"", -77}, {"abc", -77}, {"12abc", 12}, {" \"-5\" ", -5}, {"+7", 7}, {"0x1Fz", 31}, {"0xZ", 0},
        {"0xFFFFFFFF", -1}, {"2147483647", 2147483647}, {"2147483648", -77},
        {"-2147483648", std::numeric_limits<int>::min()}, {"99999999999999999999999", -77}};
    for (const auto& [stored, expected] : cases)
        EXPECT_EQ(IniDocument::fromBytes("[A]\nk=" + QByteArray(stored) + "\n").intValue("A", "k", -77), expected) << stored;
    EXPECT_EQ(IniDocument::fromBytes("[A]\n").intValue("A", "k", -77), -77);
}

TEST(IniDocument, WritesExactBytes)
{
    const struct
    {
        QByteArray before;
        const char* section;
        const char* key;
        QByteArray value;
        QByteArray after;
    } cases[] = {
        {"", "MAIN", "BITRATE", "128kbps", "[MAIN]\r\nBITRATE=128kbps\r\n"},
        {"[Main]\r\nvbrratio = 1\r\nOther=b\r\n", "MAIN", "VBRRatio", "0", "[Main]\r\nvbrratio=0\r\nOther=b\r\n"},
        {"[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n", "A", "z", "3", "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n"},
        {"[A]\nx=1\n\n; end\n", "A", "z", "3", "[A]\nx=1\nz=3\n\n; end\n"},
        {"[A]\r\nx=1\r\n", "B", "k", "v", "[A]\r\nx=1\r\n\r\n[B]\r\nk=v\r\n"},
        {"[A]\nk=1\n[B]\n[A]\nk=2\n", "A", "K", "9", "[A]\nk=9\n[B]\n[A]\nk=2\n"},
        {B("garbage\0\xff\r\n[A] ; c\r\n  k = v \n;k=1\n"), "A", "k", "w", B("garbage\0\xff\r\n[A] ; c\r\nk=w\n;k=1\n")},
        // A value cannot smuggle in a section or key of its own.
        {"[A]\n", "A", "k", "a\r\n[B]\nk=evil", "[A]\nk=a  [B] k=evil\n"},
        {"\xEF\xBB\xBF[A]\r\n", "A", "k", B("\0\xff"), B("\xEF\xBB\xBF[A]\r\nk=\0\xff\r\n")},
    };
    for (const auto& c : cases) {
        IniDocument doc = IniDocument::fromBytes(c.before);
        doc.setValue(c.section, c.key, c.value);
        EXPECT_EQ(doc.toBytes(), c.after);
        EXPECT_EQ(IniDocument::fromBytes(doc.toBytes()).value(c.section, c.key), doc.value(c.section, c.key));
    }
}

TEST(IniDocument, OddFilesComeBackByteForByte)
{
    const QByteArray files[] = {
        B(""), B("[A]\r\nk=v\r"), B("\xEF\xBB\xBF"), B("[\0]\n\0=\0\n"),
        B("  [A]  \n\tk\t=\t\"v\"\t\n;c\n#c\n=x\n[\n]\n"), B("\xff\xfe[\x00M\x00]\x00\r\x00\n\x00"),
        QByteArray(200000, '[') + "\n" + QByteArray(200000, '='),
    };
    for (const QByteArray& file : files)
        EXPECT_EQ(IniDocument::fromBytes(file).toBytes(), file) << file.left(40).toHex().constData();
}

TEST(IniDocument, RemovesAndListsNamesOnceInFileOrder)
{
    IniDocument doc = IniDocument::fromBytes("; head\n[A]\nk=1\nj=2\nK=3\nB=1\nj=5\n\n[B]\nk=4\n[a]\nx=5\n");
    EXPECT_EQ(doc.sections(), (QByteArrayList{"A", "B"}));
    EXPECT_EQ(doc.keys("a"), (QByteArrayList{"k", "j", "B"}));
    doc.removeKey("a", "K");
    EXPECT_EQ(doc.toBytes(), "; head\n[A]\nj=2\nB=1\nj=5\n\n[B]\nk=4\n[a]\nx=5\n");
    doc.removeSection("A");
    doc.removeSection("missing");
    doc.removeKey("missing", "k");
    EXPECT_EQ(doc.toBytes(), "; head\n[B]\nk=4\n");
    EXPECT_FALSE(doc.hasSection("a"));
}

class IniFileTest : public testing::Test
{
protected:
    QTemporaryDir dir;
    const QString path = dir.filePath("Trackmill.INI");

    QByteArray contents() const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
};

TEST_F(IniFileTest, ReplacementKeepsModeAndFollowsSymlink)
{
    IniFile(path).writeString("MAIN", "A", "1");
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    const QString link = dir.filePath("link.ini");
    ASSERT_TRUE(QFile::link(path, link));
    ASSERT_TRUE(IniFile(link).writeInteger("MAIN", "A", 2));
    EXPECT_EQ(contents(), "[MAIN]\r\nA=2\r\n");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(IniFileTest, FailedWriteLeavesOldFileIntact)
{
    IniFile ini(path);
    EXPECT_TRUE(ini.update([](IniDocument& doc) { doc.removeSection("MAIN"); }));
    EXPECT_FALSE(QFile::exists(path));  // a change of nothing creates nothing
    ASSERT_TRUE(ini.writeString("MAIN", "A", "2"));
    ASSERT_TRUE(ini.writeBool("MAIN", "B", false));
    const QByteArray before = contents();
    EXPECT_EQ(before, "[MAIN]\r\nA=2\r\nB=0\r\n");
    EXPECT_TRUE(ini.readBool("MAIN", "A", false));  // booleans are integers
    // Root ignores folder permissions: a file size limit fails the write as a full disk would.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{64, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
    const bool written = ini.writeString("MAIN", "DIRECTORYMP3", QByteArray(4096, 'd'));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    EXPECT_FALSE(written);
    EXPECT_EQ(contents(), before);
    EXPECT_TRUE(ini.errorString().startsWith("Unable to write to " + path + ": ")) << ini.errorString().toStdString();
    // Nothing but the file itself in the folder: no temporary files left.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Trackmill.INI"});

    // The next write that fits succeeds and clears the error.
    EXPECT_TRUE(ini.writeString("MAIN", "A", "64kbps"));
    EXPECT_TRUE(ini.errorString().isEmpty());
}

TEST_F(IniFileTest, FifoDeviceOrHugeFileReadsAsDamagedAndIsNotReplaced)
{
    alarm(20);  // a reader that blocks fails instead of hanging the suite
    const QString fifo = dir.filePath("fifo.ini");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zero = dir.filePath("zero.ini");
    ASSERT_TRUE(QFile::link("/dev/zero", zero));
    QFile huge(path);
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(qint64(trackmill::ini::kMaxFileBytes) + 1));  // sparse: no disk space
    huge.close();

    const std::pair<QString, QString> cases[] = {
        {fifo, "not a regular file"}, {zero, "not a regular file"},
        {path, QStringLiteral("larger than %1 bytes").arg(trackmill::ini::kMaxFileBytes)}};
    for (const auto& [file, reason] : cases) {
        IniFile ini(file);
        QString error;
        EXPECT_TRUE(ini.load(&error).sections().isEmpty());
        EXPECT_EQ(error, file + ": " + reason);
        EXPECT_EQ(ini.readInteger("MAIN", "K", 7), 7);
        EXPECT_FALSE(ini.writeInteger("MAIN", "K", 1));
        EXPECT_EQ(ini.errorString(), "Unable to write to " + file + ": " + reason);
    }
    EXPECT_TRUE(QFileInfo(zero).isSymLink());
    EXPECT_EQ(QFileInfo(path).size(), qint64(trackmill::ini::kMaxFileBytes) + 1);
    alarm(0);
}

TEST_F(IniFileTest, StaleTemporaryFilesGoAtStart)
{
    IniFile(path).writeString("MAIN", "A", "1");
    const QString stale = dir.filePath(".Trackmill.INI.k3j9x0a");
    const QString other = dir.filePath(".CDPLAYER.INI.k3j9x0a");
    for (const QString& file : {stale, other}) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[MAIN]\r\nA=");
        f.close();
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    }
    IniFile::removeStaleTemporaryFiles({path, dir.filePath("CDPLAYER.INI")});
    EXPECT_FALSE(QFile::exists(stale));
    EXPECT_FALSE(QFile::exists(other));
    EXPECT_EQ(contents(), "[MAIN]\r\nA=1\r\n");
}

TEST_F(IniFileTest, UnreadableFileOrMissingFolderIsNotWritten)
{
    // A folder where the file should be: it cannot be read, and a write must not replace it.
    ASSERT_TRUE(QDir(dir.path()).mkdir("Trackmill.INI"));
    IniFile ini(path);
    EXPECT_EQ(ini.readInteger("MAIN", "K", 7), 7);
    EXPECT_FALSE(ini.writeInteger("MAIN", "K", 1));
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_TRUE(ini.errorString().startsWith("Unable to write to " + path));

    IniFile nowhere(dir.filePath("no/such/Trackmill.INI"));
    EXPECT_FALSE(nowhere.writeString("MAIN", "K", "v"));
    EXPECT_TRUE(nowhere.errorString().startsWith("Unable to write to " + dir.filePath("no/such/Trackmill.INI") + ": "));
    EXPECT_FALSE(QDir(dir.filePath("no")).exists());
}

}
