// SPDX-License-Identifier: GPL-2.0-or-later
// File dates of libraries and the version lines of both outside libraries.
#include "akrip32.h"
#include "pebuilder.h"
#include "qstringprinter.h"
#include "ui/encoderversionsource.h"
#include "ui/gogoversionprobe.h"
#include "ui/librarydate.h"
#include "ui/libraryversionlines.h"
#include "platform/apppaths.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace trackmill;
using namespace trackmill::test;

namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedKingdom);
// The start of an ELF library as the linker leaves it: no version resources.
const QByteArray kElf("\x7F" "ELF\x02\x01\x01", 7);

class FakeEncoderVersion : public EncoderVersionSource
{
public:
    std::optional<EncoderLibraryVersion> encoderVersion() override
    {
        ++calls;
        return answer;
    }
    std::optional<EncoderLibraryVersion> answer;
    int calls = 0;
};

class LibraryLinesTest : public ::testing::Test
{
protected:
    // A file dated at noon of the given local day, so no time zone moves its date.
    QString file(const QString& name, const QByteArray& bytes, QDate day)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.flush();  // a later write would move the date again
        EXPECT_TRUE(f.setFileTime(QDateTime(day, QTime(12, 0)), QFileDevice::FileModificationTime));
        return path;
    }

    QTemporaryDir m_dir;
};

TEST_F(LibraryLinesTest, DateIsDayMonthNameYearInTheGivenLocale)
{
    struct Case
    {
        QDate day;
        QLocale locale;
        const char* expected;
    };
    const Case cases[] = {
        {QDate(2001, 3, 1), kEnglish, "1 March 2001"},
        {QDate(2001, 9, 7), kEnglish, "7 September 2001"},
        {QDate(2026, 12, 31), kEnglish, "31 December 2026"},
        {QDate(2001, 3, 1), QLocale(QLocale::German, QLocale::Germany), "1 März 2001"},
        {QDate(2001, 9, 7), QLocale(QLocale::Polish, QLocale::Poland), "7 września 2001"},
        {QDate(2001, 9, 7), QLocale(QLocale::Russian, QLocale::Russia), "7 сентября 2001"},
    };
    for (const Case& c : cases) {
        const QString path = file(QStringLiteral("lib.so"), "x", c.day);
        EXPECT_EQ(GetDateLibrary(path, c.locale), QString::fromUtf8(c.expected));
    }
    EXPECT_EQ(GetDateLibrary(m_dir.filePath("missing.so"), kEnglish), QString());
    EXPECT_EQ(GetDateLibrary(m_dir.path(), kEnglish), QString());  // a folder is no library file
    const QString pipe = m_dir.filePath("pipe.so");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_EQ(GetDateLibrary(pipe, kEnglish), QString());  // returns rather than waiting for a writer
}

TEST_F(LibraryLinesTest, RipLibraryLineHasTheBlanksOfItsParts)
{
    const QString library = file(QStringLiteral("libakrip32.so"), kElf, QDate(2001, 9, 7));
    EXPECT_EQ(ripLibraryLine(0x0201, library, kEnglish),
              QStringLiteral("Used Library:  AKRIP32.DLL, version 2.1 , Last modified: 7 September 2001"));
    // Only bits 0-15 carry the version.
    EXPECT_EQ(ripLibraryVersionText(0xABCD0A0F), QStringLiteral(" AKRIP32.DLL, version 10.15 "));
    EXPECT_EQ(ripLibraryLine(0x0200, m_dir.filePath("gone.so"), kEnglish),
              QStringLiteral("Used Library:  AKRIP32.DLL, version 2.0 , Last modified: unknown"));

    AppPaths paths;
    paths.programDir = m_dir.path();
    EXPECT_EQ(ripLibraryPath(paths), library);

    // The library the program is linked with lies beside the built program.
    paths.programDir = QStringLiteral(TRACKMILL_BIN_DIR);
    EXPECT_TRUE(QFile::exists(ripLibraryPath(paths)));
}

