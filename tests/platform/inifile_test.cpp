// SPDX-License-Identifier: GPL-2.0-or-later
// The INI layer: what the profile services read out of odd files, the exact
// bytes they write back, and the file on disk (missing files, whole-file
// replacement, what a failed write leaves behind).
#include "platform/inifile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <csignal>
#include <limits>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>

using trackmill::IniDocument;
using trackmill::IniFile;

namespace {

// Byte strings that may hold NULs.
#define B(literal) QByteArray(literal, sizeof(literal) - 1)

struct ReadCase
{
    const char* name;
    QByteArray file;
    const char* section;
    const char* key;
    std::optional<QByteArray> expected;  // nullopt: the key is missing
};

class IniDocumentRead : public testing::TestWithParam<ReadCase> {};

TEST_P(IniDocumentRead, FindsValue)
{
    const ReadCase& c = GetParam();
    const IniDocument doc = IniDocument::fromBytes(c.file);
    EXPECT_EQ(doc.hasKey(c.section, c.key), c.expected.has_value());
    EXPECT_EQ(doc.value(c.section, c.key, "<default>"), c.expected.value_or("<default>"));
}

const QByteArray kLongValue(100000, 'x');

INSTANTIATE_TEST_SUITE_P(
    Cases, IniDocumentRead,
    testing::Values(
        ReadCase{"Plain", B("[MAIN]\r\nBITRATE=128kbps\r\n"), "MAIN", "BITRATE", "128kbps"},
        ReadCase{"NamesIgnoreCase", B("[main]\r\nvbrratio=0\r\n"), "Main", "VBRRATIO", "0"},
        ReadCase{"NonAsciiNamesExact", B("[\xc4]\nk=1\n"), "\xe4", "k", std::nullopt},
        ReadCase{"Trimmed", B("[A]\n  key \t=  some value \t\n"), "A", "key", "some value"},
        ReadCase{"DoubleQuotes", B("[A]\nk= \" padded \" \n"), "A", "k", " padded "},
        ReadCase{"OnlyOnePairOfQuotes", B("[A]\nk=\"\"x\"\"\n"), "A", "k", "\"x\""},
        ReadCase{"MismatchedQuotesKept", B("[A]\nk=\"x'\n"), "A", "k", "\"x'"},
        ReadCase{"EmptyValueIsAValue", B("[A]\nk=\n"), "A", "k", ""},
        ReadCase{"EqualsInValue", B("[A]\nurl=a=b=c\n"), "A", "url", "a=b=c"},
        ReadCase{"SemicolonInValueKept", B("[A]\nk=v ; not a comment\n"), "A", "k", "v ; not a comment"},
        ReadCase{"FirstDuplicateKeyWins", B("[A]\nk=1\nK=2\n"), "A", "k", "1"},
        ReadCase{"FirstDuplicateSectionWins", B("[A]\nk=1\n[a]\nk=2\nj=3\n"), "A", "j", std::nullopt},
        ReadCase{"KeyBeforeAnySection", B("k=1\n[A]\n"), "A", "k", std::nullopt},
        ReadCase{"CommentedKey", B("[A]\n;k=1\n"), "A", "k", std::nullopt},
        ReadCase{"LineWithoutEquals", B("[A]\nk\n"), "A", "k", std::nullopt},
        ReadCase{"SectionHeaderSpacesAndTrailer", B("  [ MAIN ]  ; comment\nk=v\n"), "MAIN", "k", "v"},
        ReadCase{"SectionWithoutBracket", B("[MAIN\nk=v\n"), "MAIN", "k", "v"},
        ReadCase{"MissingSection", B("[A]\nk=v\n"), "B", "k", std::nullopt},
        ReadCase{"NoTrailingNewline", B("[A]\r\nk=last"), "A", "k", "last"},
        ReadCase{"LoneCarriageReturnIsNoBreak", B("[A]\nk=a\rb\n"), "A", "k", "a\rb"},
        ReadCase{"CrBeforeCrLfTrimmed", B("[A]\r\nk=v\r\r\n"), "A", "k", "v"},
        ReadCase{"NulBytesSurvive", B("[A]\nk=a\0b\n"), "A", "k", B("a\0b")},
        ReadCase{"HighBytesSurvive", B("[A]\nk=\x82\xa0\xff\n"), "A", "k", "\x82\xa0\xff"},
        ReadCase{"Utf8Bom", B("\xEF\xBB\xBF[A]\nk=v\n"), "A", "k", "v"},
        ReadCase{"LongLine", "[A]\nk=" + kLongValue + "\n", "A", "k", kLongValue}),
    [](const testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

struct IntCase
{
    const char* name;
    QByteArray stored;  // nullopt-like: "<none>" means no key
    int expected;
};

class IniDocumentInt : public testing::TestWithParam<IntCase> {};

TEST_P(IniDocumentInt, ParsesLikeProfileServices)
{
    const IntCase& c = GetParam();
    const QByteArray file = c.stored == "<none>" ? QByteArray("[A]\n") : "[A]\nk=" + c.stored + "\n";
    EXPECT_EQ(IniDocument::fromBytes(file).intValue("A", "k", -77), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniDocumentInt,
    testing::Values(IntCase{"Missing", "<none>", -77}, IntCase{"Decimal", "12", 12}, IntCase{"NoDigits", "abc", -77},
                    IntCase{"LeadingDigitsCount", "12abc", 12}, IntCase{"SpaceInside", "1 2", 1},
                    IntCase{"Negative", "-5", -5}, IntCase{"Plus", "+7", 7}, IntCase{"Trimmed", "  42  ", 42},
                    IntCase{"Quoted", "\"5\"", 5}, IntCase{"Hex", "0x1F", 31}, IntCase{"HexTrailingGarbage", "0x1Fz", 31},
                    IntCase{"HexWithoutDigitsIsZero", "0xZ", 0}, IntCase{"HexWrapsTo32Bits", "0xFFFFFFFF", -1},
                    IntCase{"Max", "2147483647", 2147483647}, IntCase{"TooLarge", "2147483648", -77},
                    IntCase{"Min", "-2147483648", std::numeric_limits<int>::min()},
                    IntCase{"FarTooLarge", "99999999999999999999999", -77}),
    [](const testing::TestParamInfo<IntCase>& info) { return std::string(info.param.name); });

struct WriteCase
{
    const char* name;
    QByteArray before;
    const char* section;
    const char* key;
    QByteArray value;
    QByteArray after;
};

class IniDocumentWrite : public testing::TestWithParam<WriteCase> {};

TEST_P(IniDocumentWrite, WritesExactBytes)
{
    const WriteCase& c = GetParam();
    IniDocument doc = IniDocument::fromBytes(c.before);
    doc.setValue(c.section, c.key, c.value);
    EXPECT_EQ(doc.toBytes(), c.after);
    // What was written reads back, through a fresh parse too.
    const QByteArray expectedRead = doc.value(c.section, c.key);
    EXPECT_EQ(IniDocument::fromBytes(doc.toBytes()).value(c.section, c.key), expectedRead);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniDocumentWrite,
    testing::Values(
        WriteCase{"EmptyFile", "", "MAIN", "BITRATE", "128kbps", "[MAIN]\r\nBITRATE=128kbps\r\n"},
        WriteCase{"ReplaceInPlaceKeepsSpelling", "[Main]\r\nvbrratio = 1\r\nOther=b\r\n", "MAIN",
                  "VBRRatio", "0", "[Main]\r\nvbrratio=0\r\nOther=b\r\n"},
        WriteCase{"AppendAfterLastKeyNotAfterBlankLines", "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n", "A",
                  "z", "3", "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n"},
        WriteCase{"AppendBeforeTrailingComment", "[A]\nx=1\n\n; end\n", "A", "z", "3", "[A]\nx=1\nz=3\n\n; end\n"},
        WriteCase{"AppendToEmptySection", "[A]\r\n[B]\r\n", "a", "k", "v", "[A]\r\nk=v\r\n[B]\r\n"},
        WriteCase{"NewSectionAfterBlankLine", "[A]\r\nx=1\r\n", "B", "k", "v", "[A]\r\nx=1\r\n\r\n[B]\r\nk=v\r\n"},
        WriteCase{"NoTrailingNewlineAppend", "[A]\nx=1", "A", "y", "2", "[A]\nx=1\ny=2\n"},
        WriteCase{"FirstDuplicateReplaced", "[A]\nk=1\nk=2\n", "A", "K", "9", "[A]\nk=9\nk=2\n"},
        WriteCase{"FirstDuplicateSectionWritten", "[A]\nk=1\n[B]\n[A]\nj=2\n", "A", "j", "3",
                  "[A]\nk=1\nj=3\n[B]\n[A]\nj=2\n"},
        WriteCase{"UnknownLinesKeptByteForByte", B("garbage\0\xff\r\n[A] ; c\r\n  k = v \r\n"),
                  "A", "k", "w", B("garbage\0\xff\r\n[A] ; c\r\nk=w\r\n")},
        WriteCase{"MixedLineBreaksKept", "[A]\r\nx=1\n; c\r\n", "A", "x", "2", "[A]\r\nx=2\n; c\r\n"},
        WriteCase{"LineBreaksInValueFlattened", "[A]\n", "A", "k", "a\r\n[B]\nk=evil", "[A]\nk=a  [B] k=evil\n"},
        WriteCase{"BinaryValue", "[A]\n", "A", "k", B("\0\x01\xff"), B("[A]\nk=\0\x01\xff\n")},
        WriteCase{"BomKept", "\xEF\xBB\xBF[A]\r\n", "A", "k", "v", "\xEF\xBB\xBF[A]\r\nk=v\r\n"},
        WriteCase{"KeyBeforeSectionUntouched", "k=1\n[A]\n", "A", "k", "2", "k=1\n[A]\nk=2\n"},
        WriteCase{"CommentedKeyUntouched", "[A]\n;k=1\n", "A", "k", "2", "[A]\n;k=1\nk=2\n"}),
    [](const testing::TestParamInfo<WriteCase>& info) { return std::string(info.param.name); });

TEST(IniDocumentRoundTrip, OddFilesComeBackByteForByte)
{
    const QByteArray files[] = {
        B(""), B("\n"), B("\r\n\r\n"), B("no newline"), B("[A]\r\nk=v\r"), B("\xEF\xBB\xBF"), B("\xEF\xBB\xBF\n"),
        B("[\0]\n\0=\0\n"), B("  [A]  \n\tk\t=\t\"v\"\t\n;c\n#c\n=x\n[\n]\n"), B("\xff\xfe[\x00M\x00]\x00\r\x00\n\x00"),
        QByteArray(200000, '[') + "\n" + QByteArray(200000, '='),
    };
    for (const QByteArray& file : files)
        EXPECT_EQ(IniDocument::fromBytes(file).toBytes(), file) << file.left(40).toHex().constData();
}

TEST(IniDocumentRemove, RemovesKeysAndSections)
{
    IniDocument doc = IniDocument::fromBytes("; head\n[A]\nk=1\nj=2\nK=3\n\n[B]\nk=4\n[a]\nx=5\n");
    doc.removeKey("a", "K");
    EXPECT_EQ(doc.toBytes(), "; head\n[A]\nj=2\n\n[B]\nk=4\n[a]\nx=5\n");
    EXPECT_FALSE(doc.hasKey("A", "k"));
    EXPECT_TRUE(doc.hasKey("B", "k"));

    doc.removeSection("A");
    EXPECT_EQ(doc.toBytes(), "; head\n[B]\nk=4\n");
    EXPECT_FALSE(doc.hasSection("a"));

    doc.removeSection("missing");
    doc.removeKey("missing", "k");
    EXPECT_EQ(doc.toBytes(), "; head\n[B]\nk=4\n");
}

TEST(IniDocumentNames, ListsSectionsAndKeysOnceInFileOrder)
{
    const IniDocument doc =
        IniDocument::fromBytes("[Main]\nB=1\na=2\nb=3\n;c=4\n[Other]\nz=1\n[MAIN]\nq=1\n");
    EXPECT_EQ(doc.sections(), (QByteArrayList{"Main", "Other"}));
    EXPECT_EQ(doc.keys("main"), (QByteArrayList{"B", "a"}));
    EXPECT_TRUE(doc.keys("none").isEmpty());
    EXPECT_TRUE(doc.hasSection("other"));
    EXPECT_FALSE(doc.hasSection("Oth"));
}

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
