// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QLocale>
#include <QString>

namespace trackmill {

class EncoderVersionSource;
struct AppPaths;

// The settings window's lines about the two outside libraries: which file
// is used, its version and the date of the file. A PE file speaks through
// its version resource, our ELF libraries through their version note;
// where a file has neither, what we know of the library stands in, so no
// part of a line is left empty.

inline constexpr char kRipLibraryFile[] = "libakrip32.so";
inline constexpr char kEncoderLibraryFile[] = "libgogo.so";

// Shown where a library file's date cannot be read.
QString unknownDateText();

// " AKRIP32.DLL, version <major>.<minor> " (major in bits 8-15 of the
// ripping library's version number, minor in bits 0-7), blank at both ends.
QString ripLibraryVersionText(quint32 versionCode);

// LibraryRipCDROM and LibraryRipCDDB: "Used Library: " + the version text
// + ", " + "Last modified: " + the date of the library file. The version
// text is the one CdDrives::GetVersionOfAkrip gives, or is made from the
// library's version number.
QString ripLibraryLine(const QString& versionText, const QString& libraryFile,
                       const QLocale& locale = QLocale());
QString ripLibraryLine(quint32 versionCode, const QString& libraryFile,
                       const QLocale& locale = QLocale());

// The ripping library beside the program.
QString ripLibraryPath(const AppPaths& paths);

// The line for the ripping library this program is linked with: its own
// version number and the date of its file beside the program.
QString ripLibraryLine(const AppPaths& paths, const QLocale& locale = QLocale());

// The ripping library's three lines on the CD ROM and FreeDB pages.
struct RipLibraryLines
{
    QString library;    // ripLibraryLine
    QString company;    // "Company: " + CompanyName + ", " + FileDescription; empty without version information
    QString copyright;  // "Copyright: " + LegalCopyRight; empty without version information
};

// The lines for the given version text and library file; the company and
// copyright lines come from the file's version information, and stay empty
// (the window keeps its fixed lines) when the file has none.
RipLibraryLines ripLibraryLines(const QString& versionText, const QString& libraryFile,
                                const QLocale& locale = QLocale());

// What a library without version resources shows in place of the strings
// of its version block.
struct LibraryIdentity
{
    QString companyName;
    QString comments;
    QString legalCopyright;

    static LibraryIdentity encoderLibrary();
};

// MyCompany, MyLibrary and MyCopyright.
struct EncoderLibraryLines
{
    QString company;    // "Company: " + CompanyName + ",  " + Comments
    QString library;    // "Used Library: " + OriginalFileName + ", version " + version + ", Last modified: " + date
    QString copyright;  // LegalCopyRight
};

// The version the library's text shows (its characters 6 to 10, "v3.50"),
// or the same built from the version code when the text is too short.
QString encoderVersionText(qint32 versionCode, const QString& versionText);

// Asks the source for the library in use and reads the file's version
// resources when it has any; a library that cannot be loaded is named as
// not found.
EncoderLibraryLines encoderLibraryLines(EncoderVersionSource& source,
                                        const LibraryIdentity& identity = LibraryIdentity::encoderLibrary(),
                                        const QLocale& locale = QLocale());

}
