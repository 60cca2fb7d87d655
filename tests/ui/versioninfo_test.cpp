// SPDX-License-Identifier: GPL-2.0-or-later
// The version resource reader against PE images built here and damaged
// copies of them; file dates and the version lines of the outside libraries.
#include "akrip32.h"
#include "ui/encoderversionsource.h"
#include "ui/gogoversionprobe.h"
#include "ui/librarydate.h"
#include "ui/libraryversionlines.h"
#include "ui/verinfores.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace trackmill;

namespace {

// Version blocks and small PE images holding them, laid out as a resource
// compiler and a linker lay them out; numbers are little-endian.
void putU16(QByteArray& b, qsizetype at, quint16 v) { b[at] = char(v & 0xFF); b[at + 1] = char(v >> 8); }
void putU32(QByteArray& b, qsizetype at, quint32 v) { putU16(b, at, quint16(v)); putU16(b, at + 2, quint16(v >> 16)); }
void appendU16(QByteArray& b, quint16 v) { b.append(char(v & 0xFF)).append(char(v >> 8)); }
void appendU32(QByteArray& b, quint32 v) { appendU16(b, quint16(v)); appendU16(b, quint16(v >> 16)); }
void pad4(QByteArray& b) { b.append((4 - b.size() % 4) % 4, '\0'); }

QByteArray utf16z(const QString& s)
{
    QByteArray b;
    for (const QChar c : s)
        appendU16(b, c.unicode());
    appendU16(b, 0);
    return b;
}

// One node: header, key, padding, value, then each child on a 4-byte boundary.
QByteArray node(const QString& key, const QByteArray& value, quint16 valueLength, bool text,
                const QList<QByteArray>& children = {})
{
    QByteArray b;
    appendU16(b, 0);  // length, filled in below
    appendU16(b, valueLength);
    appendU16(b, text ? 1 : 0);
    b.append(utf16z(key));
    pad4(b);
    b.append(value);
    for (const QByteArray& child : children) {
        pad4(b);
        b.append(child);
    }
    putU16(b, 0, quint16(b.size()));
    return b;
}

struct VersionBlockContents
{
    QString tableKey = QStringLiteral("040904E4");
    QList<QPair<QString, QString>> strings;
    QList<QPair<quint16, quint16>> translations = {{0x0409, 0x04E4}};  // language, code page
    bool withVarFileInfo = true;
};

VersionBlockContents encoderStrings()
{
    VersionBlockContents c;
    // LegalCopyright written the usual way; the reader asks for "LegalCopyRight".
    c.strings = {{"CompanyName", "MarineCat"}, {"FileDescription", "MP3 encoder"}, {"FileVersion", "3.10"},
                 {"InternalName", "gogo"}, {"LegalCopyright", "(C) 2001 the encoder team"},
                 {"LegalTrademarks", "none"}, {"OriginalFilename", "GOGO.DLL"}, {"ProductName", "GOGO-no-coda"},
                 {"ProductVersion", "3.10"}, {"Comments", "fast"}};
    return c;
}

QByteArray versionBlock(const VersionBlockContents& contents = encoderStrings())
{
    QList<QByteArray> strings;
    for (const auto& [name, value] : contents.strings)
        strings.append(node(name, utf16z(value), quint16(value.size() + 1), true));
    QList<QByteArray> children{
        node(QStringLiteral("StringFileInfo"), {}, 0, true, {node(contents.tableKey, {}, 0, true, strings)})};
    if (contents.withVarFileInfo) {
        QByteArray table;
        for (const auto& [language, codePage] : contents.translations) {
            appendU16(table, language);
            appendU16(table, codePage);
        }
        children.append(node(QStringLiteral("VarFileInfo"), {}, 0, true,
                             {node(QStringLiteral("Translation"), table, quint16(table.size()), false)}));
    }
    QByteArray fixed;
    appendU32(fixed, 0xFEEF04BD);  // signature
    appendU32(fixed, 0x00010000);  // structure version
    fixed.append(44, '\0');
    return node(QStringLiteral("VS_VERSION_INFO"), fixed, quint16(fixed.size()), false, children);
}

struct PeImage
{
    QByteArray bytes;
    // File offsets of the parts a test may want to damage.
    qsizetype peHeader = 0, optionalHeader = 0, sectionTable = 0, resourceSection = 0, dataEntry = 0, block = 0;
};

// pe32Plus: the 64-bit layout. amongOthers: an icon resource type listed
// before the version one, whose resource is named 2 rather than 1.
PeImage peImage(const QByteArray& versionResource, bool pe32Plus = false, bool amongOthers = false)
{
    constexpr quint32 kSectionRva = 0x1000, kSectionFileOffset = 0x200;
    PeImage image;
    QByteArray& b = image.bytes;
    b = QByteArray("MZ").append(62, '\0');  // DOS header with e_lfanew pointing just behind it
    putU32(b, 0x3C, 64);

    image.peHeader = b.size();
    b.append(QByteArrayView("PE\0\0", 4));
    const quint16 optionalSize = pe32Plus ? 240 : 224;
    appendU16(b, pe32Plus ? 0x8664 : 0x014C);  // machine
    appendU16(b, 1);                           // sections
    b.append(12, '\0');
    appendU16(b, optionalSize);
    appendU16(b, 0x2102);  // executable DLL

    image.optionalHeader = b.size();
    QByteArray optional(optionalSize, '\0');
    putU16(optional, 0, pe32Plus ? 0x20B : 0x10B);
    const qsizetype countAt = pe32Plus ? 108 : 92;
    putU32(optional, countAt, 16);
    b.append(optional);
    image.sectionTable = b.size();
    b.append(QByteArray(40, '\0').replace(0, 5, ".rsrc"));
    b.append(QByteArray(kSectionFileOffset - b.size(), '\0'));

    // Resource tree at fixed offsets: type -> name -> language -> data entry -> block.
    QByteArray res;
    auto directory = [&res](qsizetype at, QList<QPair<quint32, quint32>> entries) {
        res.append(QByteArray(at - res.size(), '\0'));
        res.append(12, '\0');
        appendU16(res, 0);
        appendU16(res, quint16(entries.size()));
        for (const auto& [id, target] : entries) {
            appendU32(res, id);
            appendU32(res, target);
        }
    };
    constexpr quint32 kSub = 0x80000000u, kNames = 0x20, kLanguages = 0x40, kIconNames = 0x60, kData = 0x80,
                      kBlock = 0xA0;
    QList<QPair<quint32, quint32>> types;
    if (amongOthers)
        types.append({3, kSub | kIconNames});
    types.append({16, kSub | kNames});
    directory(0, types);
    directory(kNames, {{amongOthers ? 2u : 1u, kSub | kLanguages}});
    directory(kLanguages, {{0x0409, kData}});
    directory(kIconNames, {});
    res.append(QByteArray(kData - res.size(), '\0'));
    appendU32(res, kSectionRva + kBlock);
    appendU32(res, quint32(versionResource.size()));
    res.append(QByteArray(kBlock - res.size(), '\0'));
    res.append(versionResource);
    pad4(res);

    image.resourceSection = b.size();
    image.dataEntry = image.resourceSection + kData;
    image.block = image.resourceSection + kBlock;
    b.append(res);
    putU32(b, image.sectionTable + 8, quint32(res.size()));  // virtual size
    putU32(b, image.sectionTable + 12, kSectionRva);
    putU32(b, image.sectionTable + 16, quint32(res.size()));  // raw size
    putU32(b, image.sectionTable + 20, kSectionFileOffset);
    const qsizetype resourceDirectory = image.optionalHeader + countAt + 4 + 2 * 8;
    putU32(b, resourceDirectory, kSectionRva);
    putU32(b, resourceDirectory + 4, quint32(res.size()));
    return image;
}

enum Outcome { Read, NoVerInfo, VerInfoError };

// Reads an image from memory; the only acceptable outcomes are a result or
// one of the two exceptions (AddressSanitizer watches the reads).
Outcome read(QByteArray bytes, QString* message = nullptr)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QString ignored;
    QString& text = message ? *message : ignored;
    try {
        const TVerInfoRes info(buffer, QStringLiteral("damaged.dll"));
        for (int i = 0; i < TVerInfoRes::stringCount; ++i)
            (void)info.value(TVerInfoRes::StringIndex(i));
        return Read;
    } catch (const ENoVerInfoError& e) {
        text = e.message();
        return NoVerInfo;
    } catch (const EverInfoError& e) {
        text = e.message();
        return VerInfoError;
    }
}

