// SPDX-License-Identifier: GPL-2.0-or-later
// The INI file on disk: reads of missing files, whole-file replacement and
// what a failed write leaves behind.
#include "platform/inifile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

using trackmill::IniDocument;
using trackmill::IniFile;

namespace {

class IniFileTest : public testing::Test
{
protected:
    QTemporaryDir dir;
    QString path() const { return dir.filePath("Trackmill.INI"); }

    void put(const QByteArray& bytes)
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray contents() const
    {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    // Nothing but the file itself in the folder: no temporary files left.
    void expectOnlyTheFile() const
    {
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Trackmill.INI"});
    }
};

TEST_F(IniFileTest, MissingFileReadsDefaultsAndAChangeOfNothingCreatesNothing)
{
    IniFile ini(path());
    EXPECT_EQ(ini.readString("MAIN", "LANGUAGE", "English"), "English");
    EXPECT_EQ(ini.readInteger("MAIN", "VBR", 4), 4);
    EXPECT_TRUE(ini.readBool("MAIN", "DELETE", true));
    EXPECT_FALSE(ini.readBool("MAIN", "DELETE", false));
    EXPECT_TRUE(ini.update([](IniDocument& doc) { doc.removeSection("MAIN"); }));
    EXPECT_FALSE(QFile::exists(path()));
}

TEST_F(IniFileTest, BooleansAreIntegers)
{
    put("[MAIN]\r\nA=1\r\nB=0\r\nC=2\r\nD=yes\r\nE=-1\r\n");
    const IniFile ini(path());
    const std::tuple<const char*, bool, bool> cases[] = {
        {"A", false, true}, {"B", true, false}, {"C", false, true}, {"D", true, true}, {"D", false, false},
        {"E", false, true}};
    for (const auto& [key, fallback, expected] : cases)
        EXPECT_EQ(ini.readBool("MAIN", key, fallback), expected) << key;
}

TEST_F(IniFileTest, WritesCreateFileAndSectionAndKeepTheRest)
{
    IniFile ini(path());
    ASSERT_TRUE(ini.writeString("MAIN", "BITRATE", "128kbps")) << ini.errorString().toStdString();
    ASSERT_TRUE(ini.writeInteger("MAIN", "VBR", -3));
    ASSERT_TRUE(ini.writeBool("MAIN", "DELETE", false));
    ASSERT_TRUE(ini.writeBool("OTHER", "X", true));
    ASSERT_TRUE(ini.writeString("main", "bitrate", "64kbps"));
    EXPECT_EQ(contents(), "[MAIN]\r\nBITRATE=64kbps\r\nVBR=-3\r\nDELETE=0\r\n\r\n[OTHER]\r\nX=1\r\n");

    ASSERT_TRUE(ini.update([](IniDocument& doc) {
        doc.setValue("MAIN", "VBR", "2");
        doc.setValue("MAIN", "B", "3");
        doc.removeSection("GONE");
    }));
    EXPECT_EQ(contents(), "[MAIN]\r\nBITRATE=64kbps\r\nVBR=2\r\nDELETE=0\r\nB=3\r\n\r\n[OTHER]\r\nX=1\r\n");
    expectOnlyTheFile();
}

TEST_F(IniFileTest, MissingFolderIsReportedWithTheFullPath)
{
    IniFile ini(dir.filePath("no/such/Trackmill.INI"));
    EXPECT_FALSE(ini.writeString("MAIN", "K", "v"));
    EXPECT_TRUE(ini.errorString().startsWith("Unable to write to " + dir.filePath("no/such/Trackmill.INI") + ": "))
        << ini.errorString().toStdString();
    EXPECT_FALSE(QDir(dir.filePath("no")).exists());
}

TEST_F(IniFileTest, ReplacementKeepsModeAndFollowsSymlink)
{
    put("[MAIN]\nA=1\n");
    ASSERT_TRUE(QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner));
    const QString link = dir.filePath("link.ini");
    ASSERT_TRUE(QFile::link(path(), link));
    IniFile ini(link);
    ASSERT_TRUE(ini.writeInteger("MAIN", "A", 2));
    EXPECT_EQ(contents(), "[MAIN]\nA=2\n");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(IniFileTest, FailedWriteLeavesOldFileIntact)
{
    const QByteArray before("[MAIN]\r\nBITRATE=128kbps\r\n");
    put(before);
    IniFile ini(path());
    // Root ignores folder permissions: a file size limit fails the write as a full disk would.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved;
    limit.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &limit);
    const bool written = ini.writeString("MAIN", "DIRECTORYMP3", QByteArray(4096, 'd'));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    EXPECT_FALSE(written);
    EXPECT_EQ(contents(), before);
    EXPECT_TRUE(ini.errorString().startsWith("Unable to write to " + path() + ": ")) << ini.errorString().toStdString();
    expectOnlyTheFile();

    // The next write that fits succeeds and clears the error.
    EXPECT_TRUE(ini.writeString("MAIN", "BITRATE", "64kbps"));
    EXPECT_TRUE(ini.errorString().isEmpty());
}

TEST_F(IniFileTest, UnreadableFileIsNotOverwritten)
{
    // A folder where the file should be: it cannot be read, and a write must not replace it.
    ASSERT_TRUE(QDir(dir.path()).mkdir("Trackmill.INI"));
    IniFile ini(path());
    EXPECT_EQ(ini.readInteger("MAIN", "K", 7), 7);
    EXPECT_FALSE(ini.writeInteger("MAIN", "K", 1));
    EXPECT_TRUE(QFileInfo(path()).isDir());
    EXPECT_TRUE(ini.errorString().startsWith("Unable to write to " + path()));
}

}
