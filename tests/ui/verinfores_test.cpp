// SPDX-License-Identifier: GPL-2.0-or-later
// The version resource reader against PE images built here, damaged copies
// of them, and files that are no PE image at all.
#include "pebuilder.h"
#include "qstringprinter.h"
#include "ui/verinfores.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

using namespace trackmill;
using namespace trackmill::test;

namespace {

const QString kNoVersion = QStringLiteral("Information about version not included");
const QString kNoLanguage = QStringLiteral("Information about version language not included");

VersionBlockContents encoderStrings()
{
    VersionBlockContents contents;
    contents.strings = {
        {"CompanyName", "MarineCat"},
        {"FileDescription", "MP3 encoder"},
        {"FileVersion", "3.10"},
        {"InternalName", "gogo"},
        // Written the usual way; the reader asks for "LegalCopyRight".
        {"LegalCopyright", "(C) 2001 the encoder team"},
        {"LegalTrademarks", "none"},
        {"OriginalFilename", "GOGO.DLL"},
        {"ProductName", "GOGO-no-coda"},
        {"ProductVersion", "3.10"},
        {"Comments", "fast"},
    };
    return contents;
}

class VerInfoResTest : public ::testing::Test
{
protected:
    QString write(const QByteArray& bytes, const QString& name = QStringLiteral("lib.dll"))
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    QTemporaryDir m_dir;
};

TEST_F(VerInfoResTest, ReadsEveryStringOfPe32AndPe32Plus)
{
    for (const bool plus : {false, true}) {
        SCOPED_TRACE(plus ? "PE32+" : "PE32");
        PeImageLayout pe;
        pe.pe32Plus = plus;
        const QString path = write(peImage(versionBlock(encoderStrings()), pe).bytes);
        const TVerInfoRes info(path);
        EXPECT_EQ(info.fileName(), path);
        EXPECT_EQ(info.languageId(), 0x0409);
        EXPECT_EQ(info.codePage(), 1252);
        EXPECT_EQ(info.queryKey(TVerInfoRes::CompanyName),
                  QStringLiteral("\\StringFileInfo\\040904E4\\CompanyName"));
        const char* expected[TVerInfoRes::stringCount] = {
            "MarineCat", "MP3 encoder", "3.10", "gogo", "(C) 2001 the encoder team",
            "none", "GOGO.DLL", "GOGO-no-coda", "3.10", "fast"};
        for (int i = 0; i < TVerInfoRes::stringCount; ++i)
            EXPECT_EQ(info.value(TVerInfoRes::StringIndex(i)), QString::fromUtf8(expected[i]))
                << TVerInfoRes::stringName(TVerInfoRes::StringIndex(i));
    }
}

TEST_F(VerInfoResTest, QueriesTheTableOfTheFirstTranslationOnly)
{
    VersionBlockContents contents;
    contents.tableKey = QStringLiteral("041504e2");  // table keys match regardless of case
    contents.strings = {{"CompanyName", QStringLiteral("Zażółć gęślą jaźń")}};
    contents.translations = {{0x0415, 0x04E2}, {0x0409, 0x04E4}};
    const TVerInfoRes polish(write(peImage(versionBlock(contents)).bytes));
    EXPECT_EQ(polish.queryKey(TVerInfoRes::CompanyName),
              QStringLiteral("\\StringFileInfo\\041504E2\\CompanyName"));
    EXPECT_EQ(polish.value(TVerInfoRes::CompanyName), QStringLiteral("Zażółć gęślą jaźń"));
    EXPECT_EQ(polish.value(TVerInfoRes::Comments), QString());

    // The strings sit under the second translation: the first one decides.
    contents.translations = {{0x0409, 0x04B0}, {0x0415, 0x04E2}};
    const TVerInfoRes other(write(peImage(versionBlock(contents)).bytes, "other.dll"));
    EXPECT_EQ(other.queryKey(TVerInfoRes::CompanyName),
              QStringLiteral("\\StringFileInfo\\040904B0\\CompanyName"));
    EXPECT_EQ(other.value(TVerInfoRes::CompanyName), QString());
}

TEST_F(VerInfoResTest, FindsTheVersionResourceAmongOthers)
{
    PeImageLayout pe;
    pe.withIconDirectory = true;
    pe.resourceName = 2;  // not the usual name 1: the first one is taken
    const TVerInfoRes info(write(peImage(versionBlock(encoderStrings()), pe).bytes));
    EXPECT_EQ(info.value(TVerInfoRes::OriginalFileName), QStringLiteral("GOGO.DLL"));
}

struct FailureCase
{
    const char* name;
    std::function<QByteArray()> bytes;  // null: the test executable itself
    bool noVerInfo;                     // ENoVerInfoError, else EverInfoError
    QString message;
};

TEST_F(VerInfoResTest, FilesWithoutReadableVersionInformationRaise)
{
    const FailureCase cases[] = {
        {"ELF executable", nullptr, true, kNoVersion},
        {"empty file", [] { return QByteArray(); }, true, kNoVersion},
        {"text file", [] { return QByteArray("MZ but nothing else\n"); }, true, kNoVersion},
        {"PE without resources",
         [] {
             PeImageLayout pe;
             pe.withResources = false;
             return peImage(versionBlock(encoderStrings()), pe).bytes;
         },
         true, kNoVersion},
        {"PE with only an icon",
         [] {
             PeImageLayout pe;
             pe.resourceType = 3;
             return peImage(versionBlock(encoderStrings()), pe).bytes;
         },
         true, kNoVersion},
        {"version resource of size 0",
         [] {
             PeImage image = peImage(versionBlock(encoderStrings()));
             putU32(image.bytes, image.dataEntry + 4, 0);
             return image.bytes;
         },
         true, kNoVersion},
        {"block beyond the end of the file",
         [] {
             PeImage image = peImage(versionBlock(encoderStrings()));
             putU32(image.bytes, image.dataEntry, 0x7FFFFF00);
             return image.bytes;
         },
         false, kNoVersion},
        {"block that is no version block",
         [] {
             PeImage image = peImage(versionBlock(encoderStrings()));
             image.bytes[image.block + 6] = 'X';  // first letter of VS_VERSION_INFO
             return image.bytes;
         },
         false, kNoVersion},
        {"no VarFileInfo",
         [] {
             VersionBlockContents contents = encoderStrings();
             contents.withVarFileInfo = false;
             return peImage(versionBlock(contents)).bytes;
         },
         false, kNoLanguage},
        {"empty translation table",
         [] {
             VersionBlockContents contents = encoderStrings();
             contents.translations.clear();
             return peImage(versionBlock(contents)).bytes;
         },
         false, kNoLanguage},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = c.bytes ? write(c.bytes()) : QCoreApplication::applicationFilePath();
        try {
            TVerInfoRes info(path);
            ADD_FAILURE() << "no exception";
        } catch (const ENoVerInfoError& e) {
            EXPECT_TRUE(c.noVerInfo) << "ENoVerInfoError";
            EXPECT_EQ(e.message(), c.message);
        } catch (const EverInfoError& e) {
            EXPECT_FALSE(c.noVerInfo) << "EverInfoError";
            EXPECT_EQ(e.message(), c.message);
        }
    }
    EXPECT_THROW(TVerInfoRes(m_dir.filePath("missing.dll")), ENoVerInfoError);
    EXPECT_THROW(TVerInfoRes(m_dir.path()), ENoVerInfoError);
    // A pipe would block the reader until someone writes to it.
    const QString pipe = m_dir.filePath("pipe.dll");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_THROW(TVerInfoRes{pipe}, ENoVerInfoError);
}

// Reads a damaged image from memory; the only acceptable outcomes are a
// result or one of the two exceptions (AddressSanitizer watches the reads).
int readDamaged(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
        const TVerInfoRes info(buffer, QStringLiteral("damaged.dll"));
        for (int i = 0; i < TVerInfoRes::stringCount; ++i)
            (void)info.value(TVerInfoRes::StringIndex(i));
        return 0;
    } catch (const ENoVerInfoError&) {
        return 1;
    } catch (const EverInfoError&) {
        return 2;
    }
}