TEST_F(LibraryLinesTest, EncoderWithoutVersionResourcesShowsItsOwnFacts)
{
    FakeEncoderVersion source;  // no answer: the library cannot be loaded
    EXPECT_EQ(encoderLibraryLines(source, LibraryIdentity::encoderLibrary(), kEnglish).library,
              QStringLiteral("Used Library: libgogo.so (not found)"));
    source.answer = EncoderLibraryVersion{
        file(QStringLiteral("libgogo.so"), kElf, QDate(2001, 3, 1)), 0x030A,
        QStringLiteral("GOGO v3.10, Trackmill MP3 encoder on LAME 3.100")};
    const LibraryIdentity identity{QStringLiteral("Trackmill developers"),
                                   QStringLiteral("MP3 encoder"), QStringLiteral("(C) us")};
    const EncoderLibraryLines lines = encoderLibraryLines(source, identity, kEnglish);
    EXPECT_EQ(source.calls, 2);
    EXPECT_EQ(lines.company, QStringLiteral("Company: Trackmill developers,  MP3 encoder"));
    EXPECT_EQ(lines.library,
              QStringLiteral("Used Library: libgogo.so, version v3.10, Last modified: 1 March 2001"));
    EXPECT_EQ(lines.copyright, QStringLiteral("(C) us"));
}

TEST_F(LibraryLinesTest, EncoderWithVersionResourcesSpeaksForItself)
{
    VersionBlockContents contents;
    contents.strings = {{"CompanyName", "MarineCat"},
                    {"Comments", "fast"},
                    {"OriginalFilename", "GOGO.DLL"},
                    {"LegalCopyright", "(C) 2001 MarineCat"}};
    FakeEncoderVersion source;
    source.answer = EncoderLibraryVersion{
        file(QStringLiteral("gogo.dll"), peImage(versionBlock(contents)).bytes, QDate(2001, 9, 7)),
        0x030D, QStringLiteral("GOGO v3.13")};
    EncoderLibraryLines lines = encoderLibraryLines(source, LibraryIdentity::encoderLibrary(), kEnglish);
    EXPECT_EQ(lines.company, QStringLiteral("Company: MarineCat,  fast"));
    EXPECT_EQ(lines.library,
              QStringLiteral("Used Library: GOGO.DLL, version v3.13, Last modified: 7 September 2001"));
    EXPECT_EQ(lines.copyright, QStringLiteral("(C) 2001 MarineCat"));

    // Strings the block lacks stay empty, but the line still names the file.
    contents.strings = {{"CompanyName", "MarineCat"}};
    source.answer->fileName = file(QStringLiteral("bare.dll"), peImage(versionBlock(contents)).bytes,
                                   QDate(2001, 9, 7));
    source.answer->text = QStringLiteral("GOGO");  // too short to hold the version
    lines = encoderLibraryLines(source, LibraryIdentity::encoderLibrary(), kEnglish);
    EXPECT_EQ(lines.company, QStringLiteral("Company: MarineCat,  "));
    EXPECT_EQ(lines.library,
              QStringLiteral("Used Library: bare.dll, version v3.13, Last modified: 7 September 2001"));
    EXPECT_EQ(lines.copyright, QString());
}

TEST_F(LibraryLinesTest, ProbeAsksTheEncoderLibraryThatIsLoaded)
{
    const QString built = QFileInfo(QStringLiteral(TRACKMILL_GOGO_LIBRARY)).canonicalFilePath();
    GogoLibrarySource byPath;
    byPath.libraryName = built;
    GogoVersionProbe probe(byPath);
    const auto version = probe.encoderVersion();
    ASSERT_TRUE(version);
    EXPECT_EQ(QFileInfo(version->fileName).canonicalFilePath(), built);
    EXPECT_TRUE(version->text.startsWith(QStringLiteral("GOGO v"))) << version->text.toStdString();

    // Not found by name: the path stored as INSTPATH is the file in use.
    GogoLibrarySource fallback;
    fallback.libraryName = m_dir.filePath(QStringLiteral("libgogo.so"));
    fallback.keyStoreFile = file(QStringLiteral("registry.ini"),
                                 "[HKEY_CURRENT_USER\\Software\\MarineCat\\GOGO_DLL]\r\nINSTPATH=" + built.toUtf8() + "\r\n",
                                 QDate(2001, 9, 7));
    const auto stored = GogoVersionProbe(fallback).encoderVersion();
    ASSERT_TRUE(stored);
    EXPECT_EQ(QFileInfo(stored->fileName).canonicalFilePath(), built);

    fallback.keyStoreFile.clear();
    EXPECT_FALSE(GogoVersionProbe(fallback).encoderVersion());
}

}
