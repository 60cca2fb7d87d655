// SPDX-License-Identifier: GPL-2.0-or-later
// The version note reader against ELF files built here, byte by byte, and
// damaged copies of them; then our two libraries as built.
#include "akrip32.h"
#include "gogo.h"
#include "ui/elfversionnote.h"
#include "ui/encoderversionsource.h"
#include "ui/libraryversionlines.h"
#include "ui/verinfores.h"

#include <QBuffer>
#include <gtest/gtest.h>

using namespace trackmill;

namespace {

class Bytes
{
public:
    explicit Bytes(bool bigEndian) : m_big(bigEndian) {}
    void put(qsizetype at, quint64 v, int width)
    {
        if (b.size() < at + width)
            b.resize(at + width, '\0');
        for (int i = 0; i < width; ++i)
            b[at + i] = char(m_big ? v >> (8 * (width - 1 - i)) : v >> (8 * i));
    }
    void append(quint64 v, int width) { put(b.size(), v, width); }
    void pad4() { b.append((4 - b.size() % 4) % 4, '\0'); }
    QByteArray b;

private:
    bool m_big;
};

QByteArray noteBytes(bool big, const QByteArray& owner, quint32 type, const QByteArray& desc)
{
    Bytes n(big);
    n.append(quint64(owner.size()), 4);
    n.append(quint64(desc.size()), 4);
    n.append(type, 4);
    n.b.append(owner);
    n.pad4();
    n.b.append(desc);
    n.pad4();
    return n.b;
}

const QByteArray kOwner("Trackmill", 10);  // with its zero byte
const QByteArray kDesc("CompanyName=Us\0FileVersion=3.50\0Comments=a=b \xC2\xA9\0no key\0=x\0Date=2001-09-07\0", 73);

// An ELF file: header, the sections' bytes one after another, then the
// section header table (a null entry, one PROGBITS entry, then one NOTE
// entry per note section). Field offsets are recorded for the damage cases.
struct Elf
{
    QByteArray bytes;
    qsizetype shoffAt = 0, shentsizeAt = 0, shnumAt = 0;
    qsizetype firstNoteEntry = 0;  // its section header
    qsizetype firstNote = 0;       // its bytes
    bool is64 = true, big = false;
};

Elf makeElf(bool is64, bool big, const QList<QByteArray>& noteSections)
{
    Elf e;
    e.is64 = is64;
    e.big = big;
    Bytes f(big);
    const int headerSize = is64 ? 64 : 52;
    f.b = QByteArray("\x7F" "ELF", 4);
    f.b.append(char(is64 ? 2 : 1)).append(char(big ? 2 : 1)).append(char(1));
    f.put(headerSize - 1, 0, 1);
    f.put(16, 3, 2);  // ET_DYN
    QList<QPair<qsizetype, qsizetype>> placed;
    f.b.append(QByteArray(24, 'c'));  // .text stand-in
    const qsizetype code = headerSize;
    for (const QByteArray& s : noteSections) {
        f.pad4();
        placed.append({f.b.size(), s.size()});
        f.b.append(s);
    }
    f.pad4();
    const qsizetype shoff = f.b.size();
    const int entry = is64 ? 64 : 40;
    const int count = 2 + int(noteSections.size());
    e.shoffAt = is64 ? 0x28 : 0x20;
    e.shentsizeAt = is64 ? 0x3A : 0x2E;
    e.shnumAt = is64 ? 0x3C : 0x30;
    f.put(e.shoffAt, quint64(shoff), is64 ? 8 : 4);
    f.put(e.shentsizeAt, quint64(entry), 2);
    f.put(e.shnumAt, quint64(count), 2);
    auto section = [&](int i, quint32 type, qsizetype offset, qsizetype size) {
        const qsizetype at = shoff + qsizetype(i) * entry;
        f.put(at + entry - 1, 0, 1);
        f.put(at + 4, type, 4);
        f.put(at + (is64 ? 0x18 : 0x10), quint64(offset), is64 ? 8 : 4);
        f.put(at + (is64 ? 0x20 : 0x14), quint64(size), is64 ? 8 : 4);
    };
    section(0, 0, 0, 0);
    section(1, 1, code, 24);
    for (int i = 0; i < noteSections.size(); ++i)
        section(2 + i, 7, placed[i].first, placed[i].second);
    e.firstNoteEntry = shoff + 2 * entry;
    e.firstNote = placed.isEmpty() ? 0 : placed.first().first;
    e.bytes = f.b;
    return e;
}

Elf ourLibrary(bool is64 = true, bool big = false)
{
    return makeElf(is64, big, {noteBytes(big, kOwner, 1, kDesc)});
}

ElfVersionNote readNote(QByteArray bytes)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return ElfVersionNote::read(buffer);
}