struct FakeEncoderVersion : EncoderVersionSource
{
    std::optional<EncoderLibraryVersion> encoderVersion() override { return answer; }
    std::optional<EncoderLibraryVersion> answer;
};

const QLocale kEnglish(QLocale::English, QLocale::UnitedKingdom);
const QByteArray kElf("\x7F" "ELF\x02\x01\x01", 7);  // an ELF library: no version resources

class VersionInfoTest : public ::testing::Test
{
protected:
    // A file dated at noon of the given local day, so no time zone moves its date.
    QString file(const QString& name, const QByteArray& bytes, QDate day = QDate(2001, 9, 7))
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

TEST_F(VersionInfoTest, ReadsEveryStringOfPe32AndPe32PlusUnderTheFirstTranslationOfPlainFiles)
{
    for (const auto& [pe32Plus, amongOthers] : {std::pair{false, false}, std::pair{true, false}, std::pair{false, true}}) {
        SCOPED_TRACE(testing::Message() << pe32Plus << amongOthers);
        const TVerInfoRes info(file("lib.dll", peImage(versionBlock(), pe32Plus, amongOthers).bytes));
        EXPECT_EQ(info.languageId(), 0x0409);
        EXPECT_EQ(info.codePage(), 1252);
        QStringList values;
        for (int i = 0; i < TVerInfoRes::stringCount; ++i)
            values << info.value(TVerInfoRes::StringIndex(i));
        EXPECT_EQ(values.join('|'), "MarineCat|MP3 encoder|3.10|gogo|(C) 2001 the encoder team|none|GOGO.DLL|"
                                    "GOGO-no-coda|3.10|fast");
    }

    VersionBlockContents contents;
    contents.tableKey = QStringLiteral("041504e2");  // table keys match regardless of case
    contents.strings = {{"CompanyName", QStringLiteral("Zażółć gęślą jaźń")}};
    contents.translations = {{0x0415, 0x04E2}, {0x0409, 0x04E4}};
    const TVerInfoRes polish(file("polish.dll", peImage(versionBlock(contents)).bytes));
    EXPECT_EQ(polish.value(TVerInfoRes::CompanyName), QStringLiteral("Zażółć gęślą jaźń"));
    // The strings sit under the second translation: the first one decides.
    contents.translations = {{0x0409, 0x04B0}, {0x0415, 0x04E2}};
    const TVerInfoRes other(file("other.dll", peImage(versionBlock(contents)).bytes));
    EXPECT_EQ(other.value(TVerInfoRes::CompanyName), QString());

    // Only plain files are read.
    EXPECT_THROW(TVerInfoRes(QCoreApplication::applicationFilePath()), ENoVerInfoError);  // ELF
    EXPECT_THROW(TVerInfoRes(m_dir.path()), ENoVerInfoError);
    EXPECT_EQ(GetDateLibrary(m_dir.path(), kEnglish), QString());
    // A pipe would block the readers until someone writes to it.
    const QString pipe = m_dir.filePath("pipe.dll");
    ASSERT_EQ(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_THROW(TVerInfoRes{pipe}, ENoVerInfoError);
    EXPECT_EQ(GetDateLibrary(pipe, kEnglish), QString());
}

TEST(VersionInfoHostileTest, DamagedImagesRaiseTheirErrorAndStayInBounds)
{
    const PeImage image = peImage(versionBlock());
    auto patched = [&image](qsizetype at, int size, quint32 value) {
        QByteArray bytes = image.bytes;
        size == 2 ? putU16(bytes, at, quint16(value)) : putU32(bytes, at, value);
        return bytes;
    };
    VersionBlockContents noVarFileInfo = encoderStrings(), noTranslation = encoderStrings();
    noVarFileInfo.withVarFileInfo = false;
    noTranslation.translations.clear();
    const QString noVersion = TVerInfoRes::noVersionMessage(), noLanguage = TVerInfoRes::noLanguageMessage();
    EXPECT_EQ(noVersion, "Information about version not included");
    EXPECT_EQ(noLanguage, "Information about version language not included");
    struct Case { const char* name; QByteArray bytes; Outcome outcome; QString message; };
    const Case cases[] = {
        {"text file", "MZ but nothing else\n", NoVerInfo, noVersion},
        {"PE without resources", patched(image.optionalHeader + 96 + 16, 4, 0), NoVerInfo, noVersion},
        {"PE with only an icon", patched(image.resourceSection + 16, 4, 3), NoVerInfo, noVersion},
        {"no VarFileInfo", peImage(versionBlock(noVarFileInfo)).bytes, VerInfoError, noLanguage},
        {"empty translation table", peImage(versionBlock(noTranslation)).bytes, VerInfoError, noLanguage},
        {"version resource of size 0", patched(image.dataEntry + 4, 4, 0), NoVerInfo, noVersion},
        {"block beyond the end of the file", patched(image.dataEntry, 4, 0x7FFFFF00), VerInfoError, noVersion},
        {"block that is no version block", patched(image.block + 6, 2, 'X'), VerInfoError, noVersion},
        {"e_lfanew far away", patched(0x3C, 4, 0xFFFFFFF0u), NoVerInfo, noVersion},
        {"65535 sections", patched(image.peHeader + 6, 2, 0xFFFF), NoVerInfo, noVersion},
        {"resource RVA at the top", patched(image.optionalHeader + 96 + 16, 4, 0xFFFFFFF0u), NoVerInfo, noVersion},
        {"65535 type entries", patched(image.resourceSection + 14, 2, 0xFFFF), NoVerInfo, noVersion},
        {"type directory points at itself", patched(image.resourceSection + 20, 4, 0x80000000u), NoVerInfo, noVersion},
        {"data entry size huge", patched(image.dataEntry + 4, 4, 0xFFFFFFFFu), VerInfoError, noVersion},
        {"root length too small", patched(image.block, 2, 4), VerInfoError, noVersion},
        {"root value length huge", patched(image.block + 2, 2, 0xFFFF), VerInfoError, noLanguage},
        // Harmless excess: the counts and lengths are cut to what is there.
        {"root length past the block", patched(image.block, 2, 0xFFFF), Read, {}},
    };
    for (const Case& c : cases) {
        QString message;
        EXPECT_EQ(read(c.bytes, &message), c.outcome) << c.name;
        EXPECT_EQ(message, c.message) << c.name;
    }

    // Every truncation; every node length of the block set to the extremes.
    ASSERT_EQ(read(image.bytes), Read);
    for (qsizetype length = 0; length < image.bytes.size(); ++length)
        EXPECT_NE(read(image.bytes.left(length)), Read) << "length " << length;
    for (qsizetype at = image.block; at + 1 < image.bytes.size(); at += 2)
        for (const quint16 value : {quint16(0), quint16(6), quint16(0xFFFF)})
            read(patched(at, 2, value));
}

TEST_F(VersionInfoTest, LibraryLinesHaveTheBlanksOfTheirPartsAndTheDateInTheLocale)
{
    // The month in the genitive where the language has one.
    EXPECT_EQ(GetDateLibrary(file("lib.so", "x"), QLocale(QLocale::Polish, QLocale::Poland)), "7 września 2001");
    // Only bits 0-15 carry the version.
    EXPECT_EQ(ripLibraryLine(0xABCD0201, file("libakrip32.so", kElf), kEnglish),
              "Used Library:  AKRIP32.DLL, version 2.1 , Last modified: 7 September 2001");

    // An ELF encoder library: what we know of it; a PE one speaks for itself.
    FakeEncoderVersion source;  // no answer: the library cannot be loaded
    EXPECT_EQ(encoderLibraryLines(source, LibraryIdentity::encoderLibrary(), kEnglish).library,
              "Used Library: libgogo.so (not found)");
    source.answer = EncoderLibraryVersion{file("libgogo.so", kElf, QDate(2001, 3, 1)), 0x030A,
                                          "GOGO v3.10, Trackmill MP3 encoder on LAME 3.100"};
    EncoderLibraryLines lines = encoderLibraryLines(source, {"Trackmill developers", "MP3 encoder", "(C) us"}, kEnglish);
    EXPECT_EQ(lines.company, "Company: Trackmill developers,  MP3 encoder");
    EXPECT_EQ(lines.library, "Used Library: libgogo.so, version v3.10, Last modified: 1 March 2001");
    EXPECT_EQ(lines.copyright, "(C) us");
    VersionBlockContents contents;
    contents.strings = {{"CompanyName", "MarineCat"}, {"Comments", "fast"}, {"OriginalFilename", "GOGO.DLL"},
                        {"LegalCopyright", "(C) 2001 MarineCat"}};
    source.answer = EncoderLibraryVersion{file("gogo.dll", peImage(versionBlock(contents)).bytes), 0x030D, "GOGO v3.13"};
    lines = encoderLibraryLines(source, LibraryIdentity::encoderLibrary(), kEnglish);
    EXPECT_EQ(lines.company, "Company: MarineCat,  fast");
    EXPECT_EQ(lines.library, "Used Library: GOGO.DLL, version v3.13, Last modified: 7 September 2001");
    EXPECT_EQ(lines.copyright, "(C) 2001 MarineCat");
}

TEST_F(VersionInfoTest, ProbeFallsBackOnThePathStoredAsInstPath)
{
    const QString built = QFileInfo(QStringLiteral(TRACKMILL_GOGO_LIBRARY)).canonicalFilePath();
    GogoLibrarySource fallback;
    fallback.libraryName = m_dir.filePath("libgogo.so");  // not found by name
    fallback.keyStoreFile =
        file("registry.ini", "[HKEY_CURRENT_USER\\Software\\MarineCat\\GOGO_DLL]\r\nINSTPATH=" + built.toUtf8() + "\r\n");
    const auto stored = GogoVersionProbe(fallback).encoderVersion();
    ASSERT_TRUE(stored);
    EXPECT_EQ(QFileInfo(stored->fileName).canonicalFilePath(), built);
    EXPECT_TRUE(stored->text.startsWith("GOGO v")) << stored->text.toStdString();
    fallback.keyStoreFile.clear();
    EXPECT_FALSE(GogoVersionProbe(fallback).encoderVersion());
}

}
