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
    PeImageLayout amongOthers;
    amongOthers.withIconDirectory = true;
    amongOthers.resourceName = 2;  // not the usual name 1: the first one is taken
    for (const PeImageLayout& pe : {PeImageLayout{}, PeImageLayout{.pe32Plus = true}, amongOthers}) {
        SCOPED_TRACE(pe.pe32Plus ? "PE32+" : pe.withIconDirectory ? "PE32 with an icon" : "PE32");
        const TVerInfoRes info(write(peImage(versionBlock(encoderStrings()), pe).bytes));
        EXPECT_EQ(info.languageId(), 0x0409);
        EXPECT_EQ(info.codePage(), 1252);
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

TEST_F(VerInfoResTest, OnlyPlainFilesAreRead)
{
    EXPECT_THROW(TVerInfoRes(QCoreApplication::applicationFilePath()), ENoVerInfoError);  // ELF
    EXPECT_THROW(TVerInfoRes(m_dir.filePath("missing.dll")), ENoVerInfoError);
    EXPECT_THROW(TVerInfoRes(m_dir.path()), ENoVerInfoError);
    // A pipe would block the reader until someone writes to it.
    const QString pipe = m_dir.filePath("pipe.dll");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_THROW(TVerInfoRes{pipe}, ENoVerInfoError);
}

enum Outcome { Read, NoVerInfo, VerInfoError };

// Reads an image from memory; the only acceptable outcomes are a result or
// one of the two exceptions (AddressSanitizer watches the reads).
Outcome read(const QByteArray& bytes, QString* message = nullptr)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
        const TVerInfoRes info(buffer, QStringLiteral("damaged.dll"));
        for (int i = 0; i < TVerInfoRes::stringCount; ++i)
            (void)info.value(TVerInfoRes::StringIndex(i));
        return Read;
    } catch (const ENoVerInfoError& e) {
        if (message)
            *message = e.message();
        return NoVerInfo;
    } catch (const EverInfoError& e) {
        if (message)
            *message = e.message();
        return VerInfoError;
    }
}

TEST(VerInfoResHostileTest, EveryTruncationIsRejectedCleanly)
{
    const QByteArray whole = peImage(versionBlock(encoderStrings())).bytes;
    ASSERT_EQ(read(whole), Read);
    for (qsizetype length = 0; length < whole.size(); ++length)
        EXPECT_NE(read(whole.left(length)), Read) << "length " << length;
}

TEST(VerInfoResHostileTest, DamagedFieldsRaiseTheirErrorAndStayInBounds)
{
    const PeImage image = peImage(versionBlock(encoderStrings()));
    auto patched = [&image](qsizetype at, int size, quint32 value) {
        QByteArray bytes = image.bytes;
        if (size == 2)
            putU16(bytes, at, quint16(value));
        else
            putU32(bytes, at, value);
        return bytes;
    };
    VersionBlockContents noVarFileInfo = encoderStrings();
    noVarFileInfo.withVarFileInfo = false;
    VersionBlockContents noTranslation = encoderStrings();
    noTranslation.translations.clear();
    struct Case
    {
        const char* name;
        QByteArray bytes;
        Outcome outcome;
        QString message = kNoVersion;
    };
    const Case cases[] = {
        {"text file", "MZ but nothing else\n", NoVerInfo},
        {"PE without resources", peImage(versionBlock(encoderStrings()), {.withResources = false}).bytes, NoVerInfo},
        {"PE with only an icon", peImage(versionBlock(encoderStrings()), {.resourceType = 3}).bytes, NoVerInfo},
        {"no VarFileInfo", peImage(versionBlock(noVarFileInfo)).bytes, VerInfoError, kNoLanguage},
        {"empty translation table", peImage(versionBlock(noTranslation)).bytes, VerInfoError, kNoLanguage},
        {"version resource of size 0", patched(image.dataEntry + 4, 4, 0), NoVerInfo},
        {"block beyond the end of the file", patched(image.dataEntry, 4, 0x7FFFFF00), VerInfoError},
        {"block that is no version block", patched(image.block + 6, 2, 'X'), VerInfoError},
        {"e_lfanew far away", patched(0x3C, 4, 0xFFFFFFF0u), NoVerInfo},
        {"e_lfanew at the end", patched(0x3C, 4, quint32(image.bytes.size() - 2)), NoVerInfo},
        {"65535 sections", patched(image.peHeader + 6, 2, 0xFFFF), NoVerInfo},
        {"optional header larger than the file", patched(image.peHeader + 20, 2, 0xFFFF), NoVerInfo},
        {"resource RVA at the top", patched(image.optionalHeader + 96 + 16, 4, 0xFFFFFFF0u), NoVerInfo},
        {"section raw pointer huge", patched(image.sectionTable + 20, 4, 0xFFFFFFF0u), NoVerInfo},
        {"section address at the top", patched(image.sectionTable + 12, 4, 0xFFFFF000u), NoVerInfo},
        {"65535 type entries", patched(image.resourceSection + 14, 2, 0xFFFF), NoVerInfo},
        {"type directory points at itself", patched(image.resourceSection + 20, 4, 0x80000000u), NoVerInfo},
        {"data entry size huge", patched(image.dataEntry + 4, 4, 0xFFFFFFFFu), VerInfoError},
        {"root length too small", patched(image.block, 2, 4), VerInfoError},
        {"root value length huge", patched(image.block + 2, 2, 0xFFFF), VerInfoError, kNoLanguage},
        // Harmless excess: the counts and lengths are cut to what is there.
        {"65535 data directories", patched(image.optionalHeader + 92, 4, 0xFFFFFFFFu), Read},
        {"section raw size huge", patched(image.sectionTable + 16, 4, 0xFFFFFFFFu), Read},
        {"root length past the block", patched(image.block, 2, 0xFFFF), Read},
    };
    for (const Case& c : cases) {
        QString message;
        EXPECT_EQ(read(c.bytes, &message), c.outcome) << c.name;
        EXPECT_EQ(message, c.outcome == Read ? QString() : c.message) << c.name;
    }

    // Every node length inside the block set to the largest and the smallest value.
    const QByteArray block = versionBlock(encoderStrings());
    for (qsizetype at = 0; at + 1 < block.size(); at += 2)
        for (const quint16 value : {quint16(0), quint16(6), quint16(0xFFFF)})
            read(patched(image.block + at, 2, value));
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
        read(bytes);
    }
}

}
