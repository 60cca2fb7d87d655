// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/windowsversion.h"

#include <gtest/gtest.h>

TEST(WindowsVersion, TableOfVersionTriples)
{
    const struct { int platform, major, minor; const char *servicePack, *name; } rows[] = {
        {1, 4, 0, " B ", "Windows95OSR"}, {1, 4, 0, "C", "Windows95"}, {1, 4, 10, "A", "Windows98SE"},
        {1, 4, 10, "", "Windows98"}, {1, 4, 90, "", "WindowsMe"}, {1, 4, 50, "", "Windows???"},
        {2, 3, 51, "", "WindowsNT3"}, {2, 4, 0, "Service Pack 6", "WindowsNT4"}, {2, 5, 0, "", "Windows2000"},
        {2, 5, 1, "Service Pack 2", "WindowsXP"}, {2, 5, 2, "", "Windows???"}, {0, 3, 10, "", "Windows???"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(trackmill::windowsVersionName(r.platform, r.major, r.minor, r.servicePack), r.name)
            << r.platform << " " << r.major << "." << r.minor << " '" << r.servicePack << "'";
}
