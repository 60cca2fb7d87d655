// SPDX-License-Identifier: GPL-2.0-or-later
// The version lines reach the settings window's labels by name.
#include "qstringprinter.h"
#include "ui/libraryversionlabels.h"
#include "ui/libraryversionlines.h"

#include <QLabel>
#include <QWidget>
#include <gtest/gtest.h>

using namespace trackmill;

TEST(LibraryVersionLabelsTest, LinesGoToTheirLabelsOnEveryPage)
{
    // Labels on different pages, as in the settings window, and one missing.
    QWidget window;
    auto* cdrom = new QWidget(&window);
    auto* freedb = new QWidget(&window);
    auto* encoder = new QWidget(&window);
    auto label = [](const char* name, QWidget* parent) {
        auto* l = new QLabel(QStringLiteral("Library:"), parent);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    QLabel* ripCdrom = label("LibraryRipCDROM", cdrom);
    QLabel* ripCddb = label("LibraryRipCDDB", freedb);
    QLabel* company = label("MyCompany", encoder);
    QLabel* library = label("MyLibrary", encoder);
    QLabel* other = label("CompanyRip", cdrom);

    const QString rip = QStringLiteral("Used Library:  AKRIP32.DLL, version 2.0 , Last modified: 1 March 2001");
    showRipLibraryLines(window, rip);
    EXPECT_EQ(ripCdrom->text(), rip);
    EXPECT_EQ(ripCddb->text(), rip);

    showEncoderLibraryLines(window, EncoderLibraryLines{QStringLiteral("Company: a,  b"),
                                                        QStringLiteral("Used Library: c"),
                                                        QStringLiteral("(C) d")});
    EXPECT_EQ(company->text(), QStringLiteral("Company: a,  b"));
    EXPECT_EQ(library->text(), QStringLiteral("Used Library: c"));
    EXPECT_EQ(other->text(), QStringLiteral("Library:"));
}