// Writes a field of the file in its byte order.
QByteArray patched(const Elf& e, qsizetype at, quint64 value, int width)
{
    Bytes f(e.big);
    f.b = e.bytes;
    f.put(at, value, width);
    return f.b;
}

using S = ElfVersionNote::Status;

TEST(ElfVersionNoteTest, FindsOurNoteInEveryClassAndByteOrderAndStaysInBoundsOnDamage)
{
    const Elf e = ourLibrary();
    const qsizetype offsetField = e.firstNoteEntry + 0x18, sizeField = e.firstNoteEntry + 0x20;
    const QByteArray otherNote = noteBytes(false, QByteArray("GNU", 4), 3, QByteArray(20, 'g'));
    struct Case { const char* name; QByteArray bytes; S status; };
    const Case cases[] = {
        {"64-bit little-endian", e.bytes, S::Found},
        {"64-bit big-endian", ourLibrary(true, true).bytes, S::Found},
        {"32-bit little-endian", ourLibrary(false, false).bytes, S::Found},
        {"32-bit big-endian", ourLibrary(false, true).bytes, S::Found},
        {"after another owner's note, same section",
         makeElf(true, false, {otherNote + noteBytes(false, kOwner, 1, kDesc)}).bytes, S::Found},
        {"in the second note section", makeElf(true, false, {otherNote, noteBytes(false, kOwner, 1, kDesc)}).bytes, S::Found},
        {"no note section", makeElf(true, false, {}).bytes, S::NoNote},
        {"another owner only", makeElf(true, false, {otherNote}).bytes, S::NoNote},
        {"our owner, another type", makeElf(true, false, {noteBytes(false, kOwner, 2, kDesc)}).bytes, S::NoNote},
        {"owner without its zero byte", makeElf(true, false, {noteBytes(false, "Trackmill", 1, kDesc)}).bytes, S::NoNote},
        {"no section headers", patched(e, e.shnumAt, 0, 2), S::NoNote},
        {"empty file", QByteArray(), S::NotElf},
        {"PE image", QByteArray("MZ") + QByteArray(200, '\0'), S::NotElf},
        {"identification only", e.bytes.left(16), S::Unreadable},
        {"unknown class", patched(e, 4, 3, 1), S::Unreadable},
        {"unknown byte order", patched(e, 5, 0, 1), S::Unreadable},
        {"section table far beyond the end", patched(e, e.shoffAt, 0xFFFFFFFFFFFFFFF0ull, 8), S::Unreadable},
        {"section table running past the end", patched(e, e.shnumAt, 0xFFFF, 2), S::Unreadable},
        {"section entry too small", patched(e, e.shentsizeAt, 10, 2), S::Unreadable},
        {"section entry absurdly large", patched(e, e.shentsizeAt, 0xFFFF, 2), S::Unreadable},
        {"note section far beyond the end", patched(e, offsetField, 0x7FFFFFFFFFFFFFFFull, 8), S::Unreadable},
        {"note section of 2^64 - 1 bytes", patched(e, sizeField, ~0ull, 8), S::Unreadable},
        {"note section one byte past the end", patched(e, sizeField, quint64(e.bytes.size() - e.firstNote + 1), 8), S::Unreadable},
        {"note section too short for a note header", patched(e, sizeField, 11, 8), S::Unreadable},
        {"name size 2^32 - 1", patched(e, e.firstNote, 0xFFFFFFFF, 4), S::Unreadable},
        {"descriptor size 2^32 - 1", patched(e, e.firstNote + 4, 0xFFFFFFFF, 4), S::Unreadable},
        {"descriptor one byte past its section", patched(e, e.firstNote + 4, 12 + 12 + 76 - 24 + 1, 4), S::Unreadable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ElfVersionNote note = readNote(c.bytes);
        EXPECT_EQ(note.status, c.status);
        EXPECT_EQ(note.value(QStringLiteral("FileVersion")), c.status == S::Found ? "3.50" : "");
    }
    // Every truncation: shorter than the identification it is no ELF file;
    // otherwise the section table, at the end, is cut and nothing is read.
    for (qsizetype n = 0; n < e.bytes.size(); ++n)
        ASSERT_EQ(readNote(e.bytes.left(n)).status, n < 16 ? S::NotElf : S::Unreadable) << n;
}

TEST(ElfVersionNoteTest, DescriptorEntriesInOrderKeysWithoutLetterCase)
{
    const ElfVersionNote note = readNote(ourLibrary().bytes);
    ASSERT_EQ(note.status, S::Found);
    QStringList entries;
    for (const auto& [k, v] : note.strings)
        entries << k + QLatin1Char('|') + v;
    // Entries without a key are skipped; a value may hold "=" and UTF-8.
    EXPECT_EQ(entries.join(QLatin1Char(';')),
              QString::fromUtf8("CompanyName|Us;FileVersion|3.50;Comments|a=b ©;Date|2001-09-07"));
    EXPECT_EQ(note.value(QStringLiteral("companyname")), "Us");
    EXPECT_EQ(note.size, kDesc.size());

    // Through the version reader: the same strings by index; a damaged ELF
    // file is a block that cannot be read, one without our note has none.
    QByteArray bytes = ourLibrary(false, true).bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const TVerInfoRes info(buffer, QStringLiteral("libx.so"));
    EXPECT_EQ(info.value(TVerInfoRes::CompanyName), "Us");
    EXPECT_EQ(info.value(TVerInfoRes::Comments), QString::fromUtf8("a=b ©"));
    EXPECT_EQ(info.value(TVerInfoRes::LegalCopyRight), "");
    auto raises = [](QByteArray b) {
        QBuffer d(&b);
        d.open(QIODevice::ReadOnly);
        try {
            TVerInfoRes r(d, QStringLiteral("libx.so"));
        } catch (const ENoVerInfoError&) {
            return 1;
        } catch (const EverInfoError&) {
            return 2;
        }
        return 0;
    };
    EXPECT_EQ(raises(makeElf(true, false, {}).bytes), 1);
    EXPECT_EQ(raises(ourLibrary().bytes.left(100)), 2);
}

// Our libraries as built carry their version information, and the version
// lines of the settings window show it.
TEST(ElfVersionNoteTest, BothLibrariesSpeakForThemselvesInTheirLines)
{
    const TVerInfoRes gogo(QString::fromUtf8(TRACKMILL_GOGO_LIBRARY));
    EXPECT_EQ(gogo.value(TVerInfoRes::FileVersion),
              QString::asprintf("%d.%d", GOGO_VERSION_MAJOR, GOGO_VERSION_MINOR));
    EXPECT_EQ(gogo.value(TVerInfoRes::OriginalFileName), "libgogo.so");
    const TVerInfoRes akrip(QString::fromUtf8(TRACKMILL_AKRIP_LIBRARY));
    EXPECT_EQ(akrip.value(TVerInfoRes::FileVersion),
              QString::asprintf("%d.%d", AKRIP_VERSION_MAJOR, AKRIP_VERSION_MINOR));
    EXPECT_EQ(akrip.value(TVerInfoRes::ProductName), "Trackmill");

    struct Source : EncoderVersionSource
    {
        std::optional<EncoderLibraryVersion> encoderVersion() override
        {
            return EncoderLibraryVersion{QString::fromUtf8(TRACKMILL_GOGO_LIBRARY), 0x0332, "GOGO v3.50, x"};
        }
    } source;
    // Not the stand-in texts: the note's, which differ from them.
    const LibraryIdentity standIn{"someone", "something", "nobody"};
    const EncoderLibraryLines lines = encoderLibraryLines(source, standIn);
    EXPECT_EQ(lines.company, "Company: Trackmill developers,  MP3 encoder on LAME and libsndfile");
    EXPECT_TRUE(lines.library.startsWith("Used Library: libgogo.so, version v3.50, Last modified: "));
    EXPECT_TRUE(lines.copyright.startsWith("Free software under the GNU LGPL")) << lines.copyright.toStdString();

    const RipLibraryLines rip = ripLibraryLines(QStringLiteral(" AKRIP32.DLL, version 2.0 "),
                                                QString::fromUtf8(TRACKMILL_AKRIP_LIBRARY));
    EXPECT_EQ(rip.company, "Company: Trackmill developers, CD-DA audio extraction and CDDB library");
    EXPECT_TRUE(rip.copyright.startsWith("Copyright: Trackmill developers")) << rip.copyright.toStdString();
    EXPECT_TRUE(rip.library.startsWith("Used Library:  AKRIP32.DLL, version 2.0 , Last modified: "));
    // A library file without a note leaves the window's fixed lines alone.
    const RipLibraryLines none = ripLibraryLines(QStringLiteral("x"), QStringLiteral("/nonexistent/libakrip32.so"));
    EXPECT_TRUE(none.company.isEmpty() && none.copyright.isEmpty());
}

}
