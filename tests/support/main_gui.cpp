// SPDX-License-Identifier: GPL-2.0-or-later
// Test main for window tests: offscreen QApplication (set before Qt starts,
// since test discovery runs this binary at build time) and a private
// configuration home.
#include "testenvironment.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    trackmill::test::isolateEnvironment();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