TEST(VerInfoResHostileTest, EveryTruncationIsRejectedCleanly)
{
    const QByteArray whole = peImage(versionBlock(encoderStrings())).bytes;
    ASSERT_EQ(readDamaged(whole), 0);
    for (qsizetype length = 0; length < whole.size(); ++length)
        EXPECT_NE(readDamaged(whole.left(length)), 0) << "length " << length;
}

TEST(VerInfoResHostileTest, OversizedFieldsStayInBounds)
{
    const PeImage image = peImage(versionBlock(encoderStrings()));
    enum Outcome { Read, NoVerInfo, VerInfoError };
    struct Patch
    {
        const char* name;
        qsizetype at;
        int bytes;
        quint32 value;
        Outcome outcome;
    };
    const Patch patches[] = {
        {"e_lfanew far away", 0x3C, 4, 0xFFFFFFF0u, NoVerInfo},
        {"e_lfanew at the end", 0x3C, 4, quint32(image.bytes.size() - 2), NoVerInfo},
        {"65535 sections", image.peHeader + 6, 2, 0xFFFF, NoVerInfo},
        {"optional header larger than the file", image.peHeader + 20, 2, 0xFFFF, NoVerInfo},
        {"resource RVA at the top", image.optionalHeader + 96 + 16, 4, 0xFFFFFFF0u, NoVerInfo},
        {"section raw pointer huge", image.sectionTable + 20, 4, 0xFFFFFFF0u, NoVerInfo},
        {"section address at the top", image.sectionTable + 12, 4, 0xFFFFF000u, NoVerInfo},
        {"65535 type entries", image.resourceSection + 14, 2, 0xFFFF, NoVerInfo},
        {"type directory points at itself", image.resourceSection + 20, 4, 0x80000000u, NoVerInfo},
        {"data entry size huge", image.dataEntry + 4, 4, 0xFFFFFFFFu, VerInfoError},
        {"root length too small", image.block, 2, 4, VerInfoError},
        {"root value length huge", image.block + 2, 2, 0xFFFF, VerInfoError},
        // Harmless excess: the counts and lengths are cut to what is there.
        {"65535 data directories", image.optionalHeader + 92, 4, 0xFFFFFFFFu, Read},
        {"section raw size huge", image.sectionTable + 16, 4, 0xFFFFFFFFu, Read},
        {"root length past the block", image.block, 2, 0xFFFF, Read},
    };
    for (const Patch& p : patches) {
        QByteArray bytes = image.bytes;
        if (p.bytes == 2)
            putU16(bytes, p.at, quint16(p.value));
        else
            putU32(bytes, p.at, p.value);
        EXPECT_EQ(readDamaged(bytes), p.outcome) << p.name;
    }

    // Every node length inside the block set to the largest and the smallest value.
    const QByteArray block = versionBlock(encoderStrings());
    for (qsizetype at = 0; at + 1 < block.size(); at += 2) {
        for (const quint16 value : {quint16(0), quint16(6), quint16(0xFFFF)}) {
            QByteArray bytes = image.bytes;
            putU16(bytes, image.block + at, value);
            readDamaged(bytes);
        }
    }
}

TEST(VerInfoResHostileTest, RandomDamageNeverReadsOutOfBounds)
{
    const QByteArray whole = peImage(versionBlock(encoderStrings()), {true}).bytes;
    std::mt19937 random(20011);  // fixed seed: the same files on every run
    std::uniform_int_distribution<qsizetype> position(0, whole.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> count(1, 6);
    for (int round = 0; round < 4000; ++round) {
        QByteArray bytes = whole;
        for (int n = count(random); n > 0; --n)
            bytes[position(random)] = char(byte(random));
        readDamaged(bytes);
    }
}

}
